#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include "../check/ladder_drawing.h"
#include "bdx_version.h"
#include "cli/cli_commands.h"
#include "ladder/grid.h"
#include "ladder/program_file.h"
#include "run_cli.h"

namespace bdx {
namespace {

using Result = CliResult;

TEST(CliTest, ModelsListsEveryModelTabSeparated) {
    const Result r = RunCli({QStringLiteral("models")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 16);
    EXPECT_EQ(lines[0], QStringLiteral("0\t110-240 V AC - Relaymaster R7-HA-8R-L\tAC\tyes\tno\t1"));
    EXPECT_EQ(lines[11], QStringLiteral("11\t24 V AC/DC Analog - KX1A30\tAC/DC\tyes\tyes\t2"));
    EXPECT_EQ(lines[14], QStringLiteral("14\t24 V AC/DC - KX1D30N\tAC/DC\tno\tno\t2"));
    for (int i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].split(u'\t').size(), 6) << i;
        EXPECT_TRUE(lines[i].startsWith(QString::number(i) + u'\t'));
    }
}

TEST(CliTest, HelpVersionAndUsageErrors) {
    const Result help = RunCli({QStringLiteral("--help")});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("models")));

    const Result version = RunCli({QStringLiteral("--version")});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out.trimmed(), QStringLiteral("branteldesk-cli ") + QLatin1String(kVersionText));

    const Result unknown = RunCli({QStringLiteral("frobnicate")});
    EXPECT_EQ(unknown.code, 2);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("Unknown command: frobnicate")));

    EXPECT_EQ(RunCli({}).code, 2);
    EXPECT_EQ(RunCli({QStringLiteral("models"), QStringLiteral("extra")}).code, 2);
}

QString corpusFile(const char* name) {
    return QStringLiteral(BDX_SOURCE_DIR "/tests/fuzz/corpus/program_file/") + QLatin1String(name);
}

TEST(CliTest, ConvertWritesTheCurrentLayout) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("Converted.h53"));
    const Result r = RunCli({QStringLiteral("convert"), corpusFile("second.h53"), out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    Program converted;
    ASSERT_TRUE(ReadProgramFile(out, converted, true).ok());  // the layout written is the file layer's
    EXPECT_EQ(converted.ProgramFileName, QStringLiteral("Converted.h53"));
    Program original;
    ASSERT_TRUE(ReadProgramFile(corpusFile("second.h53"), original).ok());
    ConvertLegacyNumberCodes(original.LadderGrid);
    EXPECT_EQ(converted.LadderGrid, original.LadderGrid);  // what is kept is the file layer's business
}

TEST(CliTest, ConvertAndInfoRefuseFilesTheEditorRefuses) {
    QTemporaryDir dir;
    Program future;
    future.ModelIndex = 16;
    const QString in = dir.filePath(QStringLiteral("Future.h53"));
    ASSERT_TRUE(WriteProgramFile(future, in));
    const QString out = dir.filePath(QStringLiteral("out.h53"));
    const Result convert = RunCli({QStringLiteral("convert"), in, out});
    EXPECT_EQ(convert.code, 1);
    EXPECT_TRUE(convert.err.contains(
        QStringLiteral("The model selected in the file is not supported by this software.")));
    EXPECT_FALSE(QFile::exists(out));

    const Result missing = RunCli({QStringLiteral("info"), dir.filePath(QStringLiteral("none.h53"))});
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("The file could not be opened: ")));
    EXPECT_EQ(RunCli({QStringLiteral("convert"), in}).code, 2);
    EXPECT_EQ(RunCli({QStringLiteral("info")}).code, 2);
}

