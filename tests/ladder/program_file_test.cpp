#include "ladder/program_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <random>

#include "ladder/cp1252.h"
#include "shell/scripted_prompter.h"

namespace bdx {
namespace {

// A program with something different in every word, field and text.
Program richProgram() {
    std::mt19937 random(53);
    Program p;
    p.ModelIndex = 11;
    p.ExtensionModules = {1, 0, 1};
    p.ProgramFileName = QStringLiteral("Rich.h53");
    p.ProgramFilePath = QStringLiteral("/data/Rich.h53");
    for (std::uint16_t& w : p.LadderGrid) {
        w = static_cast<std::uint16_t>(random() % 300);
    }
    auto fill = [&random](auto& table) {
        for (auto& row : table) {
            for (auto& v : row) {
                v = static_cast<std::uint8_t>(random() % 256);
            }
        }
    };
    fill(p.TimeSwitchParams);
    fill(p.TimerParams);
    fill(p.CounterParams);
    fill(p.AnalogParams);
    fill(p.CompareParams);
    fill(p.HourMeterParams);
    fill(p.SoftTextParams);
    fill(p.AnalogScalingParams);
    for (int i = 0; i < kOperandCommentCount; ++i) {
        p.OperandComments[i] = QStringLiteral("comment %1 \u00e9").arg(i);
    }
    for (int i = 0; i < kLadderLines; ++i) {
        p.LineComments[i] = i % 3 ? QStringLiteral("line %1").arg(i) : QString();
    }
    for (int i = 0; i < kPrintInfoTexts; ++i) {
        p.PrintInfo[i] = QStringLiteral("print %1").arg(i);
    }
    return p;
}

QStringList fileLines(const QByteArray& content) {
    QStringList lines = FromCp1252(content).split(QStringLiteral("\r\n"));
    EXPECT_TRUE(lines.last().isEmpty());  // every line ends with CR LF
    lines.removeLast();
    return lines;
}

QString numbers(std::initializer_list<int> values) {
    QString line;
    for (int v : values) {
        line += (v < 0 ? QStringLiteral("-") : QStringLiteral(" ")) + QString::number(std::abs(v)) + u' ';
    }
    return line;
}

template <typename Row>
QString rowText(const Row& row, int fields) {
    QString line;
    for (int f = 0; f < fields; ++f) {
        line += u' ' + QString::number(row[f]) + u' ';
    }
    return line;
}

// Writes a file of an older generation from a program's values, section by section.
struct LegacyWriter {
    FileGeneration generation;
    QStringList lines;

