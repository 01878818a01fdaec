#include <QSet>

#include "editor/ladder_editor.h"
#include "editor_fixture.h"
#include "shell/language_table.h"

namespace bdx {
namespace {

int categoryIndex(const char* name) {
    const auto& categories = FindCategories();
    for (int i = 0; i < int(categories.size()); ++i) {
        if (QLatin1String(categories[i].name) == QLatin1String(name)) {
            return i;
        }
    }
    return -1;
}

class FindTest : public EditorFixture {
  protected:
    void SetUp() override {
        EditorFixture::SetUp();
        word(1, 0) = 'I';
        word(1, 1) = OperandNumberCode(1);
        word(2, 0) = 'M';
        word(2, 1) = OperandNumberCode(3);
        word(5, kCoilLetterWord) = 'M';
        word(5, kCoilNumberWord) = OperandNumberCode(7);
        word(8, 3) = 'M' + NormallyClosedShift;
        word(8, 4) = OperandNumberCode(3);
        // A Reset All coil function is the letter code of "A", but no analog block.
        word(9, kCoilFunctionWord) = CoilResetAll;
        word(9, kCoilLetterWord) = 'H';
        word(9, kCoilNumberWord) = OperandNumberCode(1);
        word(11, 6) = ClockContactClosed;
        word(11, 7) = OperandNumberCode(16);
    }

    QString lastText() const { return prompter.texts().isEmpty() ? QString() : prompter.texts().back(); }
};

TEST_F(FindTest, AnyNumberWrapsAroundAndSaysWhenTheWholeDocumentWasSearched) {
    const int m = categoryIndex("M");
    const int expected[] = {2 * 12, 5 * 12 + kCoilLetterWord, 8 * 12 + 3};
    for (const int cell : expected) {
        ASSERT_TRUE(editor.FindNext(m, QString()));
        EXPECT_EQ(editor.CurrentCell(), cell);
    }
    EXPECT_TRUE(prompter.messages().empty());
    // Past the end and round again over the cell the series began at.
    ASSERT_TRUE(editor.FindNext(m, QString()));
    EXPECT_EQ(editor.CurrentCell(), 2 * 12);
    EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("Application has searched the whole document.")});

    // A new series with a number: from M3 to the closed m3 and back.
    editor.resetFind();
    ASSERT_TRUE(editor.FindNext(m, QStringLiteral("3")));
    EXPECT_EQ(editor.CurrentCell(), 8 * 12 + 3);
    EXPECT_EQ(prompter.texts().size(), 1);
    ASSERT_TRUE(editor.FindNext(m, QStringLiteral(" 3 ")));
    EXPECT_EQ(editor.CurrentCell(), 2 * 12);
    EXPECT_EQ(prompter.texts().size(), 2);

    editor.resetFind();
    ASSERT_TRUE(editor.FindNext(categoryIndex("RTC"), QStringLiteral("16")));
    EXPECT_EQ(editor.selection(), (GridPosition{SelectionKinds::Contact, 11, 2}));
    EXPECT_EQ(editor.TopLine(), 2);  // scrolled into view
}

TEST_F(FindTest, RefusalsAndMisses) {
    struct Case {
        int category;
        const char* number;
        const char* message;
        MessageIcon icon;
    };
    const Case cases[] = {
        {-1, "", "Please select the category.", MessageIcon::Warning},
        {categoryIndex("I"), "9", "The entered number is invalid for selected category.",
         MessageIcon::Warning},
        {categoryIndex("M"), "0", "The entered number is invalid for selected category.",
         MessageIcon::Warning},
        {categoryIndex("M"), "x", "The entered number is invalid for selected category.",
         MessageIcon::Warning},
        {categoryIndex("M"), "64", "Application cannot find data you're searching for.",
         MessageIcon::Information},
        {categoryIndex("A"), "", "Application cannot find data you're searching for.",
         MessageIcon::Information},
    };
    editor.select({SelectionKinds::Contact, 3, 1});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        prompter.clear();
        EXPECT_FALSE(editor.FindNext(c.category, QString::fromLatin1(c.number)));
        ASSERT_EQ(prompter.messages().size(), 1u);
        EXPECT_EQ(lastText(), QString::fromLatin1(c.message));
        EXPECT_EQ(prompter.messages()[0].icon, c.icon);
        EXPECT_EQ(editor.selection(), (GridPosition{SelectionKinds::Contact, 3, 1}));
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

TEST(CoilMenuTest, OtherLanguagesCarryTheSameEntries) {
    for (const int offset : {int(Portuguese), int(Polish), int(Spanish)}) {
        for (const char letter : {'Q', 'M', 'T', 'X', 'C', 'H'}) {
            SCOPED_TRACE(testing::Message() << offset << " " << letter);
            const auto english = CoilMenuEntries(letter, English);
            const auto translated = CoilMenuEntries(letter, offset);
            ASSERT_EQ(translated.size(), english.size());
            QSet<QChar> accelerators;
            for (std::size_t i = 0; i < english.size(); ++i) {
                EXPECT_EQ(translated[i].kind, english[i].kind);
                EXPECT_EQ(translated[i].code, english[i].code);
                EXPECT_EQ(translated[i].caption.isEmpty(), english[i].caption.isEmpty());
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
    EXPECT_EQ(CoilMenuEntries('C', Portuguese)[0].caption, QStringLiteral("Entrada co&ntador"));
    EXPECT_EQ(CoilMenuEntries('C', Spanish)[2].caption, QString::fromUtf8("Entrada d&irección"));
}

using EditorQueriesTest = EditorFixture;

TEST_F(EditorQueriesTest, PropertiesTargetAndPointerShapes) {
    struct Case {
        std::uint16_t code;
        int number;
        std::optional<Operand> kind;
    };
    const Case cases[] = {
        {'A', 3, Operand::A},
        {'c' - ClosedDisplayShift, 16, Operand::C},
        {ClockContactClosed, 16, Operand::Clock},
        {'Q', 1, std::nullopt},
        {CellWire, 1, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        word(0, 3) = c.code;
        word(0, 4) = OperandNumberCode(c.number);
        editor.select({SelectionKinds::Contact, 0, 1});
        const std::optional<BlockRef> target = editor.PropertiesTarget();
        ASSERT_EQ(target.has_value(), c.kind.has_value());
        if (target) {
            EXPECT_EQ(target->kind, *c.kind);
            EXPECT_EQ(target->number, c.number - 1);
        }
        EXPECT_EQ(editor.pointerOver({SelectionKinds::Contact, 0, 1}, std::nullopt, true),
                  c.kind ? PointerShape::Properties : PointerShape::ArrowContact);
    }
    word(4, kCoilLetterWord) = 'T';
    word(4, kCoilNumberWord) = OperandNumberCode(5);
    editor.select({SelectionKinds::Coil, 4, 0});
    ASSERT_TRUE(editor.PropertiesTarget().has_value());
    EXPECT_EQ(editor.PropertiesTarget()->number, 4);

    const GridPosition junction{SelectionKinds::Junction, 2, 1};
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
