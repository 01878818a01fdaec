#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include "../check/ladder_drawing.h"
#include "../ladder/test_programs.h"
#include "bdx_version.h"
#include "cli/cli_commands.h"
#include "editor/cross_reference.h"
#include "ladder/file_lock.h"
#include "ladder/grid.h"
#include "ladder/program_file.h"
#include "run_cli.h"
#include "shell/app_paths.h"
#include "shell/language_table.h"

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

// What the list holds is the cross-reference's own test; the command prints it as it is.
TEST(CliTest, XrefPrintsEveryOperandUse) {
    const QString motor = QStringLiteral(BDX_SOURCE_DIR "/examples/motor_start_stop.h53");
    const Result r = RunCli({QStringLiteral("xref"), motor});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, CrossReferenceText(exampleProgram("motor_start_stop.h53"), English));
    EXPECT_TRUE(r.out.contains(QStringLiteral("I2\tContact NC\t2\tStop push button (NC wired)\n")));
    const Result spanish = RunCli({QStringLiteral("xref"), motor, QStringLiteral("--lang"), QStringLiteral("es")});
    EXPECT_EQ(spanish.code, 0);
    EXPECT_TRUE(spanish.out.contains(QStringLiteral("I2\tContacto NC\t2\t"))) << spanish.out.toStdString();

    const struct {
        QStringList args;
        int code;
    } failures[] = {
        {{QStringLiteral("xref"), QStringLiteral(BDX_SOURCE_DIR "/examples/none.h53")}, 1},
        {{QStringLiteral("xref")}, 2},
        {{QStringLiteral("xref"), motor, motor}, 2},
        {{QStringLiteral("xref"), motor, QStringLiteral("--lang"), QStringLiteral("xx")}, 2},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(f.args.join(u' ').toStdString());
        const Result failed = RunCli(f.args);
        EXPECT_EQ(failed.code, f.code);
        EXPECT_TRUE(failed.out.isEmpty());
        EXPECT_FALSE(failed.err.isEmpty());
    }
}

