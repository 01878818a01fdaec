#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTemporaryDir>

#include "editor/ladder_editor.h"
#include "ladder/grid.h"
#include "ladder/program_document.h"
#include "shell/language_table.h"
#include "shell/scripted_prompter.h"

namespace bdx {

// A program document and its editor without the main window, for the tests of single windows.
class EditorRig : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        document.StartEmpty();
        editor.reset();
    }
    void TearDown() override { SetLanguageOffset(English); }

    Program& program() { return document.program(); }
    std::uint16_t word(int line, int wordInLine) { return program().word(line, wordInLine); }
    void putContact(int line, int column, std::uint16_t code, int number) {
        program().word(line, kContactWord[column]) = code;
        program().word(line, kContactWord[column] + kNumberWordOffset) = OperandNumberCode(number);
    }
    void putCoil(int line, char letter, int number) {
        program().word(line, kCoilFunctionWord) = CoilContactor;
        program().word(line, kCoilLetterWord) = static_cast<std::uint16_t>(letter);
        program().word(line, kCoilNumberWord) = OperandNumberCode(number);
    }

    QTemporaryDir dir;
    ScriptedPrompter prompter;
    ProgramDocument document{prompter, dir.filePath(QStringLiteral("undo")),
                             dir.filePath(QStringLiteral("app"))};
    LadderEditor editor{document, prompter};
};

// Keys as the user types them, delivered to the widget.
inline void Press(QWidget* widget, int key, const QString& text = QString()) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &up);
}
inline void TypeInto(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        Press(widget, c.toUpper().unicode(), QString(c));
    }
}

}  // namespace bdx
