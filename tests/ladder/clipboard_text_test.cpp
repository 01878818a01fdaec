#include "ladder/clipboard_text.h"

#include <gtest/gtest.h>

#include "ladder/grid.h"
#include "ladder/line_edit.h"

namespace bdx {
namespace {

constexpr EditorSelection kContactOnLine2{2 * kWordsPerLine, SelectionKinds::Contact, 2};
constexpr EditorSelection kCoilOnLine2{2 * kWordsPerLine + kCoilLetterWord, SelectionKinds::Coil, 2};
constexpr EditorSelection kLine0{0, SelectionKinds::Contact, 0};

// Line 2: I1 in column 1 with a link down, a wire in column 2, coil Q3 (contactor).
Program sampleProgram() {
    Program p;
    const std::uint16_t line[kWordsPerLine] = {
        'I', OperandNumberCode(1), 141, CellWire, CellWire, 128, 128, 128, 128, CoilContactor,
        'Q', OperandNumberCode(3)};
    std::copy(std::begin(line), std::end(line), p.LadderGrid.begin() + 2 * kWordsPerLine);
    return p;
}

TEST(ClipboardTextTest, TextsCarryTheWordsAroundTheSelection) {
    Program p = sampleProgram();
    EXPECT_EQ(LineClipboardText(p, 2),
              " MarloCutCopyPaste: Line: Number of Elements: 12, c1+0: 73, c1+1: 210, c1+2: 141, c1+3: 133, "
              "c1+4: 133, c1+5: 128, c1+6: 128, c1+7: 128, c1+8: 128, c1+9: 148, c1+10: 81, c1+11: 212");
    p.LineComments[2] = QStringLiteral("Pump on");
    EXPECT_TRUE(LineClipboardText(p, 2).endsWith(", c1+11: 212, c1+12: Pump on"));
    EXPECT_TRUE(LineClipboardText(p, 2).contains("Number of Elements: 13, "));

    p.LadderGrid[0] = 'M';
    p.LadderGrid[1] = OperandNumberCode(2);
    EXPECT_EQ(ElementClipboardText(p, 0, SelectionKinds::Contact),
              " MarloCutCopyPaste: Element: Number of Elements: 8, c1+0: 0, c1+1: 0, c1+2: 0, c1+3: 0, "
              "c1+4: 77, c1+5: 211, c1+6: 128, c1+7: 128");
    EXPECT_TRUE(
        ElementClipboardText(p, kGridWords - 2, SelectionKinds::Coil)
            .endsWith("c1+0: 2, c1+1: 128, c1+2: 128, c1+3: 128, c1+4: 128, c1+5: 128, c1+6: 0, c1+7: 0"));
}

TEST(ClipboardTextTest, LineCutMovesTheLinesBelowUp) {
    Program p = sampleProgram();
    p.LineComments[2] = QStringLiteral("two");
    p.LineComments[3] = QStringLiteral("next");
    p.LineComments[kLadderLines - 1] = QStringLiteral("last");
    p.word(3, 0) = 'M';
    p.LadderGrid[kGridWords - 1] = OperandNumberCode(4);
    const QString lineText = LineClipboardText(p, 2);
    EXPECT_EQ(PerformCutCopy(p, kContactOnLine2, true, true), lineText);
    Program expected;  // line 3 is now line 2, and the last line is empty
    expected.word(2, 0) = 'M';
    expected.LineComments[2] = QStringLiteral("next");
    expected.word(kLadderLines - 2, 11) = OperandNumberCode(4);
    expected.LineComments[kLadderLines - 2] = QStringLiteral("last");
    EXPECT_EQ(p, expected);

    // Once line 1 is gone nothing lies above the links that went up to it.
    p.word(1, 2) = JunctionBase | JunctionLeft | JunctionRight;
    SetVerticalLink(p.LadderGrid, 0, 0);
    SetVerticalLink(p.LadderGrid, 0, 2);
    RemoveLine(p, 0);
    EXPECT_EQ(p.word(0, 2), JunctionBase | JunctionLeft | JunctionRight);
    EXPECT_EQ(p.word(0, 8), JunctionBase);
    const Program before = p;
    RemoveLine(p, -1);
    RemoveLine(p, kLadderLines);
    EXPECT_EQ(p, before);
}

TEST(ClipboardTextTest, ElementCutEmptiesTheElementAndCopyChangesNothing) {
    Program p = sampleProgram();
    ASSERT_TRUE(PerformCutCopy(p, kCoilOnLine2, true, false));
    ASSERT_TRUE(PerformCutCopy(p, kContactOnLine2, true, false));
    Program expected = sampleProgram();
    for (int w : {0, 1, kCoilFunctionWord, kCoilLetterWord, kCoilNumberWord}) {
        expected.word(2, w) = CellEmpty;
    }
    EXPECT_EQ(p, expected);  // the junction beside the contact stays

    // A copy changes nothing.
    p = sampleProgram();
    EXPECT_TRUE(PerformCutCopy(p, kContactOnLine2, false, true));
    EXPECT_TRUE(PerformCutCopy(p, kCoilOnLine2, false, false));
    EXPECT_EQ(p, sampleProgram());
}

TEST(ClipboardTextTest, CopiedTextsPasteIntoAnotherProgram) {
    Program source = sampleProgram();
    source.LineComments[2] = QStringLiteral("first\r\nsecond");
    Program target;
    const EditorSelection line7{7 * kWordsPerLine, SelectionKinds::Contact, 7};
    const QString lineText = *PerformCutCopy(source, kContactOnLine2, false, true);
    EXPECT_TRUE(PerformPaste(target, line7, lineText, true));
    for (int w = 0; w < kWordsPerLine; ++w) {
        EXPECT_EQ(target.word(7, w), source.word(2, w));
    }
    EXPECT_EQ(target.LineComments[7], source.LineComments[2]);
    // Line breaks that a clipboard turned into bare LF come back as CR LF.
    target.LineComments[7].clear();
    EXPECT_TRUE(PerformPaste(target, line7, QString(lineText).replace("\r\n", "\n"), true));
    EXPECT_EQ(target.LineComments[7], source.LineComments[2]);
    // A comment is cut at its first comma.
    source.LineComments[2] = QStringLiteral("Pump, left side");
    EXPECT_TRUE(PerformPaste(target, line7, LineClipboardText(source, 2), true));
    EXPECT_EQ(target.LineComments[7], QStringLiteral("Pump"));

    // Coil onto a coil; a 0 (a position outside the grid) is never written.
    Program element;
    const QString coilText = ElementClipboardText(source, kCoilOnLine2.CurrentCell, SelectionKinds::Coil);
    EXPECT_TRUE(PerformPaste(element, kCoilOnLine2, coilText, false));
    Program coilOnly;
    for (int w : {kCoilFunctionWord, kCoilLetterWord, kCoilNumberWord}) {
        coilOnly.word(2, w) = source.word(2, w);
    }
    EXPECT_EQ(element, coilOnly);
    element.LadderGrid[1] = OperandNumberCode(5);
    EXPECT_TRUE(PerformPaste(element, kLine0,
                             " MarloCutCopyPaste: Element: Number of Elements: 8, c1+0: 0, c1+1: 0, c1+2: 0, "
                             "c1+3: 0, c1+4: 77, c1+5: 0, c1+6: 0, c1+7: 0",
                             false));
    EXPECT_EQ(element.LadderGrid[0], 'M');
    EXPECT_EQ(element.LadderGrid[1], OperandNumberCode(5));
}

TEST(ClipboardTextTest, UnusableTextChangesNothing) {
    const QString line = LineClipboardText(sampleProgram(), 2);
    const QString coil =
        ElementClipboardText(sampleProgram(), kCoilOnLine2.CurrentCell, SelectionKinds::Coil);
    const std::pair<QString, bool> texts[] = {
        // text, pasted in line mode
        {QString(), true},
        {"hello", false},
        {line.mid(1), true},  // without the leading blank of the marker
        {coil, true},
        {coil, false},  // a coil onto a contact position
        {" MarloCutCopyPaste: Line: Number of Elements: 12,,,,,,,,,,,,,,", true},
        {QString(line).replace("c1+5: 128", "c1+5: 65536"), true},
        {QString(line).replace("c1+5: 128", "c1+5: -1"), true},
        {QString(line).replace("c1+5: 128, ", ""), true},
        {QString(line).replace("Elements: 12", "Elements: 4294967309"), true},
        {QString(line).replace("Elements: 12", "Elements: 11"), true},
        {line.chopped(3), true},
        // Numbers outside the grid's codes: an element, a junction, a coil letter, a coil function.
        {QString(line).replace("c1+0: 73", "c1+0: 300"), true},
        {QString(line).replace("c1+2: 141", "c1+2: 127"), true},
        {QString(line).replace("c1+10: 81", "c1+10: 73"), true},
        {QString(line).replace("c1+9: 148", "c1+9: 1"), true},
        {ElementClipboardText(sampleProgram(), kContactOnLine2.CurrentCell, SelectionKinds::Contact)
             .replace("c1+4: 73", "c1+4: 66"),
         false},  // an element whose word is no contact code
    };
    for (const auto& [text, lineMode] : texts) {
        Program p;
        EXPECT_FALSE(PerformPaste(p, kLine0, text, lineMode)) << text.toStdString();
        EXPECT_EQ(p, Program()) << text.toStdString();
    }
    // Cut off anywhere, a text parses completely or not at all.
    for (qsizetype length = 0; length < line.size(); ++length) {
        const std::optional<ClipboardContent> parsed = ParseClipboardText(line.left(length));
        EXPECT_TRUE(!parsed || parsed->Words.size() == std::size_t(kLineEntries));
    }
}

// Several lines: the first stays readable as a line of its own, the rest follow it.
TEST(ClipboardTextTest, SeveralLinesTravelInOneTextThatStartsWithTheFirst) {
    Program source = sampleProgram();
    source.word(3, 0) = 'M';
    source.word(3, 1) = OperandNumberCode(7);
    source.LineComments[2] = QStringLiteral("Pump, left side");
    source.LineComments[4] = QStringLiteral("end\r\nof run");
    EXPECT_EQ(LinesClipboardText(source, 2, 1), LineClipboardText(source, 2));
    const QString text = LinesClipboardText(source, 2, 3);
    EXPECT_TRUE(text.startsWith(LineClipboardText(source, 2) + ", Line 2/3: Number of Elements: 12, c2+0: 77, "));

    // A reader of one line takes the first line and leaves the rest.
    Program single;
    EXPECT_TRUE(PerformPaste(single, kLine0, text, true));
    EXPECT_EQ(single.word(0, kCoilLetterWord), 'Q');
    EXPECT_EQ(single.LineComments[0], QStringLiteral("Pump"));

    const std::optional<std::vector<ClipboardContent>> lines = ParseLinesClipboardText(text);
    ASSERT_TRUE(lines && lines->size() == 3u);
    for (int i = 0; i < 3; ++i) {
        const auto start = source.LadderGrid.begin() + (2 + i) * kWordsPerLine;
        EXPECT_EQ((*lines)[i].Words, std::vector<std::uint16_t>(start, start + kWordsPerLine)) << i;
    }
    // Commas stay in the comments of a text of several lines.
    EXPECT_EQ((*lines)[0].Comment, source.LineComments[2]);
    EXPECT_FALSE((*lines)[1].Comment.has_value());
    EXPECT_EQ((*lines)[2].Comment, source.LineComments[4]);
    ASSERT_EQ(ParseLinesClipboardText(LineClipboardText(source, 3)).value().size(), 1u);
    source.LineComments[3] = QStringLiteral("as, Line 2/3: says");  // no head of a line
    ASSERT_EQ(ParseLinesClipboardText(LineClipboardText(source, 3)).value().size(), 1u);
    EXPECT_TRUE(LinesClipboardText(source, kLadderLines - 2, 3).isEmpty());

    const QString broken[] = {
        QString(text).replace("Line 3/3", "Line 4/3"),  // a line missing
        QString(text).replace("/3: ", "/2: "),           // counts that disagree
        QString(text).replace("c2+5: ", "c3+5: "),       // a label of another line
        QString(text).replace("c2+0: 77", "c2+0: 7"),    // no code of a contact
        QString(text).replace("2/3", "2/251"),
        QString(text).left(text.indexOf("Line 3/3") + 4),
        ElementClipboardText(source, 2 * kWordsPerLine, SelectionKinds::Contact) + ", Line 2/2: ",
    };
    for (const QString& bad : broken) {
        EXPECT_FALSE(ParseLinesClipboardText(bad).has_value()) << bad.toStdString();
    }
}

}  // namespace
}  // namespace bdx
