#include "editor/ladder_editor.h"

#include "blocks/counter_record.h"
#include "editor_fixture.h"
#include "shell/language_table.h"

namespace bdx {
namespace {

constexpr std::uint16_t J(std::uint16_t bits) {
    return static_cast<std::uint16_t>(JunctionBase + bits);
}

using LadderEditorTest = EditorFixture;

TEST_F(LadderEditorTest, ContactInLastColumnWiresAnOpenMiddleColumn) {
    ASSERT_TRUE(placeContact(0, 2, 'I', 3));
    EXPECT_EQ(word(0, 6), 'I');
    EXPECT_EQ(word(0, 7), OperandNumberCode(3));
    EXPECT_EQ(word(0, 8), J(JunctionLeft));
    EXPECT_EQ(word(0, 3), CellWire);
    EXPECT_EQ(word(0, 4), CellWire);
    EXPECT_EQ(word(0, 5), J(JunctionLeft | JunctionRight));
    EXPECT_EQ(word(0, 2), J(JunctionLeft | JunctionRight));

    // With a link from above, the middle column is fed from there and stays open.
    word(1, 5) = J(JunctionUp);
    ASSERT_TRUE(placeContact(1, 2, 'I', 4));
    EXPECT_EQ(word(1, 5), J(JunctionUp | JunctionRight));
    EXPECT_EQ(word(1, 3), CellEmpty);
    EXPECT_EQ(word(1, 2), CellEmpty);

    // A contact in column 2 under a link gets only the feed from the left.
    word(2, 2) = J(JunctionUp);
    ASSERT_TRUE(placeContact(2, 1, 'M', 64));
    EXPECT_EQ(word(2, 2), J(JunctionUp | JunctionRight));
    EXPECT_EQ(word(2, 5), J(JunctionLeft));
}

TEST_F(LadderEditorTest, OperandsGoOnlyWhereTheyBelong) {
    struct Case {
        int kind;
        std::uint16_t code;
        int number;
        bool placed;
    };
    const Case cases[] = {
        {SelectionKinds::Contact, 'I' + NormallyClosedShift, 8, true},
        {SelectionKinds::Contact, ClockContactOpen, 16, true},
        {SelectionKinds::Contact, 'I', 9, false},  // no input 9
        {SelectionKinds::Contact, CellWire, 1, false},
        {SelectionKinds::Coil, 'I', 1, false},  // inputs have no coils
        {SelectionKinds::Coil, 'P', 1, false},
        {SelectionKinds::Coil, 'Q' + NormallyClosedShift, 1, false},
        {SelectionKinds::Junction, 'I', 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << " " << c.code << " " << c.number);
        const Program before = document.program();
        editor.select({c.kind, 4, 1});
        editor.setPlacement(c.code, OperandNumberCode(c.number));
        EXPECT_EQ(editor.PlaceOperand(), c.placed);
        EXPECT_EQ(document.program().LadderGrid != before.LadderGrid, c.placed);
        document.program().LadderGrid = before.LadderGrid;
    }
    // The same element once more changes nothing and records nothing.
    ASSERT_TRUE(placeContact(7, 0, 'Q', 2));
    const int slot = document.undoStore().UndoIndex();
    EXPECT_FALSE(placeContact(7, 0, 'Q', 2));
    EXPECT_EQ(document.undoStore().UndoIndex(), slot);
    editor.setEditTool(kWireTool);
    EXPECT_FALSE(placeContact(7, 0, 'I', 1));
}

TEST_F(LadderEditorTest, CoilsGetTheirDefaultFunction) {
    const std::pair<char, std::uint16_t> cases[] = {{'C', 67},  {'H', 69}, {'M', 148}, {'Q', 148},
                                                    {'U', 148}, {'T', 84}, {'X', 148}};
    for (const auto& [letter, function] : cases) {
        SCOPED_TRACE(letter);
        word(3, kCoilFunctionWord) = CoilReset;
        ASSERT_TRUE(placeCoil(3, letter, 2));
        EXPECT_EQ(word(3, kCoilFunctionWord), function);
        EXPECT_EQ(word(3, kCoilLetterWord), letter);
        EXPECT_EQ(word(3, kCoilNumberWord), OperandNumberCode(2));
    }
}

TEST_F(LadderEditorTest, SoftTextCoilsPrepareAndClearTheirMessage) {
    auto& message = document.program().SoftTextParams[4];
    message.fill(0);
    message[0] = 'A';
    ASSERT_TRUE(placeCoil(1, 'X', 5));
    EXPECT_EQ(message[0], 'A');
    EXPECT_EQ(message[35], ' ');

    // While another X5 coil remains the text stays; the last one takes it.
    ASSERT_TRUE(placeCoil(2, 'X', 5));
    editor.select({SelectionKinds::Coil, 1, 0});
    ASSERT_TRUE(editor.DeleteCoil());
    EXPECT_EQ(message[0], 'A');
    EXPECT_EQ(word(1, kCoilLetterWord), CellEmpty);
    EXPECT_EQ(word(1, kCoilFunctionWord), CoilNone);
    // Replacing the last X5 by another coil counts as deleting it.
    ASSERT_TRUE(placeCoil(2, 'Q', 1));
    EXPECT_EQ(message[0], ' ');
}

TEST_F(LadderEditorTest, WireTool) {
    editor.setEditTool(kWireTool);
    editor.select({SelectionKinds::Contact, 0, 0});
    EXPECT_FALSE(editor.WireToolClick(0.5));  // never in the first column
    editor.select({SelectionKinds::Contact, 0, 1});
    EXPECT_FALSE(editor.WireToolClick(0.39));
    EXPECT_FALSE(editor.WireToolClick(0.61));
    EXPECT_FALSE(editor.CanUndo());

    ASSERT_TRUE(editor.WireToolClick(0.5));
    EXPECT_EQ(word(0, 3), CellWire);
    EXPECT_EQ(word(0, 4), CellWire);
    EXPECT_EQ(word(0, 2), J(JunctionRight));
    EXPECT_EQ(word(0, 5), J(JunctionLeft));

    ASSERT_TRUE(editor.WireToolClick(0.5));
    EXPECT_EQ(word(0, 3), CellEmpty);
    EXPECT_EQ(word(0, 4), CellEmpty);
    EXPECT_EQ(word(0, 2), J(JunctionRight));
    EXPECT_EQ(word(0, 5), J(JunctionLeft));

    word(0, 6) = 'I';
    editor.select({SelectionKinds::Contact, 0, 2});
    EXPECT_FALSE(editor.WireToolClick(0.5));
    EXPECT_EQ(word(0, 6), 'I');
}

TEST_F(LadderEditorTest, JunctionTogglesKeepBothLinesInStep) {
    editor.select({SelectionKinds::Junction, 5, 1});
    ASSERT_TRUE(editor.ToggleJunction(JunctionArea::Down));
    EXPECT_EQ(word(5, 5), J(JunctionDown));
    EXPECT_EQ(word(6, 5), J(JunctionUp));
    editor.select({SelectionKinds::Junction, 6, 1});
    ASSERT_TRUE(editor.ToggleJunction(JunctionArea::Up));
    EXPECT_EQ(word(5, 5), CellEmpty);
    EXPECT_EQ(word(6, 5), CellEmpty);

    ASSERT_TRUE(editor.ToggleJunction(JunctionArea::Left));
    ASSERT_TRUE(editor.ToggleJunction(JunctionArea::Right));
    EXPECT_EQ(word(6, 5), J(JunctionLeft | JunctionRight));
    ASSERT_TRUE(editor.ToggleJunction(JunctionArea::Left));
    EXPECT_EQ(word(6, 5), J(JunctionRight));

    // The first and the last line have nobody above or below: only their own word changes.
    const LadderGridWords before = document.program().LadderGrid;
    editor.select({SelectionKinds::Junction, 0, 0});
    ASSERT_TRUE(editor.ToggleJunction(JunctionArea::Up));
    editor.select({SelectionKinds::Junction, 249, 2});
    ASSERT_TRUE(editor.ToggleJunction(JunctionArea::Down));
    LadderGridWords expected = before;
    expected[JunctionWordIndex(0, 0)] = J(JunctionUp);
    expected[JunctionWordIndex(249, 2)] = J(JunctionDown);
    EXPECT_EQ(document.program().LadderGrid, expected);
}

TEST_F(LadderEditorTest, CoilCommandsFitTheLetter) {
    ASSERT_TRUE(placeCoil(0, 'Q', 1));
    // The coil letter is no contact code: polarity leaves it alone.
    EXPECT_FALSE(editor.MakeNormallyClosed());
    EXPECT_EQ(word(0, kCoilLetterWord), 'Q');
    EXPECT_FALSE(editor.SetCoilFunction(CoilTrigger));  // not a function of an output
    ASSERT_TRUE(editor.SetCoilFunction(CoilImpulse));
    // The retentive commands change only auxiliary relays.
    const int slot = document.undoStore().UndoIndex();
    EXPECT_FALSE(editor.SetRetentive(true));
    EXPECT_EQ(word(0, kCoilFunctionWord), CoilImpulse);
    EXPECT_EQ(document.undoStore().UndoIndex(), slot);

    ASSERT_TRUE(placeCoil(1, 'M', 7));
    EXPECT_FALSE(editor.SetRetentive(true));  // a contactor has no retentive form
    const std::pair<std::uint16_t, std::uint16_t> pairs[] = {{149, 150}, {83, 151}, {82, 152}};
    for (const auto& [plain, kept] : pairs) {
        ASSERT_TRUE(editor.SetCoilFunction(plain));
        ASSERT_TRUE(editor.SetRetentive(true));
        EXPECT_EQ(word(1, kCoilFunctionWord), kept);
        EXPECT_FALSE(editor.SetRetentive(true));
        ASSERT_TRUE(editor.SetRetentive(false));
        EXPECT_EQ(word(1, kCoilFunctionWord), plain);
    }
}

TEST_F(LadderEditorTest, DeletingAContactTakesItsConnections) {
    ASSERT_TRUE(placeContact(0, 0, 'I', 1));
    ASSERT_TRUE(placeContact(0, 1, 'I', 2));
    ASSERT_TRUE(editor.MakeNormallyClosed());
    EXPECT_EQ(word(0, 3), 'I' + NormallyClosedShift);
    word(0, 5) = J(JunctionLeft | JunctionRight);
    ASSERT_TRUE(editor.DeleteElement());
    EXPECT_EQ(word(0, 3), CellEmpty);
    EXPECT_EQ(word(0, 4), CellEmpty);
    EXPECT_EQ(word(0, 2), J(JunctionLeft));
    EXPECT_EQ(word(0, 5), J(JunctionRight));
    EXPECT_FALSE(editor.DeleteElement());  // nothing left to delete, nothing recorded
}

TEST_F(LadderEditorTest, InsertLineRefusedWhenTheLastLineHoldsAnything) {
    word(249, kCoilLetterWord) = 'Q';
    const Program before = document.program();
    editor.select({SelectionKinds::Contact, 3, 0});
    EXPECT_FALSE(editor.InsertLine());
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(prompter.messages()[0].text,
              QStringLiteral("Maximum lines has been reached or Data is present at last line."));
    EXPECT_EQ(prompter.messages()[0].icon, MessageIcon::Information);
    EXPECT_EQ(prompter.messages()[0].caption, QStringLiteral("BRANTELDESK X"));
    EXPECT_EQ(document.program(), before);
    EXPECT_FALSE(editor.CanUndo());
}

TEST_F(LadderEditorTest, InsertAndDeleteLinesMoveWordsAndComments) {
    ASSERT_TRUE(placeContact(3, 0, 'I', 1));
    document.program().LineComments[3] = QStringLiteral("start");
    editor.select({SelectionKinds::Coil, 3, 0});
    ASSERT_TRUE(editor.InsertLine());
    EXPECT_EQ(word(3, 0), CellEmpty);
    EXPECT_EQ(word(4, 0), 'I');
    EXPECT_EQ(document.program().LineComments[3], QString());
    EXPECT_EQ(document.program().LineComments[4], QStringLiteral("start"));

    // Line 1 linked down to line 2: once line 1 goes, the new first line links up to nothing.
    editor.select({SelectionKinds::Junction, 0, 0});
    ASSERT_TRUE(editor.ToggleJunction(JunctionArea::Down));
    word(1, 2) |= JunctionRight;
    ASSERT_TRUE(editor.DeleteLine());
    EXPECT_EQ(word(0, 2), J(JunctionRight));
    EXPECT_EQ(word(3, 0), 'I');
    EXPECT_EQ(document.program().LineComments[3], QStringLiteral("start"));
}

TEST_F(LadderEditorTest, EverythingIsRefusedWhileSimulating) {
    ASSERT_TRUE(placeContact(0, 1, 'I', 1));
    ASSERT_TRUE(placeCoil(0, 'M', 1));
    const QString line = editor.Copy().value();
    editor.setSimulationActive(true);
    const Program before = document.program();
    const int slot = document.undoStore().UndoIndex();
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_FALSE(editor.Undo());
    EXPECT_FALSE(placeContact(1, 0, 'I', 2));
    EXPECT_FALSE(placeCoil(0, 'Q', 1));
    EXPECT_FALSE(editor.SetCoilFunction(CoilSet));
    EXPECT_FALSE(editor.SetRetentive(true));
    EXPECT_FALSE(editor.DeleteCoil());
    EXPECT_FALSE(editor.Cut().has_value());
    EXPECT_FALSE(editor.Copy().has_value());
    EXPECT_FALSE(editor.Paste(line));
    EXPECT_FALSE(editor.DeleteLine());
    EXPECT_FALSE(editor.InsertLine());
    editor.select({SelectionKinds::Contact, 0, 1});
    EXPECT_FALSE(editor.MakeNormallyClosed());
    EXPECT_FALSE(editor.DeleteElement());
    editor.setEditTool(kWireTool);
    editor.select({SelectionKinds::Contact, 1, 1});
    EXPECT_FALSE(editor.WireToolClick(0.5));
    editor.select({SelectionKinds::Junction, 1, 1});
    EXPECT_FALSE(editor.ToggleJunction(JunctionArea::Down));
    EXPECT_EQ(document.program(), before);
    EXPECT_EQ(document.undoStore().UndoIndex(), slot);
    EXPECT_TRUE(prompter.messages().empty());
}

// Every change takes the one edit path: one undo point, one rule check, one gridChanged; a
// refusal or a no-op records nothing; parameters may be stored while a simulation runs.
TEST_F(LadderEditorTest, OneEditPathForSavesAndScopes) {
    int gridSignals = 0;
    std::vector<bool> modified;
    QObject::connect(&editor, &LadderEditor::gridChanged, [&] { ++gridSignals; });
    QObject::connect(&document, &ProgramDocument::modifiedChanged, [&](bool m) { modified.push_back(m); });
    ASSERT_TRUE(placeCoil(0, 'C', 1));
    EXPECT_EQ(gridSignals, 1);
    EXPECT_EQ(modified, std::vector<bool>{true});
    const int slot = document.undoStore().UndoIndex();

    CounterRecord counter = DecodeCounter(document.program(), 0);
    counter.pulses = 0;  // refused outside a simulation
    EXPECT_FALSE(editor.applySave([&](Program& p) { return SaveCounter(p, 0, counter, false); }));
    EXPECT_EQ(prompter.texts(), QStringList{"Number of Pulses value of counter should not be zero"});
    EXPECT_EQ(document.undoStore().UndoIndex(), slot);

    counter.pulses = 1;
    counter.displayUnits = 1;
    counter.setPoint = 5;
    EXPECT_TRUE(editor.applySave([&](Program& p) { return SaveCounter(p, 0, counter, false); }));
    EXPECT_EQ(document.undoStore().UndoIndex(), slot + 1);
    EXPECT_EQ(gridSignals, 2);
    EXPECT_EQ(editor.errors(), RunRuleCheck(document.program()));
    // The same values again change nothing and record nothing.
    EXPECT_TRUE(editor.applySave([&](Program& p) { return SaveCounter(p, 0, counter, false); }));
    EXPECT_EQ(document.undoStore().UndoIndex(), slot + 1);
    EXPECT_EQ(gridSignals, 2);

    editor.setSimulationActive(true);
    counter.setPoint = 7;
    EXPECT_FALSE(editor.applyEdit([](Program& p) { p.LineComments[0] = "x"; }));
    EXPECT_TRUE(editor.applySave([&](Program& p) { return SaveCounter(p, 0, counter, true); }));
    EXPECT_EQ(DecodeCounter(document.program(), 0).setPoint, 7);
    EXPECT_EQ(document.undoStore().UndoIndex(), slot + 2);
    const int beforeEnd = gridSignals;
    editor.setSimulationActive(false);
    EXPECT_EQ(gridSignals, beforeEnd + 1);  // checked again when the run ends
}

TEST_F(LadderEditorTest, UndoKeepsTheLast25EditsAndSelectsTheirCell) {
    std::vector<Program> states{document.program()};
    for (int edit = 0; edit < 26; ++edit) {
        ASSERT_TRUE(placeContact(edit, edit % 3, 'M', edit + 1));
        states.push_back(document.program());
    }
    EXPECT_EQ(editor.errors(), RunRuleCheck(document.program()));
    for (int step = 25; step >= 1; --step) {
        ASSERT_TRUE(editor.Undo()) << step;
        EXPECT_EQ(document.program().LadderGrid, states[step].LadderGrid) << step;
        // The cell selected when the undone edit was made.
        EXPECT_EQ(editor.CurrentCell(), step * kWordsPerLine + kContactWord[step % 3]);
    }
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_FALSE(editor.Undo());
    EXPECT_EQ(editor.TopLine(), 1);

    ASSERT_TRUE(editor.Redo());
    ASSERT_TRUE(editor.Redo());
    EXPECT_EQ(document.program().LadderGrid, states[3].LadderGrid);
    // A new edit discards what was left to redo.
    ASSERT_TRUE(placeCoil(0, 'Q', 1));
    EXPECT_FALSE(editor.CanRedo());
}

TEST_F(LadderEditorTest, LineTravelsToAnotherEditorThroughTheClipboardText) {
    ASSERT_TRUE(placeContact(4, 2, 'T', 3));
    ASSERT_TRUE(placeCoil(4, 'Q', 2));
    document.program().LineComments[4] = QStringLiteral("pump on");
    editor.selectLine(4);
    ASSERT_TRUE(editor.LineSelected());
    const std::optional<QString> text = editor.Copy();
    ASSERT_TRUE(text.has_value());

    QTemporaryDir otherDir;
    ProgramDocument otherDocument{prompter, otherDir.filePath(QStringLiteral("undo")),
                                  otherDir.filePath(QStringLiteral("app"))};
    otherDocument.StartEmpty();
    LadderEditor other{otherDocument, prompter};
    other.selectLine(7);
    ASSERT_TRUE(other.Paste(*text));
    for (int w = 0; w < kWordsPerLine; ++w) {
        EXPECT_EQ(otherDocument.program().word(7, w), word(4, w)) << w;
    }
    EXPECT_EQ(otherDocument.program().LineComments[7], QStringLiteral("pump on"));
    EXPECT_TRUE(other.CanUndo());

    // Any other selection leaves line mode; a coil does not paste into a contact position.
    other.select({SelectionKinds::Coil, 7, 0});
    EXPECT_FALSE(other.LineSelected());
    const QString coil = other.Copy().value();
    other.select({SelectionKinds::Contact, 9, 0});
    EXPECT_FALSE(other.Paste(coil));
    EXPECT_FALSE(other.Paste(QStringLiteral("hello")));
    // A cut of the line takes it out: the lines below move up.
    editor.selectLine(3);
    ASSERT_TRUE(editor.Cut().has_value());
    EXPECT_EQ(word(3, kCoilLetterWord), 'Q');
}

TEST_F(LadderEditorTest, NavigationScrollsAtTheEdgesOfTheShownLines) {
    constexpr int C = SelectionKinds::Contact, Jn = SelectionKinds::Junction, K = SelectionKinds::Coil;
    struct Step {
        Move move;
        GridPosition to;
        int top;
    };
    const Step steps[] = {
        {Move::Down, {C, 10, 2}, 1},      {Move::Right, {Jn, 10, 2}, 1},  {Move::Right, {K, 10, 0}, 1},
        {Move::Right, {K, 10, 0}, 1},     {Move::Home, {C, 10, 0}, 1},    {Move::Left, {C, 10, 0}, 1},
        {Move::PageDown, {C, 20, 0}, 11}, {Move::PageUp, {C, 10, 0}, 1},  {Move::PageUp, {C, 0, 0}, 0},
        {Move::Up, {C, 0, 0}, 0},         {Move::Last, {K, 120, 0}, 111}, {Move::PageDown, {K, 130, 0}, 121},
        {Move::First, {C, 0, 0}, 0},
    };
    word(120, 0) = 'I';
    editor.select({C, 9, 2});
    EXPECT_EQ(editor.SelectionIndex(), 29);
    for (const Step& step : steps) {
        SCOPED_TRACE(static_cast<int>(step.move));
        editor.move(step.move);
        EXPECT_EQ(editor.selection(), step.to);
        EXPECT_EQ(editor.TopLine(), step.top);
    }
    editor.setTopLine(250);
    EXPECT_EQ(editor.TopLine(), kLastTopLine);
    EXPECT_EQ(editor.SelectionIndex(), -1);
    editor.select({K, 249, 0});
    editor.move(Move::PageDown);
    editor.move(Move::Down);
    EXPECT_EQ(editor.selection().line, 249);
    EXPECT_EQ(editor.SelectionIndex(), 9);
}

}  // namespace
}  // namespace bdx