    template <typename Table>
    void table(const Table& t, int fields) {
        for (const auto& row : t) {
            lines << rowText(row, fields);
        }
    }
    QByteArray bytes() const { return ToCp1252(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")); }
};

LegacyWriter legacyNumberSections(const Program& p, FileGeneration generation, bool compares) {
    LegacyWriter w{generation, {}};
    if (generation == FileGeneration::Second) {
        w.lines << QStringLiteral("VERSION-1.1.4 : 1.1.2");
    }
    w.lines << numbers({p.ModelIndex, p.ExtensionModules[0], p.ExtensionModules[1], p.ExtensionModules[2]});
    w.lines << QStringLiteral("Old.m53") << QStringLiteral("C:\\Old.m53");
    for (int line = 0; line < kLadderLines; ++line) {
        QString text;
        for (int i = 0; i < kWordsPerLine; ++i) {
            text += u' ' + QString::number(p.word(line, i)) + u' ';
        }
        w.lines << text;
    }
    w.table(p.TimeSwitchParams, 7);
    w.table(p.TimerParams, 11);
    w.table(p.CounterParams, generation == FileGeneration::Second ? 6 : 5);
    w.table(p.AnalogParams, 5);
    if (compares) {
        w.table(p.CompareParams, 7);
    }
    w.table(p.SoftTextParams, 36);
    return w;
}

void addComments(LegacyWriter& w, int mCount, bool pComments, int lineComments, bool printInfo) {
    auto add = [&w](const char* letter, int count) {
        for (int i = 0; i < count; ++i) {
            w.lines << QStringLiteral("%1%2 note").arg(QLatin1String(letter)).arg(i + 1);
        }
    };
    add("I", 8), add("J", 8), add("K", 8), add("L", 8), add("Q", 4), add("U", 4), add("V", 4), add("W", 4);
    add("M", mCount), add("T", 16), add("C", 16), add("A", 12);
    if (pComments) {
        add("P", 16);
    }
    add("RTC", 16), add("Z", 4), add("X", 16);
    for (int i = 0; i < lineComments; ++i) {
        w.lines << QStringLiteral("rung %1").arg(i + 1);
    }
    if (printInfo) {
        add("print", 9);
    }
}

TEST(ProgramFileTest, NewProgramRoundTripsThroughAFileOf829Lines) {
    const Program original;
    const QByteArray content = FormatProgramFile(original);
    const QStringList lines = fileLines(content);
    ASSERT_EQ(lines.size(), kProgramFileLines);
    EXPECT_EQ(lines[0], QStringLiteral("VERSION-1.5.7 : 1.0.0"));
    EXPECT_EQ(lines[1], QStringLiteral(" 0  0  0  0 "));
    EXPECT_EQ(lines[2], QStringLiteral("Untitled.h53"));
    EXPECT_EQ(lines[3], QString());
    EXPECT_EQ(lines[4], numbers({128, 128, 128, 128, 128, 128, 128, 128, 128, 128, 128, 128}));
    EXPECT_EQ(lines[254], numbers({0, 0, 0, 0, 0, 0, 0}));  // first time switch
    EXPECT_EQ(lines[254].toLatin1(), QByteArray(" 0  0  0  0  0  0  0 "));

    Program back = richProgram();
    back.ProgramFileName = QStringLiteral("kept.h53");
    ASSERT_TRUE(ParseProgramFile(content, back).ok());
    Program expected = original;
    expected.ProgramFileName = QStringLiteral("kept.h53");
    expected.ProgramFilePath = back.ProgramFilePath;
    EXPECT_EQ(back, expected);
}

TEST(ProgramFileTest, EveryValueAndTextRoundTrips) {
    const Program original = richProgram();
    Program back;
    const ProgramFileStatus status = ParseProgramFile(FormatProgramFile(original), back, true);
    ASSERT_TRUE(status.ok()) << status.detail.toStdString();
    EXPECT_EQ(status.generation, FileGeneration::Current);
    EXPECT_EQ(status.lineCount, kProgramFileLines);
    EXPECT_EQ(back, original);
}

TEST(ProgramFileTest, NameAndPathLinesAreTakenOnlyForTheApplicationCopy) {
    Program source;
    source.ProgramFileName = QStringLiteral("Pump.h53");
    source.ProgramFilePath = QStringLiteral("/plant/Pump.h53");
    const QByteArray content = FormatProgramFile(source);
    Program target;
    target.ProgramFileName = QStringLiteral("Other.h53");
    ASSERT_TRUE(ParseProgramFile(content, target, false).ok());
    EXPECT_EQ(target.ProgramFileName, QStringLiteral("Other.h53"));
    EXPECT_TRUE(target.ProgramFilePath.isEmpty());
    ASSERT_TRUE(ParseProgramFile(content, target, true).ok());
    EXPECT_EQ(target.ProgramFileName, QStringLiteral("Pump.h53"));
    EXPECT_EQ(target.ProgramFilePath, QStringLiteral("/plant/Pump.h53"));
}

TEST(ProgramFileTest, LineBreaksInLineCommentsAreStoredAsCode255) {
    Program p;
    p.LineComments[7] = QStringLiteral("start\r\nmiddle\r\nend");
    p.LineComments[8] = QStringLiteral("unix\nbreak");
    p.comment(Operand::I, 0) = QStringLiteral("single\r\nline");  // operand comments stay on one line
    const QByteArray content = FormatProgramFile(p);
    const QList<QByteArray> raw = content.split('\n');
    ASSERT_EQ(raw.size(), kProgramFileLines + 1);
    EXPECT_EQ(raw[kProgramFileLines - 9 - 250 + 7], QByteArray("start\xffmiddle\xff"
                                                               "end\r"));

    Program back;
    ASSERT_TRUE(ParseProgramFile(content, back).ok());
    EXPECT_EQ(back.LineComments[7], QStringLiteral("start\r\nmiddle\r\nend"));
    EXPECT_EQ(back.LineComments[8], QStringLiteral("unix\r\nbreak"));
    EXPECT_EQ(back.comment(Operand::I, 0), QStringLiteral("single  line"));
}

TEST(ProgramFileTest, TextsAreWindows1252) {
    Program p;
    p.comment(Operand::Q, 0) = QStringLiteral("Bomba \u00f1 \u20ac 5");
    p.comment(Operand::Q, 1) = QStringLiteral("Pompa \u0142");  // not in the code page
    const QByteArray content = FormatProgramFile(p);
    EXPECT_TRUE(content.contains(QByteArray("Bomba \xf1 \x80 5\r\n")));
    Program back;
    ASSERT_TRUE(ParseProgramFile(content, back).ok());
    EXPECT_EQ(back.comment(Operand::Q, 0), QStringLiteral("Bomba \u00f1 \u20ac 5"));
    EXPECT_EQ(back.comment(Operand::Q, 1), QStringLiteral("Pompa ?"));
}

TEST(ProgramFileTest, NumbersMaySpreadOverLinesWithAnySeparators) {
    const Program original = richProgram();
    QString text = FromCp1252(FormatProgramFile(original));
    // Rejoin the grid: tabs and commas between numbers, line breaks in other places.
    const qsizetype gridStart =
        text.indexOf(QStringLiteral("\r\n"), text.indexOf(QStringLiteral("/data/Rich.h53"))) + 2;
    const qsizetype gridEnd = text.indexOf(QStringLiteral("\r\n"), gridStart + 1000);
    QString grid = text.mid(gridStart, gridEnd - gridStart);
    grid.replace(QStringLiteral("  "), QStringLiteral(",\t"));
    text.replace(gridStart, gridEnd - gridStart, grid);
    Program back;
    ASSERT_TRUE(ParseProgramFile(ToCp1252(text), back, true).ok());
    EXPECT_EQ(back.LadderGrid, original.LadderGrid);
}

TEST(ProgramFileTest, SecondGenerationFile) {
    Program source = richProgram();
    for (auto& timer : source.TimerParams) {
        timer[TimerField::Type] = 0;
    }
    source.TimerParams[0][TimerField::Type] = 3;  // stays
    source.TimerParams[1][TimerField::Type] = 4;  // one type was added before it
    source.TimerParams[2][TimerField::Type] = 12;
    LegacyWriter w = legacyNumberSections(source, FileGeneration::Second, true);
    addComments(w, 64, true, 250, true);
    ASSERT_GE(w.lines.size(), kCompareSectionMinLines);

    Program back;
    const ProgramFileStatus status = ParseProgramFile(w.bytes(), back);
    ASSERT_TRUE(status.ok()) << status.detail.toStdString();
    EXPECT_EQ(status.generation, FileGeneration::Second);
    EXPECT_EQ(back.LadderGrid, source.LadderGrid);
    EXPECT_EQ(back.TimerParams[0][TimerField::Type], 3);
    EXPECT_EQ(back.TimerParams[1][TimerField::Type], 5);
    EXPECT_EQ(back.TimerParams[2][TimerField::Type], 13);
    const Program defaults;
    for (int c = 0; c < kCounters; ++c) {
        for (int f = 0; f < 6; ++f) {
            EXPECT_EQ(back.CounterParams[c][f], source.CounterParams[c][f]);
        }
        for (int f = 6; f < kCounterFields; ++f) {
            EXPECT_EQ(back.CounterParams[c][f], defaults.CounterParams[c][f]);
        }
        EXPECT_EQ(back.AnalogParams[c % kAnalogBlocks][5], 0);
    }
    EXPECT_EQ(back.CompareParams, source.CompareParams);
    EXPECT_EQ(back.SoftTextParams, source.SoftTextParams);
    EXPECT_EQ(back.HourMeterParams, defaults.HourMeterParams);
    EXPECT_EQ(back.AnalogScalingParams, defaults.AnalogScalingParams);
    EXPECT_EQ(back.comment(Operand::M, 63), QStringLiteral("M64 note"));
    EXPECT_EQ(back.comment(Operand::P, 15), QStringLiteral("P16 note"));
    EXPECT_TRUE(back.comment(Operand::H, 0).isEmpty());
    EXPECT_EQ(back.comment(Operand::Clock, 0), QStringLiteral("RTC1 note"));
    EXPECT_EQ(back.comment(Operand::X, 15), QStringLiteral("X16 note"));
    EXPECT_EQ(back.LineComments[249], QStringLiteral("rung 250"));
    EXPECT_EQ(back.PrintInfo[8], QStringLiteral("print9 note"));
}

TEST(ProgramFileTest, FirstGenerationLongFile) {
    Program source = richProgram();
    source.CounterParams[2] = {1, 2, 3, 4, 5};
    source.CompareParams[4] = {1, 2, 3, 4, 5, 6, 7};
    LegacyWriter w = legacyNumberSections(source, FileGeneration::First, true);
    addComments(w, 32, true, 250, true);
    ASSERT_GE(w.lines.size(), kCompareSectionMinLines);

    Program back;
    const ProgramFileStatus status = ParseProgramFile(w.bytes(), back);
    ASSERT_TRUE(status.ok()) << status.detail.toStdString();
    EXPECT_EQ(status.generation, FileGeneration::First);
    EXPECT_EQ(back.ModelIndex, source.ModelIndex);
    EXPECT_EQ(back.LadderGrid, source.LadderGrid);
    // Four set-point digits move one field on; scaling 1 : 1.
    EXPECT_EQ(back.CounterParams[2],
              (std::array<std::uint8_t, kCounterFields>{1, 0, 2, 3, 4, 5, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
    // The second counter comes into the flags' high nibble.
    EXPECT_EQ(back.CompareParams[4],
              (std::array<std::uint8_t, kCompareFields>{1 | 7 * 16, 0, 2, 3, 4, 5, 6}));
    EXPECT_EQ(back.comment(Operand::M, 31), QStringLiteral("M32 note"));
    EXPECT_TRUE(back.comment(Operand::M, 32).isEmpty());
    EXPECT_EQ(back.comment(Operand::T, 0), QStringLiteral("T1 note"));
    EXPECT_EQ(back.comment(Operand::P, 0), QStringLiteral("P1 note"));
    EXPECT_EQ(back.comment(Operand::Clock, 0), QStringLiteral("RTC1 note"));
}

TEST(ProgramFileTest, FirstGenerationShortFileHasNoCompareCounters) {
    Program source = richProgram();
    LegacyWriter w = legacyNumberSections(source, FileGeneration::First, false);
    addComments(w, 16, false, 150, false);
    ASSERT_LT(w.lines.size(), kCompareSectionMinLines);

    Program back;
    const ProgramFileStatus status = ParseProgramFile(w.bytes(), back);
    ASSERT_TRUE(status.ok()) << status.detail.toStdString();
    EXPECT_EQ(back.SoftTextParams, source.SoftTextParams);
    EXPECT_EQ(back.CompareParams, Program{}.CompareParams);
    EXPECT_EQ(back.comment(Operand::M, 15), QStringLiteral("M16 note"));
    EXPECT_TRUE(back.comment(Operand::M, 16).isEmpty());
    EXPECT_EQ(back.comment(Operand::T, 0), QStringLiteral("T1 note"));
    EXPECT_TRUE(back.comment(Operand::P, 0).isEmpty());
    EXPECT_EQ(back.comment(Operand::Clock, 0), QStringLiteral("RTC1 note"));
    EXPECT_EQ(back.LineComments[149], QStringLiteral("rung 150"));
    EXPECT_TRUE(back.LineComments[150].isEmpty());
}

TEST(ProgramFileTest, UnsupportedModelIsRefused) {
    Program source;
    source.ModelIndex = 16;
    Program target = richProgram();
    const Program before = target;
    const ProgramFileStatus status = ParseProgramFile(FormatProgramFile(source), target);
    EXPECT_EQ(status.code, ProgramFileStatus::Code::UnsupportedModel);
    EXPECT_EQ(target, before);
    EXPECT_EQ(ProgramFileMessage(status),
              QStringLiteral("The model selected in the file is not supported by this software."));
}

TEST(ProgramFileTest, DamagedFilesLeaveTheProgramAlone) {
    const Program before = richProgram();
    const QByteArray good = FormatProgramFile(Program{});
    struct Case {
        const char* name;
        QByteArray content;
        ProgramFileStatus::Code code;
    };
    QByteArray garbage = good;
    garbage.replace(garbage.indexOf(" 128 ", 2000), 5, " x12 ");
    QByteArray tooBig16 = good;
    tooBig16.replace(tooBig16.indexOf(" 128 ", 2000), 5, " 70000 ");
    QByteArray tooBigByte = good;
    tooBigByte.replace(tooBigByte.indexOf(" 0 ", good.indexOf(" 128 \r\n 0 ")), 3, " 256 ");
    QByteArray negativeByte = good;
    negativeByte.replace(negativeByte.indexOf(" 0 ", good.indexOf(" 128 \r\n 0 ")), 3, "-1 ");
    QByteArray binary;
    for (int i = 0; i < 5000; ++i) {
        binary.append(static_cast<char>((i * 7919) % 256));
    }
    const Case cases[] = {
        {"empty", QByteArray(), ProgramFileStatus::Code::Damaged},
        {"cut in the grid", good.left(3000), ProgramFileStatus::Code::Damaged},
        {"cut before the tables end", good.left(good.indexOf("\r\n\r\n")), ProgramFileStatus::Code::Damaged},
        {"word", garbage, ProgramFileStatus::Code::Damaged},
        {"not 16-bit", tooBig16, ProgramFileStatus::Code::Damaged},
        {"not a byte", tooBigByte, ProgramFileStatus::Code::Damaged},
        {"negative byte", negativeByte, ProgramFileStatus::Code::Damaged},
        {"binary", binary, ProgramFileStatus::Code::Damaged},
        {"unknown version", QByteArray("VERSION-1.9.9 : 1.0.0\r\n") + good.mid(good.indexOf('\n') + 1),
         ProgramFileStatus::Code::UnknownVersion},
        {"huge", QByteArray(kMaxProgramFileSize + 1, ' '), ProgramFileStatus::Code::TooLarge},
    };
    for (const Case& c : cases) {
        Program target = before;
        const ProgramFileStatus status = ParseProgramFile(c.content, target);
        EXPECT_EQ(status.code, c.code) << c.name;
        EXPECT_EQ(target, before) << c.name;
        EXPECT_FALSE(ProgramFileMessage(status).isEmpty()) << c.name;
    }
}

TEST(ProgramFileTest, DamageIsExplainedWithTheLine) {
    QByteArray content = FormatProgramFile(Program{});
    const qsizetype at = content.indexOf(" 128 ", 500);
    content.replace(at, 5, " abc ");
    const int line = static_cast<int>(content.left(at).count('\n')) + 1;
    Program target;
    const ProgramFileStatus status = ParseProgramFile(content, target);
    ASSERT_EQ(status.code, ProgramFileStatus::Code::Damaged);
    EXPECT_TRUE(status.detail.startsWith(QStringLiteral("line %1: \"abc\"").arg(line)))
        << status.detail.toStdString();
    EXPECT_TRUE(ProgramFileMessage(status).startsWith(
        QStringLiteral("The file is not a program file or it is damaged: ")));
}

TEST(ProgramFileTest, MissingTextLinesAtTheEndReadAsEmpty) {
    const Program original = richProgram();
    const QByteArray content = FormatProgramFile(original);
    // Cut after 150 line comments: the rest of them and the print texts are missing. (The
    // file keeps enough lines to count as one with compare counters.)
    const int keptLines = kProgramFileLines - 9 - 100;
    ASSERT_GE(keptLines, kCompareSectionMinLines);
    qsizetype pos = 0;
    for (int line = 0; line < keptLines; ++line) {
        pos = content.indexOf('\n', pos) + 1;
    }
    Program back;
    ASSERT_TRUE(ParseProgramFile(content.left(pos), back, true).ok());
    EXPECT_EQ(back.OperandComments, original.OperandComments);
    EXPECT_EQ(back.LineComments[148], original.LineComments[148]);
    EXPECT_EQ(back.LineComments[149], original.LineComments[149]);
    for (int i = 150; i < kLadderLines; ++i) {
        EXPECT_TRUE(back.LineComments[i].isEmpty()) << i;
    }
    EXPECT_EQ(back.PrintInfo, Program{}.PrintInfo);
}

TEST(ProgramFileTest, FilesOnDisk) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Motor.h53"));
    const Program original = richProgram();
    QString error;
    ASSERT_TRUE(WriteProgramFile(original, path, &error)) << error.toStdString();
    Program back;
    ASSERT_TRUE(ReadProgramFile(path, back, true).ok());
    EXPECT_EQ(back, original);

    // A failed write reports why and leaves the existing file whole.
    const QByteArray before = [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    EXPECT_FALSE(WriteProgramFile(original, dir.filePath(QStringLiteral("missing/Motor.h53")), &error));
    EXPECT_FALSE(error.isEmpty());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);

    // A huge file is refused from its size alone, without reading it.
    const QString huge = dir.filePath(QStringLiteral("Huge.h53"));
    QFile hugeFile(huge);
    ASSERT_TRUE(hugeFile.open(QIODevice::WriteOnly));
    ASSERT_TRUE(hugeFile.resize(100LL * 1024 * 1024));
    hugeFile.close();
    Program untouched = original;
    EXPECT_EQ(ReadProgramFile(huge, untouched).code, ProgramFileStatus::Code::TooLarge);
    EXPECT_EQ(untouched, original);

    ScriptedPrompter prompter;
    const ProgramFileStatus missing =
        ReadProgramFile(dir.filePath(QStringLiteral("none.h53")), back, prompter);
    EXPECT_EQ(missing.code, ProgramFileStatus::Code::CannotOpen);
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_TRUE(prompter.texts().front().startsWith(QStringLiteral("The file could not be opened: ")));
    EXPECT_EQ(prompter.messages().front().caption, QStringLiteral("BRANTELDESK X"));
}

}  // namespace
}  // namespace bdx
