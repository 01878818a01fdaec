#include "ladder/program_file.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "ladder/cp1252.h"
#include "shell/scripted_prompter.h"
#include "test_programs.h"

namespace bdx {
namespace {

// The file of an older generation: a long one (`withCompares`) holds the compare counters, the P
// comments and 32 (first generation) or 64 M comments, a short one 16 M comments.
QByteArray legacyFile(const Program& p, FileGeneration generation, bool withCompares, int lineComments,
                      int printTexts) {
    QStringList lines;
    auto row = [&lines](const auto* values, int count) {
        lines << QString();
        for (int i = 0; i < count; ++i) {
            lines.last() += u' ' + QString::number(values[i]) + u' ';
        }
    };
    auto table = [&row](const auto& t, int fields) {
        std::ranges::for_each(t, [&](const auto& r) { row(r.data(), fields); });
    };
    auto texts = [&lines](const char* prefix, int count) {
        for (int i = 0; i < count; ++i) {
            lines << QStringLiteral("%1%2 note").arg(QLatin1String(prefix)).arg(i + 1);
        }
    };
    const bool second = generation == FileGeneration::Second;
    if (second) {
        lines << QStringLiteral("VERSION-1.1.4 : 1.1.2");
    }
    const int head[] = {p.ModelIndex, p.ExtensionModules[0], p.ExtensionModules[1], p.ExtensionModules[2]};
    row(head, 4);
    lines << QStringLiteral("Old.m53") << QStringLiteral("C:\\Old.m53");
    for (int line = 0; line < kLadderLines; ++line) {
        row(&p.LadderGrid[line * kWordsPerLine], kWordsPerLine);
    }
    table(p.TimeSwitchParams, 7), table(p.TimerParams, 11), table(p.CounterParams, second ? 6 : 5);
    table(p.AnalogParams, 5);
    if (withCompares) {
        table(p.CompareParams, 7);
    }
    table(p.SoftTextParams, 36);
    texts("I", 8), texts("J", 8), texts("K", 8), texts("L", 8), texts("Q", 4), texts("U", 4), texts("V", 4);
    texts("W", 4), texts("M", withCompares ? (second ? 64 : 32) : 16), texts("T", 16), texts("C", 16);
    texts("A", 12), texts("P", withCompares ? 16 : 0), texts("RTC", 16), texts("Z", 4), texts("X", 16);
    texts("rung ", lineComments), texts("print", printTexts);
    return ToCp1252(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

QByteArray lineOf(const QByteArray& content, int index) {
    return content.split('\n').value(index);
}

TEST(ProgramFileTest, ProgramsRoundTripThroughFilesOf829Lines) {
    const QByteArray empty = FormatProgramFile(Program{});
    ASSERT_EQ(empty.count("\r\n"), kProgramFileLines);
    ASSERT_TRUE(empty.endsWith("\r\n"));
    const std::pair<int, QByteArray> lines[] = {
        {0, "VERSION-1.5.7 : 1.0.0"},          {1, " 0  0  0  0 "},           {2, "Untitled.h53"}, {3, ""},
        {4, QByteArray(" 128 ").repeated(12)}, {254, " 0  0  0  0  0  0  0 "}};  // 254: the first time switch
    for (const auto& [index, text] : lines) {
        EXPECT_EQ(lineOf(empty, index), text + '\r') << index;
    }

    // Name and path lines are taken only for the application's own copy.
    const Program rich = richProgram();
    Program back = rich;
    ASSERT_TRUE(ParseProgramFile(empty, back).ok());
    Program expected;
    expected.ProgramFileName = rich.ProgramFileName;
    expected.ProgramFilePath = rich.ProgramFilePath;
    EXPECT_EQ(back, expected);

    // Line breaks of a line comment are stored as code 255.
    const QByteArray content = FormatProgramFile(rich);
    EXPECT_EQ(lineOf(content, kProgramFileLines - 9 - 250 + 7),
              "start\xffmiddle\xff"
              "end\r");
    const ProgramFileStatus status = ParseProgramFile(content, back, true);
    ASSERT_TRUE(status.ok()) << status.detail.toStdString();
    EXPECT_EQ(status.generation, FileGeneration::Current);
    EXPECT_EQ(status.lineCount, kProgramFileLines);
    EXPECT_EQ(back, rich);
}

TEST(ProgramFileTest, TextsAreWindows1252AndNumbersTakeAnySeparators) {
    Program p = richProgram();
    p.comment(Operand::Q, 0) = QStringLiteral("Bomba \u00f1 \u20ac 5");
    p.comment(Operand::Q, 1) = QStringLiteral("Pompa \u0142");  // not in the code page
    p.comment(Operand::I, 0) = QStringLiteral("single\r\nline");
    p.LineComments[8] = QStringLiteral("unix\nbreak");
    QByteArray content = FormatProgramFile(p);
    EXPECT_TRUE(content.contains("\r\nBomba \xf1 \x80 5\r\n"));
    // Tabs and commas between the numbers of the grid.
    const qsizetype gridStart = content.indexOf("\r\n", content.indexOf("/data/Rich.h53")) + 2;
    const qsizetype gridEnd = content.indexOf("\r\n", gridStart + 1000);
    content.replace(gridStart, gridEnd - gridStart,
                    content.mid(gridStart, gridEnd - gridStart).replace("  ", ",\t,"));
    Program back;
    ASSERT_TRUE(ParseProgramFile(content, back, true).ok());
    p.comment(Operand::Q, 1) = QStringLiteral("Pompa ?");
    p.comment(Operand::I, 0) = QStringLiteral("single  line");  // operand comments stay on one line
    p.LineComments[8] = QStringLiteral("unix\r\nbreak");
    EXPECT_EQ(back, p);
}

TEST(ProgramFileTest, OlderGenerations) {
    Program source = richProgram();
    for (auto& timer : source.TimerParams) {
        timer[TimerField::Type] = 0;
    }
    source.TimerParams[1][TimerField::Type] = 3;  // stays
    source.TimerParams[2][TimerField::Type] = 4;  // a type was added before it after the second generation
    source.CounterParams[2] = {1, 2, 3, 4, 5, 6};
    source.CompareParams[4] = {1, 2, 3, 4, 5, 6, 7};
    const Program defaults;
    Program expected = source;  // tables as far as the older generations store them
    for (int c = 0; c < kCounters; ++c) {
        std::copy(&defaults.CounterParams[c][6], defaults.CounterParams[c].end(),
                  &expected.CounterParams[c][6]);
        expected.AnalogParams[c % kAnalogBlocks][5] = 0;
    }
    struct Case {
        FileGeneration generation;
        bool withCompares;
        int lineComments, printTexts, lines, mComments;
    };
    // A first-generation file holds compare counters, P comments and 32 M comments from 694 lines on.
    for (const Case& c : {Case{FileGeneration::Second, true, 250, 9, 813, 64},
                          Case{FileGeneration::First, true, 173, 0, 694, 32},
                          Case{FileGeneration::First, false, 220, 0, 693, 16}}) {
        SCOPED_TRACE(c.lines);
        const bool first = c.generation == FileGeneration::First;
        Program back;
        const ProgramFileStatus status = ParseProgramFile(
            legacyFile(source, c.generation, c.withCompares, c.lineComments, c.printTexts), back);
        ASSERT_TRUE(status.ok()) << status.detail.toStdString();
        EXPECT_EQ(status.generation, c.generation);
        EXPECT_EQ(status.lineCount, c.lines);
        EXPECT_EQ(back.LadderGrid, source.LadderGrid);
        EXPECT_EQ(back.TimerParams[1][TimerField::Type], 3);
        EXPECT_EQ(back.TimerParams[2][TimerField::Type], first ? 4 : 5);
        EXPECT_EQ(back.AnalogParams, expected.AnalogParams);
        EXPECT_EQ(back.SoftTextParams, source.SoftTextParams);
        EXPECT_EQ(back.HourMeterParams, defaults.HourMeterParams);
        EXPECT_EQ(back.AnalogScalingParams, defaults.AnalogScalingParams);
        if (first) {
            // Four set-point digits move one field on; scaling 1 : 1.
            EXPECT_EQ(back.CounterParams[2], (std::array<std::uint8_t, kCounterFields>{
                                                 1, 0, 2, 3, 4, 5, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
        } else {
            EXPECT_EQ(back.CounterParams, expected.CounterParams);
        }
        if (!c.withCompares) {
            EXPECT_EQ(back.CompareParams, defaults.CompareParams);
        } else if (first) {
            // The second counter comes into the flags' high nibble.
            EXPECT_EQ(back.CompareParams[4],
                      (std::array<std::uint8_t, kCompareFields>{1 | 7 * 16, 0, 2, 3, 4, 5, 6}));
        } else {
            EXPECT_EQ(back.CompareParams, source.CompareParams);
        }
        EXPECT_EQ(back.comment(Operand::M, c.mComments - 1), QStringLiteral("M%1 note").arg(c.mComments));
        EXPECT_TRUE(c.mComments == 64 || back.comment(Operand::M, c.mComments).isEmpty());
        EXPECT_EQ(back.comment(Operand::P, 15), c.withCompares ? QStringLiteral("P16 note") : QString());
        EXPECT_TRUE(back.comment(Operand::H, 0).isEmpty());
        EXPECT_EQ(back.comment(Operand::Clock, 0), QStringLiteral("RTC1 note"));
        EXPECT_EQ(back.comment(Operand::X, 15), QStringLiteral("X16 note"));
        EXPECT_EQ(back.LineComments[c.lineComments - 1], QStringLiteral("rung %1 note").arg(c.lineComments));
        EXPECT_EQ(back.PrintInfo[8], c.printTexts ? QStringLiteral("print9 note") : QString());
    }
}

TEST(ProgramFileTest, RefusedFilesLeaveTheProgramAlone) {
    const Program before = richProgram();
    const QByteArray good = FormatProgramFile(Program{});
    Program model16;
    model16.ModelIndex = 16;
    const qsizetype tables = good.indexOf(" 128 \r\n 0 ");
    QByteArray binary;
    for (int i = 0; i < 5000; ++i) {
        binary.append(static_cast<char>((i * 7919) % 256));
    }
    using Code = ProgramFileStatus::Code;
    const std::tuple<const char*, QByteArray, Code> cases[] = {
        {"empty", QByteArray(), Code::Damaged},
        {"cut in the grid", good.left(3000), Code::Damaged},
        {"cut before the tables end", good.left(good.indexOf("\r\n\r\n")), Code::Damaged},
        {"word", QByteArray(good).replace(good.indexOf(" 128 ", 2000), 5, " x12 "), Code::Damaged},
        {"not 16-bit", QByteArray(good).replace(good.indexOf(" 128 ", 2000), 5, " 70000 "), Code::Damaged},
        {"not a byte", QByteArray(good).replace(good.indexOf(" 0 ", tables), 3, " 256 "), Code::Damaged},
        {"negative byte", QByteArray(good).replace(good.indexOf(" 0 ", tables), 3, "-1 "), Code::Damaged},
        {"binary", binary, Code::Damaged},
        {"unknown version", "VERSION-1.9.9 : 1.0.0\r\n" + good.mid(good.indexOf('\n') + 1),
         Code::UnknownVersion},
        {"huge", QByteArray(kMaxProgramFileSize + 1, ' '), Code::TooLarge},
        {"model 16", FormatProgramFile(model16), Code::UnsupportedModel},
    };
    for (const auto& [name, content, code] : cases) {
        Program target = before;
        const ProgramFileStatus status = ParseProgramFile(content, target);
        EXPECT_EQ(status.code, code) << name;
        EXPECT_EQ(target, before) << name;
        EXPECT_FALSE(ProgramFileMessage(status).isEmpty()) << name;
    }
    // Damage is explained with its line (the messages shown are checked with the document).
    const qsizetype at = good.indexOf(" 128 ", 500);
    Program target;
    const ProgramFileStatus status = ParseProgramFile(QByteArray(good).replace(at, 5, " abc "), target);
    EXPECT_TRUE(
        status.detail.startsWith(QStringLiteral("line %1: \"abc\"").arg(good.left(at).count('\n') + 1)))
        << status.detail.toStdString();
}

TEST(ProgramFileTest, FilesOnDisk) {
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(WriteProgramFile(Program{}, dir.filePath(QStringLiteral("missing/Motor.h53")), &error));
    EXPECT_FALSE(error.isEmpty());
    ScriptedPrompter prompter;
    Program program;
    EXPECT_EQ(ReadProgramFile(dir.filePath(QStringLiteral("none.h53")), program, prompter).code,
              ProgramFileStatus::Code::CannotOpen);
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_TRUE(prompter.texts().front().startsWith(QStringLiteral("The file could not be opened: ")));
    EXPECT_EQ(prompter.messages().front().caption, QStringLiteral("BRANTELDESK X"));
    EXPECT_EQ(prompter.messages().front().icon, MessageIcon::Warning);

    // The fuzzing corpus: seeds of every generation read, and whatever reads writes out the same.
    const QDir corpus(QStringLiteral(BDX_SOURCE_DIR "/tests/fuzz/corpus/program_file"));
    const std::tuple<const char*, FileGeneration, int> seeds[] = {
        {"current.h53", FileGeneration::Current, 9},
        {"second.h53", FileGeneration::Second, 0},
        {"first_long.t53", FileGeneration::First, 2},
        {"first_short.m53", FileGeneration::First, 2}};
    for (const auto& [name, generation, model] : seeds) {
        const ProgramFileStatus status = ReadProgramFile(corpus.filePath(QLatin1String(name)), program);
        ASSERT_TRUE(status.ok()) << name << ": " << status.detail.toStdString();
        EXPECT_EQ(status.generation, generation) << name;
        EXPECT_EQ(program.ModelIndex, model) << name;
        EXPECT_EQ(program.LadderGrid[0], 'I') << name;
    }
    for (const QFileInfo& info : corpus.entryInfoList(QDir::Files)) {
        Program again;
        if (ParseProgramFile(contentOf(info.filePath()), program, true).ok()) {
            ASSERT_TRUE(ParseProgramFile(FormatProgramFile(program), again, true).ok())
                << info.fileName().toStdString();
            EXPECT_EQ(again, program) << info.fileName().toStdString();
        }
    }
}

}  // namespace
}  // namespace bdx
