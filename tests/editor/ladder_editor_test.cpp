#include "editor/ladder_editor.h"

#include <QSet>

#include "blocks/counter_record.h"
#include "editor_fixture.h"

namespace bdx {
namespace {

using LadderEditorTest = EditorFixture;

TEST_F(LadderEditorTest, ContactInLastColumnWiresAnOpenMiddleColumn) {
    ASSERT_TRUE(placeContact(0, 2, 'I', 3));
    expectWords(0, {{6, 'I'},
                    {7, OperandNumberCode(3)},
                    {8, J(JunctionLeft)},
                    {3, CellWire},
                    {4, CellWire},
                    {5, J(JunctionLeft | JunctionRight)},
                    {2, J(JunctionLeft | JunctionRight)}});

    // With a link from above, the middle column is fed from there and stays open.
    word(1, 5) = J(JunctionUp);
    ASSERT_TRUE(placeContact(1, 2, 'I', 4));
    expectWords(1, {{5, J(JunctionUp | JunctionRight)}, {3, CellEmpty}, {2, CellEmpty}});

    // A contact in column 2 under a link gets only the feed from the left.
    word(2, 2) = J(JunctionUp);
    ASSERT_TRUE(placeContact(2, 1, 'M', 64));
    expectWords(2, {{2, J(JunctionUp | JunctionRight)}, {5, J(JunctionLeft)}});
}

TEST_F(LadderEditorTest, OperandsGoOnlyWhereTheyBelong) {
    // kind, code, number, placed
    const std::tuple<int, std::uint16_t, int, bool> cases[] = {
        {C, 'I' + NormallyClosedShift, 8, true},
        {C, ClockContactOpen, 16, true},
        {C, 'I', 9, false},  // no input 9
        {C, CellWire, 1, false},
        {K, 'I', 1, false},  // inputs have no coils
        {K, 'Q' + NormallyClosedShift, 1, false},
        {Jn, 'I', 1, false},
    };
    for (const auto& [kind, code, number, placed] : cases) {
        SCOPED_TRACE(testing::Message() << kind << " " << code << " " << number);
        const Program before = program();
        editor.select({kind, 4, 1});
        editor.setPlacement(code, OperandNumberCode(number));
        EXPECT_EQ(editor.PlaceOperand(), placed);
        EXPECT_EQ(program().LadderGrid != before.LadderGrid, placed);
        program().LadderGrid = before.LadderGrid;
    }
    // The same element once more changes nothing and records nothing; the wire tool places nothing.
    ASSERT_TRUE(placeContact(7, 0, 'Q', 2));
    const int slot = undoSlot();
    EXPECT_FALSE(placeContact(7, 0, 'Q', 2));
    EXPECT_EQ(undoSlot(), slot);
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
        expectWords(3, {{kCoilFunctionWord, function},
                        {kCoilLetterWord, letter},
                        {kCoilNumberWord, OperandNumberCode(2)}});
    }

