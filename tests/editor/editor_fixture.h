#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "editor/ladder_editor.h"
#include "ladder/grid.h"
#include "shell/scripted_prompter.h"

namespace bdx {

// An editor on an empty program whose undo folders live in a temporary folder.
class EditorFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        document.StartEmpty();
        editor.reset();
    }

    std::uint16_t& word(int line, int wordInLine) { return document.program().word(line, wordInLine); }

    bool placeContact(int line, int column, std::uint16_t code, int number) {
        editor.select({SelectionKinds::Contact, line, column});
        editor.setPlacement(code, OperandNumberCode(number));
        return editor.PlaceOperand();
    }

    bool placeCoil(int line, char letter, int number) {
        editor.select({SelectionKinds::Coil, line, 0});
        editor.setPlacement(static_cast<std::uint16_t>(letter), OperandNumberCode(number));
        return editor.PlaceOperand();
    }

    QTemporaryDir dir;
    ScriptedPrompter prompter;
    ProgramDocument document{prompter, dir.filePath(QStringLiteral("undo")),
                             dir.filePath(QStringLiteral("app"))};
    LadderEditor editor{document, prompter};
};

}  // namespace bdx