TEST(CliTest, InfoSummarisesAProgram) {
    QTemporaryDir dir;
    Program p;
    p.ModelIndex = 11;
    p.ExtensionModules = {1, 0, 1};
    p.word(0, 0) = 'I';
    p.word(4, 10) = 'Q';
    p.TimerParams[0][0] = kFlagInUse;
    p.TimerParams[15][0] = kFlagInUse | kFlagLocked;
    p.TimerParams[3][0] = kFlagLocked;  // locked, not used
    p.HourMeterParams[1][0] = kFlagInUse;
    const QString file = dir.filePath(QStringLiteral("Info.h53"));
    ASSERT_TRUE(WriteProgramFile(p, file));
    const Result r = RunCli({QStringLiteral("info"), file});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("generation: current\n"
                                    "model: 11 24 V AC/DC Analog - KX1A30\n"
                                    "extension: A C\n"
                                    "lines: 2\n"
                                    "timers: 1 16\n"
                                    "counters: none\n"
                                    "compare counters: none\n"
                                    "hour meters: 2\n"
                                    "time switches: none\n"
                                    "analog blocks: none\n"));

    const Result first = RunCli({QStringLiteral("info"), corpusFile("first_short.m53")});
    EXPECT_TRUE(first.out.startsWith(QStringLiteral("generation: first\nmodel: 2 ")));
}

TEST(CliTest, CheckPrintsTheErrorListAndTheCompileFault) {
    QTemporaryDir dir;
    const QString empty = dir.filePath(QStringLiteral("Empty.h53"));
    ASSERT_TRUE(WriteProgramFile(Program{}, empty));
    Ladder p;  // a Q1 contact without any Q1 coil on a line that drives M1
    p.rung(1, 'Q', 1, 'M', 1);
    const QString q1 = dir.filePath(QStringLiteral("Q1.h53"));
    ASSERT_TRUE(WriteProgramFile(p.p, q1));
    const QString english =
        QStringLiteral("Error\t001\tContact-1\tCoil Q1 should be defined, since it is used as a contact\n");

    const struct {
        QStringList args;
        int code;
        QString out;  // empty: only compared for the clean program
    } cases[] = {
        {{QStringLiteral(BDX_SOURCE_DIR "/examples/motor_start_stop.h53")}, 0, {}},
        {{empty}, 1, QStringLiteral("Error no. : 50\nThere is no program to run.\n")},
        {{q1}, 1, english},
        // The checker speaks English to Polish users; only the place is translated.
        {{q1, QStringLiteral("--lang"), QStringLiteral("pl")},
         1,
         QString(english).replace("Contact", "Styk")},
        {{dir.filePath(QStringLiteral("none.h53"))}, 2, {}},
        {{q1, QStringLiteral("--lang"), QStringLiteral("xx")}, 2, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const Result r = RunCli(QStringList{QStringLiteral("check")} + c.args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(r.out, c.out);
    }
}

// Every NAME.sim beside NAME.h53, in the examples a user opens and in tests/cli/scripts, runs
// through the command-line tool and must pass.
TEST(SimulateScriptsTest, EveryScriptPassesAgainstItsProgram) {
    for (const auto& [folder, least] : {std::pair{"/examples", 3}, std::pair{"/tests/cli/scripts", 4}}) {
        const QDir dir(QStringLiteral(BDX_SOURCE_DIR) + QLatin1String(folder));
        const QFileInfoList scripts = dir.entryInfoList({QStringLiteral("*.sim")}, QDir::Files, QDir::Name);
        ASSERT_GE(scripts.size(), least) << dir.path().toStdString();
        for (const QFileInfo& script : scripts) {
            const QString program = dir.filePath(script.completeBaseName() + QStringLiteral(".h53"));
            SCOPED_TRACE(script.fileName().toStdString());
            ASSERT_TRUE(QFileInfo::exists(program));
            const CliResult r =
                RunCli({QStringLiteral("simulate"), program, QStringLiteral("--script"), script.filePath()});
            EXPECT_EQ(r.code, 0) << r.out.toStdString() << r.err.toStdString();
        }
    }
}

}  // namespace
}  // namespace bdx
