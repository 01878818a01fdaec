// Damaged program files are refused, never read shifted: every number line of every sample
// file, given one number more or one fewer, is refused with a message that names that line.
// No word outside the grid's codes gets into a program by a file, nor out of one to the device
// (the clipboard's texts are held to them in its own test).
#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>

#include "check/rule_checker.h"
#include "comm/device_image.h"
#include "ladder/grid.h"
#include "ladder/program_file.h"
#include "test_programs.h"

namespace bdx {
namespace {

// The examples (current generation) and a file of each older generation.
QStringList sampleFiles() {
    QStringList files;
    const QDir examples(QStringLiteral(BDX_SOURCE_DIR "/examples"));
    for (const QString& name : examples.entryList({QStringLiteral("*.h53")}, QDir::Files)) {
        files << examples.filePath(name);
    }
    const QDir corpus(QStringLiteral(BDX_SOURCE_DIR "/tests/fuzz/corpus/program_file"));
    for (const char* name : {"second.h53", "first_long.t53", "first_short.m53"}) {
        files << corpus.filePath(QLatin1String(name));
    }
    return files;
}

struct Sample {
    QString name;
    QList<QByteArray> lines;  // without their line ends
    QList<int> numberLines;   // 0-based
};

// The number lines run from the model line to the last table, with the name and path between.
Sample loadSample(const QString& path) {
    Sample s{QFileInfo(path).fileName(), contentOf(path).split('\n'), {}};
    for (QByteArray& line : s.lines) {
        line.chop(line.endsWith('\r') ? 1 : 0);
    }
    static const QRegularExpression numbers(QStringLiteral("^[ \\t,]*-?\\d+([ \\t,]+-?\\d+)*[ \\t,]*$"));
    const int model = s.lines.value(0).contains("VERSION") ? 1 : 0;
    s.numberLines << model;
    for (int i = model + 3; i < s.lines.size() && numbers.match(QString::fromLatin1(s.lines[i])).hasMatch();
         ++i) {
        s.numberLines << i;
    }
    return s;
}

QByteArray joined(const QList<QByteArray>& lines) {
    return lines.join("\r\n");
}

QString lineTag(int index) {
    return QStringLiteral("line %1:").arg(index + 1);
}

TEST(FileMutationTest, NumberLinesWithOneNumberMoreOrFewerAreRefusedNamingTheLine) {
    int mutations = 0;
    int accepted = 0;
    int namedRight = 0;
    QStringList firstMisses;
    for (const QString& path : sampleFiles()) {
        const Sample s = loadSample(path);
        for (const int index : s.numberLines) {
            const QByteArray original = s.lines[index];
            static const QRegularExpression lastNumber(QStringLiteral("[ \\t,]*-?\\d+[ \\t,]*$"));
            const QByteArray fewer = QString::fromLatin1(original).remove(lastNumber).toLatin1();
            for (const QByteArray& changed : {original + " 0 ", fewer}) {
                QList<QByteArray> lines = s.lines;
                lines[index] = changed;
                Program program;
                const ProgramFileStatus status = ParseProgramFile(joined(lines), program);
                ++mutations;
                if (status.ok()) {
                    ++accepted;
                } else if (status.detail.startsWith(lineTag(index))) {
                    ++namedRight;
                } else if (firstMisses.size() < 3) {
                    firstMisses << s.name + u' ' + lineTag(index) + u' ' + status.detail;
                }
            }
        }
    }
    // Number lines: 355 in a current file, 343 in a long older one, 327 in a short first-generation one.
    EXPECT_EQ(mutations, 2 * (3 * 355 + 2 * 343 + 327));
    EXPECT_EQ(accepted, 0) << "of " << mutations;
    EXPECT_EQ(namedRight, mutations) << firstMisses.join(u'\n').toStdString();
}

TEST(FileMutationTest, VersionLineDecidesTogetherWithTheLayout) {
    const Sample s = loadSample(sampleFiles().front());
    struct Case {
        QByteArray versionLine;
        int faultLine;  // 0-based
    };
    // Emptied: no first-generation model line; a second-generation label: its counter lines
    // are shorter than those of the current layout.
    const Case cases[] = {{"", 0}, {"   ", 0}, {"VERSION-1.1.7 : 1.0.0", 4 + 250 + 16 + 16}};
    for (const Case& c : cases) {
        QList<QByteArray> lines = s.lines;
        lines[0] = c.versionLine;
        Program program;
        const ProgramFileStatus status = ParseProgramFile(joined(lines), program);
        EXPECT_EQ(status.code, ProgramFileStatus::Code::Damaged) << c.versionLine.constData();
        EXPECT_TRUE(status.detail.startsWith(lineTag(c.faultLine))) << status.detail.toStdString();
    }
}

TEST(FileMutationTest, GridCodesOutsideTheElementCodesAreRefusedNamingTheLine) {
    struct Case {
        int line;  // 0-based ladder line
        int word;
        const char* value;
    };
    // Element, number, junction, coil function and coil letter positions.
    const Case cases[] = {{0, 0, "-1"},   {5, 0, "300"},  {7, 3, "66"},  {9, 1, "-1"},
                          {11, 2, "127"}, {12, 2, "144"}, {200, 9, "1"}, {249, 10, "73"}};
    for (const QString& path : sampleFiles()) {
        const Sample s = loadSample(path);
        const int firstGridLine = s.numberLines[0] + 3;
        for (const Case& c : cases) {
            QList<QByteArray> lines = s.lines;
            const int index = firstGridLine + c.line;
            QList<QByteArray> words = lines[index].simplified().split(' ');
            ASSERT_EQ(words.size(), kWordsPerLine) << s.name.toStdString() << ' ' << index;
            words[c.word] = c.value;
            lines[index] = ' ' + words.join("  ") + ' ';
            Program program;
            const ProgramFileStatus status = ParseProgramFile(joined(lines), program);
            EXPECT_EQ(status.code, ProgramFileStatus::Code::Damaged) << s.name.toStdString() << ' ' << index;
            EXPECT_TRUE(status.detail.startsWith(lineTag(index)))
                << s.name.toStdString() << ": " << status.detail.toStdString();
        }
    }
}

// Words nothing in the grid stands for, put into a program another way than by a file (a
// device's program read back, an undo step of an older version): the checker lists them and the
// image builder refuses them instead of writing an empty cell.
TEST(UnknownGridCodeTest, CheckerListsThemAndTheImageBuilderRefusesThem) {
    struct Case {
        int line, word;
        std::uint16_t value;
        int position;
    };
    const Case cases[] = {{0, 0, 65535, ErrorPosition::Contact},  // -1
                          {3, 5, 0, ErrorPosition::Connection},
                          {7, 7, 300, ErrorPosition::Contact},
                          {249, kCoilFunctionWord, 1, ErrorPosition::Coil},
                          {100, kCoilLetterWord, 'I', ErrorPosition::Coil}};
    for (const Case& c : cases) {
        Program p;
        p.word(c.line, c.word) = c.value;
        QString error;
        EXPECT_FALSE(BuildImage(p, true, &error).has_value()) << c.value;
        EXPECT_TRUE(error.startsWith(QStringLiteral("line %1, word %2:").arg(c.line + 1).arg(c.word + 1)))
            << error.toStdString();
        EXPECT_TRUE(BuildImageFileBytes(p, false, 3).isEmpty());
        const std::vector<ErrorRow> rows = RunRuleCheck(p);
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ(rows.front().line, c.line + 1);
        EXPECT_EQ(rows.front().positionKind, c.position);
        EXPECT_TRUE(rows.front().message.contains(QString::number(c.value)))
            << rows.front().message.toStdString();
    }
    // A normally closed message output is a grid code, but the device has no code for it.
    Program p;
    p.word(2, 0) = 'X' + NormallyClosedShift;
    EXPECT_FALSE(BuildImage(p, true).has_value());
    EXPECT_TRUE(BuildImage(Program{}, true).has_value());
}

}  // namespace
}  // namespace bdx
