#include <QSet>

#include "editor_fixture.h"

namespace bdx {
namespace {

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