TEST(DiffCommandTest, ExitCodesTellSameDifferentAndFailed) {
    QTemporaryDir dir;
    auto file = [&](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
    Program plan;
    plan.comment(Operand::Q, 0) = QStringLiteral("Pump");
    ASSERT_TRUE(WriteProgramFile(plan, file("a.h53")));
    ASSERT_TRUE(WriteProgramFile(plan, file("copy.h53")));
    plan.comment(Operand::Q, 0) = QStringLiteral("Fan");
    ASSERT_TRUE(WriteProgramFile(plan, file("b.h53")));
    QFile damaged(file("damaged.h53"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a program\r\n");
    damaged.close();

    const QString diff = QStringLiteral("diff");
    struct Case {
        QStringList args;
        int code;
        QString out;
        bool error;
    } cases[] = {
        {{diff, file("a.h53"), file("copy.h53")}, 0, QStringLiteral("The programs are the same.\n"), false},
        {{diff, file("a.h53"), file("b.h53")}, 1, QStringLiteral("Comment Q1: \"Pump\" -> \"Fan\"\n"), false},
        {{diff, file("a.h53"), file("missing.h53")}, 2, QString(), true},
        {{diff, file("damaged.h53"), file("a.h53")}, 2, QString(), true},
        {{diff, file("a.h53")}, 2, QString(), true},
        {{diff, file("a.h53"), file("b.h53"), file("copy.h53")}, 2, QString(), true},
        {{diff, file("a.h53"), file("b.h53"), QStringLiteral("--lang"), QStringLiteral("pt")},
         1,
         QStringLiteral("Coment\u00e1rio Q1: \"Pump\" -> \"Fan\"\n"),
         false},
        {{diff, QStringLiteral("--lang"), QStringLiteral("pt"), file("a.h53"), file("copy.h53")},
         0,
         QStringLiteral("Os programas s\u00e3o iguais.\n"),
         false},
        {{diff, file("a.h53"), file("b.h53"), QStringLiteral("--lang"), QStringLiteral("xx")}, 2, QString(), true},
        {{diff, file("a.h53"), file("b.h53")}, 1, QStringLiteral("Comment Q1: \"Pump\" -> \"Fan\"\n"), false},
    };
    for (const Case& c : cases) {
        const CliResult r = RunCli(c.args);
        const std::string what = c.args.join(u' ').toStdString();
        EXPECT_EQ(r.code, c.code) << what;
        EXPECT_EQ(r.out, c.out) << what;
        EXPECT_EQ(!r.err.isEmpty(), c.error) << what << ": " << r.err.toStdString();
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

const QString kRelays = QStringLiteral(BDX_SOURCE_DIR "/tests/cli/scripts/relays.h53");

TEST(BoundedInputsTest, BadSettingsFallBackToTheirDefaultsWithANote) {
    ASSERT_TRUE(writeFile(SettingsFilePath(),
                          "[APPLICATION SETTINGS]\r\nModbusID:= 250\r\nBaudRate:= 0\r\nStrBaudRate:= 1\r\n"));
    const CliResult shown = RunCli({QStringLiteral("settings")});
    QFile::remove(SettingsFilePath());
    EXPECT_EQ(shown.code, 0);
    EXPECT_TRUE(shown.out.contains(QStringLiteral("line: 9600,N,8,1")) &&
                shown.out.contains(QStringLiteral("modbus-id: 254")))
        << shown.out.toStdString();
    for (const char* part : {"Config.ini", "ModbusID", "250", "254", "StrBaudRate"}) {
        EXPECT_TRUE(shown.err.contains(QLatin1String(part))) << part << '\n' << shown.err.toStdString();
    }
}

// Neither a FIFO (whose open would wait for a writer forever) nor a folder or a device is a
// program, whichever command is given it.
TEST(BoundedInputsTest, OnlyRegularFilesAreReadAsPrograms) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.h53"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString out = dir.filePath(QStringLiteral("out"));
    const QString folder = dir.path();
    const QString device = QStringLiteral("/dev/null");
    const QStringList commands[] = {
        {QStringLiteral("info"), fifo},
        {QStringLiteral("simulate"), fifo},
        {QStringLiteral("check"), folder},
        {QStringLiteral("convert"), device, out},
        {QStringLiteral("image"), device, QStringLiteral("-o"), out},
        {QStringLiteral("write"), folder, QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:1")},
    };
    for (const QStringList& command : commands) {
        const CliResult result = RunCli(command);
        EXPECT_GT(result.code, 0) << command.join(u' ').toStdString();
        EXPECT_TRUE(result.err.contains(QFileInfo(command[1]).fileName() + QStringLiteral(" is a")) &&
                    result.err.contains(QStringLiteral("not a regular file")))
            << command.join(u' ').toStdString() << ": " << result.err.toStdString();
    }
}

TEST(BoundedInputsTest, AProgramHeldOpenByTheApplicationIsNotReplaced) {
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("Held.h53"));
    ASSERT_TRUE(writeFile(target, "kept"));
    const QString refused = QStringLiteral("Can not replace. File already opened!");
    {
        FileLocks application;
        ASSERT_TRUE(application.AcquireFileLock(target));
        const CliResult convert = RunCli({QStringLiteral("convert"), kRelays, target});
        EXPECT_EQ(convert.code, 1);
        EXPECT_TRUE(convert.err.contains(refused)) << convert.err.toStdString();
        // Refused before the device is even asked.
        const CliResult read = RunCli({QStringLiteral("read"), QStringLiteral("-o"), target,
                                       QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:1")});
        EXPECT_EQ(read.code, 1);
        EXPECT_TRUE(read.err.contains(refused)) << read.err.toStdString();
        EXPECT_EQ(contentOf(target), QByteArray("kept"));
    }
    // A lock file whose holder has gone does not keep the file.
    ASSERT_TRUE(writeFile(LockFilePath(target), ""));
    EXPECT_EQ(RunCli({QStringLiteral("convert"), kRelays, target}).code, 0);
}

TEST(BoundedInputsTest, AScriptTimeBeyondTheMaximumIsRefusedBeforeTheRun) {
    const CliResult result =
        RunCli({QStringLiteral("simulate"), kRelays}, "0 print Q1\n604800 print Q1\n604800.01 print Q1\n");
    EXPECT_EQ(result.code, 3);
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_TRUE(result.err.contains(QStringLiteral("stdin:3: ")) &&
                result.err.contains(QStringLiteral("604800")))
        << result.err.toStdString();
}

}  // namespace
}  // namespace bdx
