#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "editor/ladder_editor.h"
#include "ladder/grid.h"
#include "shell/scripted_prompter.h"

namespace bdx {

constexpr std::uint16_t J(std::uint16_t directions) {
    return static_cast<std::uint16_t>(JunctionBase + directions);
}

// An editor on an empty program whose undo folders live in a temporary folder.
class EditorFixture : public ::testing::Test {
  protected:
    // Short names for the position kinds, so that tables of positions stay readable.
    static constexpr int C = SelectionKinds::Contact, K = SelectionKinds::Coil, Jn = SelectionKinds::Junction;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        document.StartEmpty();
        editor.reset();
    }

    Program& program() { return document.program(); }
    std::uint16_t& word(int line, int wordInLine) { return program().word(line, wordInLine); }
    int undoSlot() { return document.undoStore().UndoIndex(); }

    // Words of one line that must hold these values, by their index in the line.
    void expectWords(int line, std::initializer_list<std::pair<int, std::uint16_t>> words) {
        for (const auto& [index, value] : words) {
            EXPECT_EQ(word(line, index), value) << "line " << line << ", word " << index;
        }
    }

    bool placeContact(int line, int column, std::uint16_t code, int number) {
        editor.select({C, line, column});
        editor.setPlacement(code, OperandNumberCode(number));
        return editor.PlaceOperand();
    }

    bool placeCoil(int line, char letter, int number) {
        editor.select({K, line, 0});
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
