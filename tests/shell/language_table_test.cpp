#include "shell/language_table.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace bdx {
namespace {

class LanguageTableTest : public ::testing::Test {
  protected:
    void TearDown() override { SetLanguageOffset(English); }
};

TEST_F(LanguageTableTest, BuiltInTableHasEveryTextInFourLanguages) {
    const LanguageTable& table = LanguageTable::builtIn();
    ASSERT_GT(table.size(), 0);
    int english = 0;
    for (int id : table.ids()) {
        if (!IsEnglishTextId(id)) {
            continue;
        }
        ++english;
        for (const LanguageChoice& language : kLanguages) {
            EXPECT_FALSE(table.text(id + language.offset).isEmpty()) << id << " +" << language.offset;
        }
    }
    EXPECT_EQ(table.size(), english * 4);
}

// The markers a text's arguments fill in, sorted: a translation may move them, never lose one.
QStringList ArgumentMarkers(const QString& text) {
    static const QRegularExpression marker(QStringLiteral("%[1-9]"));
    QStringList found;
    for (const QRegularExpressionMatch& m : marker.globalMatch(text)) {
        found << m.captured();
    }
    found.sort();
    return found;
}

// Code joins texts with numbers and other texts, so a translation keeps the blanks at its
// ends and the markers its arguments go in; a menu caption keeps its one mnemonic.
TEST_F(LanguageTableTest, TranslationsKeepEdgesArgumentsAndMnemonics) {
    const LanguageTable& table = LanguageTable::builtIn();
    static const QRegularExpression leading(QStringLiteral("^\\s*"));
    static const QRegularExpression trailing(QStringLiteral("\\s*$"));
    for (int id : table.ids()) {
        if (!IsEnglishTextId(id)) {
            continue;
        }
        const QString en = table.text(id);
        for (int offset : {Portuguese, Polish, Spanish}) {
            const QString other = table.text(id + offset);
            EXPECT_EQ(leading.match(other).capturedLength(), leading.match(en).capturedLength())
                << id + offset;
            EXPECT_EQ(trailing.match(other).capturedLength(), trailing.match(en).capturedLength())
                << id + offset;
            EXPECT_EQ(other.count(u'&'), en.count(u'&')) << id + offset;
            EXPECT_EQ(ArgumentMarkers(other), ArgumentMarkers(en)) << id + offset;
        }
    }
}

TEST_F(LanguageTableTest, TextsTheProgramQuotes) {
    EXPECT_EQ(LoadText(4213, English),
              QStringLiteral("Please restart the application to reflect the language change."));
    EXPECT_EQ(LoadText(102, English), QStringLiteral("&New"));
    EXPECT_EQ(LoadText(4188, English), QStringLiteral("Sunday"));
    for (int id = 206; id <= 213; ++id) {
        EXPECT_FALSE(LoadText(id, English).isEmpty()) << id;
    }
}

TEST_F(LanguageTableTest, LookupUsesTheCurrentLanguage) {
    SetLanguageOffset(Spanish);
    EXPECT_EQ(CurrentLanguageOffset(), Spanish);
    EXPECT_EQ(LoadText(4213), LoadText(4213 + Spanish, English));
    EXPECT_NE(LoadText(4213), LoadText(4213, English));
    // An offset that is no language falls back to English.
    SetLanguageOffset(450);
    EXPECT_EQ(CurrentLanguageOffset(), English);
    // Unknown ids give an empty text.
    EXPECT_TRUE(LoadText(798, English).isEmpty());
}

TEST(LanguageTableParseTest, EscapesAndBlanks) {
    const QByteArray tsv =
        "id\ten\tpt\tpl\tes\n"
        "# comment\n"
        "\n"
        "4100\tLine one\\nLine two \tUm\\tdois\tA\\\\B\t Uno\r\n";
    QString error;
    const LanguageTable table = LanguageTable::fromTsv(tsv, &error);
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(table.size(), 4);
    EXPECT_EQ(table.text(4100), QStringLiteral("Line one\r\nLine two "));
    EXPECT_EQ(table.text(5000), QStringLiteral("Um\tdois"));
    EXPECT_EQ(table.text(5900), QStringLiteral("A\\B"));
    EXPECT_EQ(table.text(6800), QStringLiteral(" Uno"));
}

TEST(LanguageTableParseTest, MalformedRowsAreRefusedWithTheLine) {
    QString error;
    EXPECT_EQ(LanguageTable::fromTsv("101\tFile\tArquivo\n", &error).size(), 0);
    EXPECT_TRUE(error.contains(QStringLiteral("line 1")));
    EXPECT_EQ(LanguageTable::fromTsv("# x\n900\ta\tb\tc\td\n", &error).size(), 0);  // 900 is no English id
    EXPECT_TRUE(error.contains(QStringLiteral("line 2")));
    EXPECT_EQ(LanguageTable::fromTsv("abc\ta\tb\tc\td\n", &error).size(), 0);
    EXPECT_EQ(LanguageTable::fromTsv(QByteArray("\xff\xfe\x00\x01", 4), &error).size(), 0);
}

}  // namespace
}  // namespace bdx
