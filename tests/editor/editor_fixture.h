#pragma once

// The editor on an empty program, shared by the editor tests and the tests of single windows.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <string_view>

#include "editor/ladder_editor.h"
#include "ladder/grid.h"
#include "shell/language_table.h"
#include "shell/scripted_prompter.h"

namespace bdx {

constexpr std::uint16_t J(std::uint16_t directions) {
    return static_cast<std::uint16_t>(JunctionBase + directions);
}

inline int FindCategoryIndex(std::string_view name) {
    const auto& categories = FindCategories();
    return int(std::ranges::find(categories, name, &FindCategory::name) - categories.begin());
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
    void TearDown() override { SetLanguageOffset(English); }

    Program& program() { return document.program(); }
    std::uint16_t& word(int line, int wordInLine) { return program().word(line, wordInLine); }
    int undoSlot() { return document.undoStore().UndoIndex(); }

    // Words of one line that must hold these values, by their index in the line.
    void expectWords(int line, std::initializer_list<std::pair<int, std::uint16_t>> words) {
        for (const auto& [index, value] : words) {
            EXPECT_EQ(word(line, index), value) << "line " << line << ", word " << index;
        }
    }

    // An element written straight into the grid, as a file holds it: no undo point, no check.
    // A coil (code word kCoilLetterWord) is a contactor.
    void put(int line, int codeWord, std::uint16_t code, int number) {
        word(line, codeWord) = code;
        word(line, codeWord + kNumberWordOffset) = OperandNumberCode(number);
        if (codeWord == kCoilLetterWord) {
            word(line, kCoilFunctionWord) = CoilContactor;
        }
    }

    // Elements placed as the user places them.
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

// A contact driving a coil through wires on `line` (0-based), drawn as a user would, complete
// enough for a simulation run; I1 driving Q1 on the first line unless told otherwise.
inline void DrawLampRung(LadderEditor& editor, int line = 0, char contact = 'I', int n = 1, char coil = 'Q',
                         int m = 1) {
    // Wired by hand, as without the wiring help.
    const bool wiringHelp = editor.WiringHelp();
    editor.setWiringHelp(false);
    editor.select({SelectionKinds::Contact, line, 0});
    editor.setPlacement(contact, OperandNumberCode(n));
    editor.PlaceOperand();
    editor.select({SelectionKinds::Coil, line, 0});
    editor.setPlacement(coil, OperandNumberCode(m));
    editor.PlaceOperand();
    editor.setEditTool(kWireTool);
    for (int column : {1, 2}) {
        editor.select({SelectionKinds::Contact, line, column});
        editor.WireToolClick(0.5);
    }
    editor.setEditTool(kSelectionTool);
    editor.select({SelectionKinds::Junction, line, 2});
    editor.ToggleJunction(JunctionArea::Right);
    editor.setWiringHelp(wiringHelp);
}

}  // namespace bdx
