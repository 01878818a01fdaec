// Operands typed as text and the wiring help, through the editor's one placing path.
#include <QStringList>
#include <array>
#include <functional>

#include "editor/quick_place.h"
#include "editor_fixture.h"

namespace bdx {
namespace {

class QuickPlaceTest : public EditorFixture {
  protected:
    void SetUp() override {
        EditorFixture::SetUp();
        QObject::connect(&editor, &LadderEditor::placementNoted, [this](const QString& note) { notes << note; });
    }
    TypedPlacement typeAt(const GridPosition& position, const char* text) {
        editor.select(position);
        return editor.PlaceTyped(QString::fromUtf8(text));
    }
    QStringList notes;
};

constexpr std::uint16_t Closed(char letter) {
    return static_cast<std::uint16_t>(letter + NormallyClosedShift);
}

TEST_F(QuickPlaceTest, EveryLetterFamilyCanBeTyped) {
    program().ModelIndex = 1;  // display and analog inputs
    program().ExtensionModules = {1, 1, 1};
    struct Row {
        const char* text;
        int kind;  // where it is typed
        std::uint16_t code;
        int number;
        std::uint16_t function;  // coils only
    };
    // A function letter before a coil's name puts it in the coil column from a contact position.
    const Row rows[] = {
        {"I1", C, 'I', 1, 0},           {"j8", C, 'J', 8, 0},
        {"/K2", C, Closed('K'), 2, 0},  {"!l3", C, Closed('L'), 3, 0},
        {"q2", C, 'Q', 2, 0},           {"U4", K, 'U', 4, CoilContactor},
        {"sV1", C, 'V', 1, CoilSet},    {"RW2", K, 'W', 2, CoilReset},
        {"M64", K, 'M', 64, CoilContactor}, {"IM5", K, 'M', 5, CoilImpulse},
        {"T16", K, 'T', 16, CoilTrigger}, {"rt3", C, 'T', 3, CoilReset},
        {"C1", K, 'C', 1, CoilCount},   {"DC2", K, 'C', 2, CoilDirection},
        {"P16", C, 'P', 16, 0},         {"a12", C, 'A', 12, 0},
        {"H4", K, 'H', 4, CoilEnable},  {"AH2", K, 'H', 2, CoilResetAll},
        {"Z4", C, 'Z', 4, 0},           {"/x7", C, Closed('X'), 7, 0},
        {"X16", K, 'X', 16, CoilContactor}, {"RX1", K, 'X', 1, CoilReset},
        {"RTC3", C, ClockContactOpen, 3, 0}, {"/rtc4", C, ClockContactClosed, 4, 0},
        {" Ø16 ", C, ClockContactOpen, 16, 0},
    };
    int line = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const TypedPlacement placed = typeAt({row.kind, line, 0}, row.text);
        EXPECT_TRUE(placed.placed) << placed.refusal.toStdString();
        if (row.function != 0) {
            expectWords(line, {{kCoilFunctionWord, row.function},
                               {kCoilLetterWord, row.code},
                               {kCoilNumberWord, OperandNumberCode(row.number)}});
        } else {
            expectWords(line, {{0, row.code}, {1, OperandNumberCode(row.number)}, {kCoilLetterWord, CellEmpty}});
        }
        ++line;
    }
}

TEST_F(QuickPlaceTest, InvalidTextIsRefusedWithItsReasonAndChangesNothing) {
    struct Row {
        const char* text;
        int kind;
        int model;
        const char* reason;  // a part of the English reason
    };
    const Row rows[] = {
        {"I9", C, 0, "I run from 1 to 8"},
        {"X0", C, 0, "X run from 1 to 16"},
        {"Q5", K, 0, "Q run from 1 to 4"},
        {"B1", C, 0, "not an operand"},
        {"I", C, 0, "not an operand"},
        {"I1x", C, 0, "not an operand"},
        {"I1", K, 0, "cannot be a coil"},
        {"SP1", C, 0, "cannot be a coil"},
        {"RTC1", K, 0, "cannot be a coil"},
        {"/Q1", K, 0, "normally closed"},
        {"DQ1", C, 0, "only S, R, I"},
        {"A1", C, 0, "no analog"},
        {"X1", K, 2, "no text display"},
        {"Z1", C, 2, "no text display"},
        {"J1", C, 0, "extension module A is not fitted"},
        {"W1", K, 0, "extension module C is not fitted"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        program().ModelIndex = static_cast<std::uint16_t>(row.model);
        const Program before = program();
        const int slot = undoSlot();
        const TypedPlacement placed = typeAt({row.kind, 3, 1}, row.text);
        EXPECT_FALSE(placed.placed);
        EXPECT_TRUE(placed.refusal.contains(QString::fromUtf8(row.text).trimmed())) << placed.refusal.toStdString();
        EXPECT_TRUE(placed.refusal.contains(QLatin1String(row.reason))) << placed.refusal.toStdString();
        EXPECT_TRUE(program().LadderGrid == before.LadderGrid);
        EXPECT_EQ(undoSlot(), slot);
        EXPECT_EQ(editor.selection(), (GridPosition{row.kind, 3, row.kind == K ? 0 : 1}));
    }
}

TEST_F(QuickPlaceTest, TypingMovesOnSoThatARungCanBeTypedInARow) {
    // After a contact the junction on its right, and typing there fills the next position.
    ASSERT_TRUE(typeAt({C, 0, 0}, "I1").placed);
    EXPECT_EQ(editor.selection(), (GridPosition{Jn, 0, 0}));
    ASSERT_TRUE(editor.PlaceTyped(QStringLiteral("I2")).placed);
    expectWords(0, {{3, 'I'}, {4, OperandNumberCode(2)}, {2, J(JunctionLeft | JunctionRight)}});
    EXPECT_EQ(editor.selection(), (GridPosition{Jn, 0, 1}));
    ASSERT_TRUE(typeAt({Jn, 0, 2}, "Q1").placed);  // right of the last column lies the coil
    expectWords(0, {{kCoilLetterWord, 'Q'}});
    EXPECT_EQ(editor.selection(), (GridPosition{C, 1, 0}));
    // A contact that joins the line above ends its line.
    editor.select({Jn, 0, 0});
    editor.ToggleJunction(JunctionArea::Down);
    ASSERT_TRUE(typeAt({C, 1, 0}, "I3").placed);
    EXPECT_EQ(editor.selection(), (GridPosition{C, 2, 0}));
    // The operand already in place counts as placed and moves on, without an undo point.
    const int slot = undoSlot();
    EXPECT_TRUE(typeAt({C, 1, 0}, "i3").placed);
    EXPECT_EQ(undoSlot(), slot);
}

TEST_F(QuickPlaceTest, TheNumberIsCompleteWhenNoDigitCouldFollow) {
    const std::pair<const char*, bool> complete[] = {
        {"I1", true}, {"M1", false}, {"M6", false}, {"M7", true}, {"T1", false},
        {"T2", true}, {"X0", true},  {"SQ1", true}, {"I", false}, {"RTC1", false},
    };
    for (const auto& [text, expected] : complete) {
        EXPECT_EQ(TypedOperandComplete(QString::fromLatin1(text)), expected) << text;
    }
    EXPECT_TRUE(TypedOperandTakes(QStringLiteral("M1"), QLatin1Char('2')));
    EXPECT_FALSE(TypedOperandTakes(QStringLiteral("M1"), QLatin1Char('i')));
    EXPECT_FALSE(TypedOperandTakes(QStringLiteral("M1"), QLatin1Char('/')));
    EXPECT_TRUE(TypedOperandTakes(QStringLiteral("S"), QLatin1Char('q')));
}

TEST_F(QuickPlaceTest, WiringHelpWiresUpToTheCoilInOneUndoStep) {
    struct Row {
        const char* name;
        bool help;
        std::function<void()> draw;  // line 1 (index 1) before its coil
        std::array<std::uint16_t, 9> expected;  // the contact and junction words of line 1 after
    };
    const std::uint16_t W = CellWire, E = CellEmpty;
    const Row rows[] = {
        {"contact in column 1", true, [&] { placeContact(1, 0, 'I', 1); },
         {'I', OperandNumberCode(1), J(5), W, W, J(5), W, W, J(5)}},
        {"help off", false, [&] { placeContact(1, 0, 'I', 1); },
         {'I', OperandNumberCode(1), J(1), E, E, E, E, E, E}},
        {"contact in column 2", true, [&] { placeContact(1, 1, 'I', 1); },
         {E, E, J(5), 'I', OperandNumberCode(1), J(5), W, W, J(5)}},
        {"fed by a link from above", true,
         [&] {
             placeContact(0, 0, 'I', 2);
             editor.select({Jn, 0, 0});
             editor.ToggleJunction(JunctionArea::Down);
         },
         {E, E, J(JunctionUp | JunctionRight), W, W, J(5), W, W, J(5)}},
        {"nothing to wire from", true, [] {}, {E, E, E, E, E, E, E, E, E}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        program().LadderGrid.fill(CellEmpty);
        editor.setWiringHelp(row.help);
        row.draw();
        const Program before = program();
        const int slot = undoSlot();
        notes.clear();
        ASSERT_TRUE(placeCoil(1, 'Q', 1));
        for (int w = 0; w < 9; ++w) {
            EXPECT_EQ(word(1, w), row.expected[w]) << "word " << w;
        }
        EXPECT_EQ(undoSlot(), slot + 1);
        const bool wired = row.expected[6] == CellWire;
        EXPECT_EQ(notes, wired ? QStringList{QStringLiteral("Line 2: wired up to the coil.")} : QStringList{});
        ASSERT_TRUE(editor.Undo());
        EXPECT_TRUE(program().LadderGrid == before.LadderGrid);
    }
}

TEST_F(QuickPlaceTest, ReplacingAnElementAsksNothingAndIsNoted) {
    ASSERT_TRUE(placeContact(0, 0, 'I', 1));
    ASSERT_TRUE(placeCoil(0, 'Q', 1));
    const Program before = program();
    notes.clear();
    ASSERT_TRUE(typeAt({C, 0, 0}, "/I2").placed);
    ASSERT_TRUE(typeAt({K, 0, 0}, "SQ2").placed);
    EXPECT_EQ(notes, (QStringList{QStringLiteral("Line 1: I1 replaced by i2."),
                                  QStringLiteral("Line 1: Q1 replaced by Q2.")}));
    EXPECT_TRUE(prompter.messages().empty());
    ASSERT_TRUE(editor.Undo());
    ASSERT_TRUE(editor.Undo());
    EXPECT_TRUE(program().LadderGrid == before.LadderGrid);
}

}  // namespace
}  // namespace bdx