    // A soft text coil prepares its message; while another X5 coil remains the text stays, the
    // last one takes it, and replacing the last by another coil counts as deleting it.
    auto& message = program().SoftTextParams[4];
    message.fill(0);
    message[0] = 'A';
    ASSERT_TRUE(placeCoil(1, 'X', 5));
    EXPECT_EQ(message[0], 'A');
    EXPECT_EQ(message[35], ' ');
    ASSERT_TRUE(placeCoil(2, 'X', 5));
    editor.select({K, 1, 0});
    ASSERT_TRUE(editor.DeleteCoil());
    EXPECT_EQ(message[0], 'A');
    expectWords(1, {{kCoilLetterWord, CellEmpty}, {kCoilFunctionWord, CoilNone}});
    ASSERT_TRUE(placeCoil(2, 'Q', 1));
    EXPECT_EQ(message[0], ' ');
}

TEST_F(LadderEditorTest, WireToolAndDeletingAContact) {
    editor.setEditTool(kWireTool);
    editor.select({C, 0, 0});
    EXPECT_FALSE(editor.WireToolClick(0.5));  // never in the first column
    editor.select({C, 0, 1});
    EXPECT_FALSE(editor.WireToolClick(0.39) || editor.WireToolClick(0.61));  // only the middle band
    EXPECT_FALSE(editor.CanUndo());
    // A click lays a wire, the next takes it away; the junctions keep their sides.
    for (const std::uint16_t wire : {CellWire, CellEmpty}) {
        ASSERT_TRUE(editor.WireToolClick(0.5));
        expectWords(0, {{3, wire}, {4, wire}, {2, J(JunctionRight)}, {5, J(JunctionLeft)}});
    }
    word(0, 6) = 'I';
    editor.select({C, 0, 2});
    EXPECT_FALSE(editor.WireToolClick(0.5));
    EXPECT_EQ(word(0, 6), 'I');

    // Delete takes a contact with its connections.
    editor.setEditTool(kSelectionTool);
    ASSERT_TRUE(placeContact(1, 0, 'I', 1));
    ASSERT_TRUE(placeContact(1, 1, 'I', 2));
    ASSERT_TRUE(editor.MakeNormallyClosed());
    EXPECT_EQ(word(1, 3), 'I' + NormallyClosedShift);
    word(1, 5) = J(JunctionLeft | JunctionRight);
    ASSERT_TRUE(editor.DeleteElement());
    expectWords(1, {{3, CellEmpty}, {4, CellEmpty}, {2, J(JunctionLeft)}, {5, J(JunctionRight)}});
    EXPECT_FALSE(editor.DeleteElement());  // nothing left to delete, nothing recorded
}

TEST_F(LadderEditorTest, JunctionTogglesKeepBothLinesInStep) {
    editor.select({Jn, 5, 1});
    ASSERT_TRUE(editor.ToggleJunction(JunctionArea::Down));
    EXPECT_EQ(std::pair(word(5, 5), word(6, 5)), std::pair(J(JunctionDown), J(JunctionUp)));
    editor.select({Jn, 6, 1});
    ASSERT_TRUE(editor.ToggleJunction(JunctionArea::Up));
    EXPECT_EQ(std::pair(word(5, 5), word(6, 5)), std::pair(CellEmpty, CellEmpty));
    ASSERT_TRUE(editor.ToggleJunction(JunctionArea::Left));
    ASSERT_TRUE(editor.ToggleJunction(JunctionArea::Right));
    EXPECT_EQ(word(6, 5), J(JunctionLeft | JunctionRight));
    ASSERT_TRUE(editor.ToggleJunction(JunctionArea::Left));
    EXPECT_EQ(word(6, 5), J(JunctionRight));

    // The first line has nobody above: only its own word changes (the last line's is the grid's).
    LadderGridWords expected = program().LadderGrid;
    editor.select({Jn, 0, 0});
    ASSERT_TRUE(editor.ToggleJunction(JunctionArea::Up));
    expected[JunctionWordIndex(0, 0)] = J(JunctionUp);
    EXPECT_EQ(program().LadderGrid, expected);
}

TEST_F(LadderEditorTest, CoilCommandsFitTheLetter) {
    ASSERT_TRUE(placeCoil(0, 'Q', 1));
    // The coil letter is no contact code: polarity leaves it alone.
    EXPECT_FALSE(editor.MakeNormallyClosed());
    EXPECT_EQ(word(0, kCoilLetterWord), 'Q');
    EXPECT_FALSE(editor.SetCoilFunction(CoilTrigger));  // not a function of an output
    ASSERT_TRUE(editor.SetCoilFunction(CoilImpulse));
    // The retentive commands change only auxiliary relays.
    const int slot = undoSlot();
    EXPECT_FALSE(editor.SetRetentive(true));
    EXPECT_EQ(word(0, kCoilFunctionWord), CoilImpulse);
    EXPECT_EQ(undoSlot(), slot);

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

TEST_F(LadderEditorTest, InsertAndDeleteLines) {
    ASSERT_TRUE(placeContact(3, 0, 'I', 1));
    program().LineComments[3] = QStringLiteral("start");
    editor.select({K, 3, 0});
    ASSERT_TRUE(editor.InsertLine());
    const auto& comments = program().LineComments;
    EXPECT_EQ(std::pair(word(3, 0), word(4, 0)), std::pair(CellEmpty, std::uint16_t('I')));
    EXPECT_EQ(std::pair(comments[3], comments[4]), std::pair(QString(), QStringLiteral("start")));
    editor.select({Jn, 0, 0});
    ASSERT_TRUE(editor.DeleteLine());  // what happens to the links of a deleted line: clipboard tests
    EXPECT_EQ(std::pair(word(3, 0), comments[3]), std::pair(std::uint16_t('I'), QStringLiteral("start")));

    // No line is pushed out at the bottom.
    word(249, kCoilLetterWord) = 'Q';
    const Program before = program();
    const int slot = undoSlot();
    EXPECT_FALSE(editor.InsertLine());
    ASSERT_EQ(prompter.messages().size(), 1u);
    const Message& shown = prompter.messages()[0];
    EXPECT_EQ(std::tie(shown.text, shown.caption, shown.icon),
              std::tuple(QStringLiteral("Maximum lines has been reached or Data is present at last line."),
                         QStringLiteral("BRANTELDESK X"), MessageIcon::Information));
    EXPECT_EQ(program(), before);
    EXPECT_EQ(undoSlot(), slot);
}

TEST_F(LadderEditorTest, EverythingIsRefusedWhileSimulating) {
    ASSERT_TRUE(placeContact(0, 1, 'I', 1));
    ASSERT_TRUE(placeCoil(0, 'M', 1));
    const QString coil = editor.Copy().value();
    editor.setSimulationActive(true);
    const Program before = program();
    const int slot = undoSlot();
    // Each group stops at the first command that is wrongly carried out.
    EXPECT_FALSE(editor.CanUndo() || editor.Undo() || placeContact(1, 0, 'I', 2) || placeCoil(0, 'Q', 1));
    EXPECT_FALSE(editor.SetCoilFunction(CoilSet) || editor.SetRetentive(true) || editor.DeleteCoil());
    EXPECT_FALSE(editor.Cut() || editor.Copy() || editor.Paste(coil) || editor.DeleteLine() ||
                 editor.InsertLine());
    editor.select({C, 0, 1});
    EXPECT_FALSE(editor.MakeNormallyClosed() || editor.DeleteElement());
    editor.setEditTool(kWireTool);
    editor.select({C, 1, 1});
    EXPECT_FALSE(editor.WireToolClick(0.5));
    editor.select({Jn, 1, 1});
    EXPECT_FALSE(editor.ToggleJunction(JunctionArea::Down));
    EXPECT_EQ(program(), before);
    EXPECT_EQ(undoSlot(), slot);
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
    const int slot = undoSlot();

    CounterRecord counter = DecodeCounter(program(), 0);
    counter.pulses = 0;  // refused outside a simulation
    EXPECT_FALSE(editor.applySave([&](Program& p) { return SaveCounter(p, 0, counter, false); }));
    EXPECT_EQ(prompter.texts(), QStringList{"Number of Pulses value of counter should not be zero"});
    EXPECT_EQ(undoSlot(), slot);

    counter.pulses = 1;
    counter.displayUnits = 1;
    counter.setPoint = 5;
    EXPECT_TRUE(editor.applySave([&](Program& p) { return SaveCounter(p, 0, counter, false); }));
    EXPECT_EQ(undoSlot(), slot + 1);
    EXPECT_EQ(gridSignals, 2);
    EXPECT_EQ(editor.errors(), RunRuleCheck(program()));
    // The same values again change nothing and record nothing.
    EXPECT_TRUE(editor.applySave([&](Program& p) { return SaveCounter(p, 0, counter, false); }));
    EXPECT_EQ(undoSlot(), slot + 1);
    EXPECT_EQ(gridSignals, 2);

    editor.setSimulationActive(true);
    counter.setPoint = 7;
    EXPECT_FALSE(editor.applyEdit([](Program& p) { p.LineComments[0] = "x"; }));
    EXPECT_TRUE(editor.applySave([&](Program& p) { return SaveCounter(p, 0, counter, true); }));
    EXPECT_EQ(DecodeCounter(program(), 0).setPoint, 7);
    EXPECT_EQ(undoSlot(), slot + 2);
    const int beforeEnd = gridSignals;
    editor.setSimulationActive(false);
    EXPECT_EQ(gridSignals, beforeEnd + 1);  // checked again when the run ends
}

TEST_F(LadderEditorTest, UndoKeepsTheLast25EditsAndSelectsTheirCell) {
    std::vector<Program> states{program()};
    for (int edit = 0; edit < 26; ++edit) {
        ASSERT_TRUE(placeContact(edit, edit % 3, 'M', edit + 1));
        states.push_back(program());
    }
    EXPECT_EQ(editor.errors(), RunRuleCheck(program()));
    for (int step = 25; step >= 1; --step) {
        ASSERT_TRUE(editor.Undo()) << step;
        EXPECT_EQ(program().LadderGrid, states[step].LadderGrid) << step;
        // The cell selected when the undone edit was made.
        EXPECT_EQ(editor.CurrentCell(), step * kWordsPerLine + kContactWord[step % 3]);
    }
    EXPECT_FALSE(editor.CanUndo() || editor.Undo());
    EXPECT_EQ(editor.TopLine(), 1);

    ASSERT_TRUE(editor.Redo());
    ASSERT_TRUE(editor.Redo());
    EXPECT_EQ(program().LadderGrid, states[3].LadderGrid);
    // A new edit discards what was left to redo.
    ASSERT_TRUE(placeCoil(0, 'Q', 1));
    EXPECT_FALSE(editor.CanRedo());
}

// The texts themselves are checked with the clipboard; here the editor's line and element modes.
TEST_F(LadderEditorTest, CutCopyAndPasteWorkOnTheSelectedLineOrElement) {
    ASSERT_TRUE(placeContact(4, 2, 'T', 3));
    ASSERT_TRUE(placeCoil(4, 'Q', 2));
    program().LineComments[4] = QStringLiteral("pump on");
    editor.selectLine(4);
    ASSERT_TRUE(editor.LineSelected());
    const QString line = editor.Copy().value();
    const int slot = undoSlot();
    editor.selectLine(7);
    ASSERT_TRUE(editor.Paste(line));
    for (int w = 0; w < kWordsPerLine; ++w) {
        EXPECT_EQ(word(7, w), word(4, w)) << w;
    }
    EXPECT_EQ(program().LineComments[7], QStringLiteral("pump on"));
    EXPECT_EQ(undoSlot(), slot + 1);

    // Any other selection leaves line mode.
    editor.select({K, 7, 0});
    EXPECT_FALSE(editor.LineSelected());
    // A cut of the line takes it out: the lines below move up.
    editor.selectLine(3);
    ASSERT_TRUE(editor.Cut().has_value());
    EXPECT_EQ(word(3, kCoilLetterWord), 'Q');
}

TEST_F(LadderEditorTest, NavigationScrollsAtTheEdgesOfTheShownLines) {
    // move, selection after it, top line after it
    const std::tuple<Move, GridPosition, int> steps[] = {
        {Move::Down, {C, 10, 2}, 1},      {Move::Right, {Jn, 10, 2}, 1},  {Move::Right, {K, 10, 0}, 1},
        {Move::Right, {K, 10, 0}, 1},     {Move::Home, {C, 10, 0}, 1},    {Move::Left, {C, 10, 0}, 1},
        {Move::PageDown, {C, 20, 0}, 11}, {Move::PageUp, {C, 10, 0}, 1},  {Move::PageUp, {C, 0, 0}, 0},
        {Move::Up, {C, 0, 0}, 0},         {Move::Last, {K, 120, 0}, 111}, {Move::PageDown, {K, 130, 0}, 121},
        {Move::First, {C, 0, 0}, 0},
    };
    word(120, 0) = 'I';
    editor.select({C, 9, 2});
    EXPECT_EQ(editor.SelectionIndex(), 29);
    for (const auto& [move, to, top] : steps) {
        SCOPED_TRACE(static_cast<int>(move));
        editor.move(move);
        EXPECT_EQ(editor.selection(), to);
        EXPECT_EQ(editor.TopLine(), top);
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

// Several lines: cut, copy, paste, delete and insert take the whole range as one undo step.
TEST_F(LadderEditorTest, ThreeLinesCutAndPastedIntoAnotherProgramAsOneStep) {
    for (int line : {3, 4, 5}) {
        DrawLampRung(editor, line, 'I', line, 'M', line);
        program().LineComments[line] = QStringLiteral("rung %1, on").arg(line);
    }
    const Program drawn = program();
    // Shift+click from an element's line, then back over it: the range keeps where it began.
    editor.select({C, 5, 1});
    editor.extendLineSelection(7);
    editor.extendLineSelection(3);
    ASSERT_TRUE(editor.LineSelected());
    EXPECT_EQ(std::pair(editor.FirstSelectedLine(), editor.LastSelectedLine()), std::pair(3, 5));

    const int slot = undoSlot();
    const QString text = editor.Cut().value();
    EXPECT_EQ(undoSlot(), slot + 1);
    EXPECT_EQ(word(3, kCoilLetterWord), CellEmpty);  // what lay below moved up
    EXPECT_EQ(editor.SelectedLineCount(), 1);

    // The other window: its own program and history.
    QTemporaryDir otherDir;
    ProgramDocument otherDocument{prompter, otherDir.filePath("undo"), otherDir.filePath("app")};
    otherDocument.StartEmpty();
    LadderEditor other{otherDocument, prompter};
    other.reset();
    other.selectLine(20);
    ASSERT_TRUE(other.Paste(text));
    for (int i = 0; i < 3; ++i) {
        for (int w = 0; w < kWordsPerLine; ++w) {
            EXPECT_EQ(otherDocument.program().word(20 + i, w), drawn.word(3 + i, w)) << i << " " << w;
        }
        EXPECT_EQ(otherDocument.program().LineComments[20 + i], drawn.LineComments[3 + i]);
    }
    EXPECT_EQ(std::pair(other.FirstSelectedLine(), other.LastSelectedLine()), std::pair(20, 22));
    ASSERT_TRUE(other.Undo());
    EXPECT_EQ(otherDocument.program().LadderGrid, Program().LadderGrid);

    ASSERT_TRUE(editor.Undo());
    EXPECT_EQ(program().LadderGrid, drawn.LadderGrid);
    // Copy leaves the program; delete takes the range out in one step.
    editor.selectLine(4);
    editor.extendLineSelection(5);
    EXPECT_EQ(editor.Copy(), LinesClipboardText(drawn, 4, 2));
    ASSERT_TRUE(editor.DeleteElement());
    EXPECT_EQ(word(4, kCoilLetterWord), CellEmpty);
    ASSERT_TRUE(editor.Undo());
    EXPECT_EQ(program().LadderGrid, drawn.LadderGrid);
    EXPECT_TRUE(prompter.messages().empty());
}

TEST_F(LadderEditorTest, RangesStopAtTheLastLineAndBadTextsAreExplained) {
    DrawLampRung(editor, 0);
    DrawLampRung(editor, 1, 'I', 2, 'Q', 2);
    DrawLampRung(editor, 2, 'I', 3, 'Q', 3);
    editor.selectLine(0);
    editor.extendLineSelection(2);
    const QString three = editor.Copy().value();

    // first selected line, text, message (none: pasted)
    const std::tuple<int, QString, QString> pastes[] = {
        {kLadderLines - 3, three, QString()},
        {kLadderLines - 2, three, LoadText(8073).arg(3).arg(kLadderLines - 1).arg(kLadderLines - 2)},
        {40, QStringLiteral("I1 Q1"), LoadText(8070)},
        {40, QString(), LoadText(8070)},
        {40, ElementClipboardText(program(), 0, C), LoadText(8072)},
    };
    for (const auto& [line, text, message] : pastes) {
        SCOPED_TRACE(line);
        prompter.clear();
        const Program before = program();
        const int slot = undoSlot();
        editor.selectLine(line);
        EXPECT_EQ(editor.Paste(text), message.isEmpty());
        if (message.isEmpty()) {
            EXPECT_EQ(word(kLadderLines - 1, kCoilNumberWord), OperandNumberCode(3));
            continue;
        }
        EXPECT_EQ(prompter.texts(), QStringList{message});
        EXPECT_EQ(program(), before);
        EXPECT_EQ(undoSlot(), slot);
    }
    // A line text onto an element.
    prompter.clear();
    editor.select({C, 40, 0});
    EXPECT_FALSE(editor.Paste(three));
    EXPECT_EQ(prompter.texts(), QStringList{LoadText(8071)});

    // Inserting three lines needs the last three free.
    prompter.clear();
    editor.selectLine(10);
    editor.extendLineSelection(12);
    EXPECT_FALSE(editor.InsertLine());
    EXPECT_EQ(prompter.texts(), QStringList{LoadText(8074).arg(3).arg(kLadderLines - 2)});
    editor.selectLine(kLadderLines - 3);
    editor.extendLineSelection(kLadderLines - 1);
    ASSERT_TRUE(editor.DeleteLine());
    editor.selectLine(0);
    editor.extendLineSelection(2);
    ASSERT_TRUE(editor.InsertLine());
    EXPECT_EQ(word(5, kCoilNumberWord), OperandNumberCode(3));
    EXPECT_EQ(word(0, kCoilLetterWord), CellEmpty);
}

// A zoomed window shows more or fewer lines; paging and the last top line follow.
TEST_F(LadderEditorTest, PagingFollowsTheShownLines) {
    for (int shown : {20, 10, 5}) {
        SCOPED_TRACE(shown);
        editor.setShownLines(shown);
        editor.reset();
        editor.move(Move::PageDown);
        EXPECT_EQ(editor.TopLine(), shown);
        EXPECT_EQ(editor.selection().line, shown);
        for (int i = 0; i < kLadderLines; ++i) {
            editor.move(Move::PageDown);
        }
        EXPECT_EQ(editor.selection().line, kLadderLines - 1);
        EXPECT_EQ(editor.TopLine(), kLadderLines - shown);
        EXPECT_EQ(editor.SelectionIndex(), (shown - 1) * 3);
    }
    // Fewer lines in view keep a selection that was in view there.
    editor.setShownLines(20);
    editor.select({C, 15, 0});
    editor.setTopLine(0);
    editor.setShownLines(5);
    EXPECT_EQ(editor.TopLine(), 11);
}

class FindTest : public EditorFixture {
  protected:
    void SetUp() override {
        EditorFixture::SetUp();
        // line, code word, code, number; a Reset All coil function is the letter code of "A",
        // but no analog block.
        const std::tuple<int, int, std::uint16_t, int> elements[] = {{1, 0, 'I', 1},
                                                                     {2, 0, 'M', 3},
                                                                     {5, kCoilLetterWord, 'M', 7},
                                                                     {8, 3, 'M' + NormallyClosedShift, 3},
                                                                     {9, kCoilLetterWord, 'H', 1},
                                                                     {11, 6, ClockContactClosed, 16}};
        for (const auto& [line, at, code, number] : elements) {
            put(line, at, code, number);
        }
        word(9, kCoilFunctionWord) = CoilResetAll;
    }
};

TEST_F(FindTest, AnyNumberWrapsAroundAndSaysWhenTheWholeDocumentWasSearched) {
    const int m = FindCategoryIndex("M");
    const QString searched = QStringLiteral("Application has searched the whole document.");
    // number typed, cell found, messages so far; past the end it goes round again over the cell
    // the series began at, and a new series with a number goes from M3 to the closed m3 and back.
    const std::tuple<const char*, int, QStringList> steps[] = {
        {"", 2 * 12, {}},         {"", 5 * 12 + kCoilLetterWord, {}}, {"", 8 * 12 + 3, {}},
        {"", 2 * 12, {searched}}, {"3", 8 * 12 + 3, {searched}},      {" 3 ", 2 * 12, {searched, searched}}};
    for (const auto& [number, cell, texts] : steps) {
        SCOPED_TRACE(cell);
        if (number == QLatin1String("3")) {
            editor.resetFind();
        }
        ASSERT_TRUE(editor.FindNext(m, QString::fromLatin1(number)));
        EXPECT_EQ(editor.CurrentCell(), cell);
        EXPECT_EQ(prompter.texts(), texts);
    }

    editor.resetFind();
    ASSERT_TRUE(editor.FindNext(FindCategoryIndex("RTC"), QStringLiteral("16")));
    EXPECT_EQ(editor.selection(), (GridPosition{C, 11, 2}));
    EXPECT_EQ(editor.TopLine(), 2);  // scrolled into view
}

TEST_F(FindTest, RefusalsAndMisses) {
    const char* invalid = "The entered number is invalid for selected category.";
    const char* missing = "Application cannot find data you're searching for.";
    // category, number typed, message, warning (or information)
    const std::tuple<int, const char*, const char*, bool> cases[] = {
        {-1, "", "Please select the category.", true},  {FindCategoryIndex("I"), "9", invalid, true},
        {FindCategoryIndex("M"), "0", invalid, true},   {FindCategoryIndex("M"), "x", invalid, true},
        {FindCategoryIndex("M"), "64", missing, false}, {FindCategoryIndex("A"), "", missing, false},
    };
    editor.select({C, 3, 1});
    for (const auto& [category, number, message, warning] : cases) {
        SCOPED_TRACE(number);
        prompter.clear();
        EXPECT_FALSE(editor.FindNext(category, QString::fromLatin1(number)));
        ASSERT_EQ(prompter.messages().size(), 1u);
        EXPECT_EQ(prompter.messages()[0].text, QString::fromLatin1(message));
        EXPECT_EQ(prompter.messages()[0].icon, warning ? MessageIcon::Warning : MessageIcon::Information);
        EXPECT_EQ(editor.selection(), (GridPosition{C, 3, 1}));
    }
}

TEST(CoilMenuTest, EnglishEntriesPerLetter) {
    using Kind = CoilMenuEntry::Kind;
    auto describe = [](char letter) {
        QStringList list;
        for (const CoilMenuEntry& e : CoilMenuEntries(letter, English)) {
            list << (e.kind == Kind::Function ? QString::number(e.code) + QLatin1Char(' ') + e.caption
                     : e.caption.isEmpty()    ? QStringLiteral("-")
                                              : e.caption);
        }
        return list.join(QLatin1Char('|'));
    };
    const QString commands = QStringLiteral("-|De&lete Coil|-|Line &Delete|Line &Insert");
    const QString outputs = QStringLiteral(
        "148 State C&hange: Contactor|149 Le&vel Change: Remote Control|83 Bistable: &Set|"
        "82 Bistable: R&eset|");
    EXPECT_EQ(describe('Q'), outputs + commands);
    EXPECT_EQ(describe('W'), outputs + commands);
    EXPECT_EQ(describe('M'), outputs + QStringLiteral("-|Retentive|&Non Retentive|") + commands);
    const QString properties = QStringLiteral("|-|Pr&operties");
    EXPECT_EQ(describe('T'), QStringLiteral("84 &Trigger Input|82 R&eset Input|") + commands + properties);
    EXPECT_EQ(describe('X'), QStringLiteral("148 &Trigger Input|82 R&eset Input|") + commands + properties);
    EXPECT_EQ(describe('C'), QStringLiteral("67 Co&unting Input|82 R&eset Input|68 Di&rection Input|") +
                                 commands + properties);
    EXPECT_EQ(describe('H'), QStringLiteral("69 E&nable Input|82 R&eset Input|65 Reset &All Input|") +
                                 commands + properties);
    EXPECT_TRUE(CoilMenuEntries('I', English).empty());
}

// The entries are the same in every language (one list, texts from a table); each translated
// function caption differs from the English one and each menu keeps its accelerators apart.
TEST(CoilMenuTest, OtherLanguagesTranslateEveryFunctionWithDistinctAccelerators) {
    for (const int offset : {int(Portuguese), int(Polish), int(Spanish)}) {
        for (const char letter : {'Q', 'M', 'T', 'X', 'C', 'H'}) {
            SCOPED_TRACE(testing::Message() << offset << " " << letter);
            const auto english = CoilMenuEntries(letter, English);
            const auto translated = CoilMenuEntries(letter, offset);
            QSet<QChar> accelerators;
            for (std::size_t i = 0; i < english.size(); ++i) {
                if (english[i].kind == CoilMenuEntry::Kind::Function) {
                    EXPECT_NE(translated[i].caption, english[i].caption);
                }
                const qsizetype amp = translated[i].caption.indexOf(u'&');
                if (amp >= 0) {
                    const QChar key = translated[i].caption.at(amp + 1).toLower();
                    EXPECT_FALSE(accelerators.contains(key)) << translated[i].caption.toStdString();
                    accelerators.insert(key);
                }
            }
        }
    }
}

using EditorQueriesTest = EditorFixture;

TEST_F(EditorQueriesTest, PropertiesTargetAndPointerShapes) {
    // position, code, number, block it opens
    const std::tuple<GridPosition, std::uint16_t, int, std::optional<Operand>> cases[] = {
        {{C, 0, 1}, 'A', 3, Operand::A},
        {{C, 0, 1}, 'c' - ClosedDisplayShift, 16, Operand::C},
        {{C, 0, 1}, ClockContactClosed, 16, Operand::Clock},
        {{C, 0, 1}, 'Q', 1, std::nullopt},
        {{C, 0, 1}, CellWire, 1, std::nullopt},
        {{K, 4, 0}, 'T', 5, Operand::T},
    };
    for (const auto& [position, code, number, kind] : cases) {
        SCOPED_TRACE(code);
        word(position.line, CellOf(position) % kWordsPerLine) = code;
        word(position.line, CellOf(position) % kWordsPerLine + 1) = OperandNumberCode(number);
        editor.select(position);
        const std::optional<BlockRef> target = editor.PropertiesTarget();
        ASSERT_EQ(target.has_value(), kind.has_value());
        if (target) {
            EXPECT_EQ(std::pair(target->kind, target->number), std::pair(*kind, number - 1));
        }
        if (position.kind == C) {
            EXPECT_EQ(editor.pointerOver(position, std::nullopt, true),
                      kind ? PointerShape::Properties : PointerShape::ArrowContact);
        }
    }

    const GridPosition junction{Jn, 2, 1};
    EXPECT_EQ(editor.pointerOver(junction, JunctionArea::Up, false), PointerShape::VerticalLine);
    editor.setSimulationActive(true);
    EXPECT_EQ(editor.pointerOver(junction, JunctionArea::Down, false), PointerShape::NotAllowed);
}

TEST(EditorGeometryTest, CellsAndJunctionAreas) {
    // Number and coil-function words lead to their element; junction words to their cell.
    const std::pair<int, GridPosition> cases[] = {
        {0, {SelectionKinds::Contact, 0, 0}},   {4, {SelectionKinds::Contact, 0, 1}},
        {8, {SelectionKinds::Junction, 0, 2}},  {9, {SelectionKinds::Coil, 0, 0}},
        {2999, {SelectionKinds::Coil, 249, 0}}, {2990, {SelectionKinds::Junction, 249, 0}},
    };
    for (const auto& [cell, position] : cases) {
        EXPECT_EQ(PositionOfCell(cell), position) << cell;
    }
    EXPECT_FALSE(PositionOfCell(kGridWords));
    EXPECT_EQ(JunctionAreaAt(0.9, 0.1), JunctionArea::Up);
    EXPECT_EQ(JunctionAreaAt(0.2, 0.5), JunctionArea::Left);
}

}  // namespace
}  // namespace bdx
