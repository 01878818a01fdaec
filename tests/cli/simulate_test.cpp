#include <gtest/gtest.h>

#include <QFile>
#include <QHash>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "../check/ladder_drawing.h"
#include "../ladder/test_programs.h"
#include "blocks/timer_record.h"
#include "ladder/program_file.h"
#include "run_cli.h"

namespace bdx {
namespace {

using Result = CliResult;

// The script goes in on standard input unless the arguments name one.
Result simulate(const QString& program, const QByteArray& script, const QStringList& options = {}) {
    return RunCli(QStringList{QStringLiteral("simulate"), program} + options, script);
}

QString example(const char* name) {
    return QStringLiteral(BDX_SOURCE_DIR "/examples/") + QLatin1String(name);
}

// I1 triggers T1, an on-delay timer of 5.0 s; T1 drives Q1. M1 is set and reset retentively
// by I1 and I2, M2 plainly.
class SimulateTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir = new QTemporaryDir;
        Ladder timer;
        timer.rung(1, 'I', 1, 'T', 1).rung(2, 'T', 1, 'Q', 1);
        TimerRecord onDelay;
        onDelay.on.digits = {0, 0, 5, 0};
        EncodeTimer(timer.p, 0, onDelay);
        Ladder relays;
        relays.rung(1, 'I', 1, 'M', 1, CoilSetRetentive).rung(2, 'I', 2, 'M', 1, CoilResetRetentive);
        relays.rung(3, 'I', 1, 'M', 2, CoilSet).rung(4, 'I', 2, 'M', 2, CoilReset);
        for (const auto& [name, program] : {std::pair{"on_delay", timer.p}, std::pair{"retentive", relays.p},
                                            std::pair{"empty", Program{}}}) {
            ASSERT_TRUE(WriteProgramFile(program, path(name)));
        }
    }
    static void TearDownTestSuite() { delete dir; }
    static QString path(const char* name) {
        return dir->filePath(QLatin1String(name) + QStringLiteral(".h53"));
    }

    static QTemporaryDir* dir;
};
QTemporaryDir* SimulateTest::dir = nullptr;

// A script, what the tool prints and its exit code. Options are split at "|"; an output left
// empty, or an error text left null, is not compared.
TEST_F(SimulateTest, ScriptsAgainstPrograms) {
    const QString motor = example("motor_start_stop.h53");
    const struct {
        const char* name;
        QString program, script;
        const char* options;
        int code;
        const char *out, *err;
    } cases[] = {
        // When the timer switches is the scan's business (and tests/cli/scripts/timers.sim's).
        {"a timer's value printed", path("on_delay"), "1 set I1=1\n8 print T1.pv Q1\n", "", 0,
         "t=8 T1.pv=5 Q1=1\n", ""},
        // A coarser step scans at 0, 0.5, 1 ...; the timer still switches at 6, whatever the date.
        {"coarse step", path("on_delay"), "1 set I1=1\n5.5 expect T1=0\n6 expect T1=1\n",
         "--step|0.5|--start|2026-03-01T23:59:59", 0, "", ""},
        {"a restart keeps only retentive relays", path("retentive"),
         "0 set I1=1\n0.1 set I1=0\n0.2 expect M1=1 M2=1\n0.5 restart\n0.51 expect M1=1 M2=0\n", "", 0, "",
         ""},
        {"a failed expect stops the run with its line", motor,
         "0 set I2=1 I3=1\n0.5 expect Q2=0 Q1=1\n1 print Q1\n", "", 1,
         "expect failed at t=0.5: Q1=0, wanted 1\n", ""},
        {"an analog input also sets its digital input", motor,
         "0 set V1=8.18 V4=9\n0 expect I7=0 J8=1\n1 set V1=8.19\n1 expect I7=1\n", "", 0, "", ""},
        {"print and display", example("batching_counter.h53"),
         "# enable, then one item\n0 set I3=1 I1=1  # sensor high\n0.2 set I1=0\n"
         "0.25 print Q1 C1.pv RTC1 H1.ot\n\n0.25 display\n",
         "", 0,
         "t=0.25 Q1=1 C1.pv=1 RTC1=0 H1.ot=0\nt=0.25 display: No message\n"
         "|            |\n|            |\n|            |\n",
         ""},
        {"a refused program", path("empty"), "0 print Q1\n", "", 2, "",
         "Error no. : 50\nThere is no program to run.\nFew errors have been noticed while compiling the "
         "program. Please verify the program before proceeding.\n"},
        {"restart takes no operand", path("retentive"), "1 restart M1\n", "", 3, "", nullptr},
        {"no program", path("missing"), "", "", 2, "", nullptr},
        {"a start time without its T", motor, "", "--start|2026-01-05 08:00:00", 2, "", nullptr},
        {"a step of zero", motor, "", "--step|0", 2, "", nullptr},
        {"a step finer than the clock", motor, "", "--step|0.005", 2, "", nullptr},
        {"a missing script", motor, "", "--script|missing.sim", 2, "", nullptr},
        // The `parameters` line prints the monitor's grids: a heading per tab, the column headings
        // and a row per block in use, cells separated by tabs.
        {"parameters of the timers", example("staircase_light.h53"),
         "1 set I1=1\n1.5 set I1=0\n3.27 parameters timers\n", "", 0,
         "t=3.27 parameters: Timers\n"
         "Timer\tTrigger\tReset\tMode\tPreset\tPreset OFF\tCurrent\tOutput\tLocked\tComments\n"
         "T 1\tNo\tNo\tC Single Pulse\t120.0 s\t\t002.2 s\tYes\tNo\t"
         "Light time: type C (Single Pulse), 120.0 s\n",
         ""},
        {"parameters of the counters and compare counters", example("batching_counter.h53"),
         "0 set I3=1\n0.1 set I1=1\n0.2 set I1=0\n0.3 set I1=1\n0.5 parameters counters\n"
         "0.5 parameters compare\n",
         "", 0,
         "t=0.5 parameters: Counters\n"
         "Counter\tC\tR\tD\tPreset\tCurrent\tOutput\tLocked\tRetentive\tComments\n"
         "C 1\tYes\tNo\tU\t00050\t00002\tNo\tNo\tNo\tItems per batch: set point 50\n"
         "t=0.5 parameters: Compare counters\n"
         "Compare Counter\tCounter\tValue\tFunction\tCompare With\tCompare Value\tOutput\tLocked\tComments\n"
         "P 1\tC1\t00002\t>=\tAbs.Value\t00045\tNo\tNo\tAlmost full: C1 >= 45\n",
         ""},
        {"an unknown tab", example("batching_counter.h53"), "0 parameters timer\n", "", 3, "",
         "stdin:1: unknown tab timer (timers, counters, analog, compare, timeswitches, hourmeters)\n"},
        {"two tabs", example("batching_counter.h53"), "0 parameters timers counters\n", "", 3, "",
         "stdin:1: parameters takes at most one tab\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QStringList options = QString::fromLatin1(c.options).split(u'|', Qt::SkipEmptyParts);
        const Result r = simulate(c.program, c.script.toUtf8(), options);
        EXPECT_EQ(r.code, c.code) << r.out.toStdString() << r.err.toStdString();
        EXPECT_EQ(r.out, QLatin1String(c.out));
        if (c.err != nullptr) {
            EXPECT_EQ(r.err, QLatin1String(c.err));
        }
    }
    // Without a tab every tab is printed, those without blocks in use with their headings only.
    const Result all = simulate(example("batching_counter.h53"), "0 parameters\n");
    EXPECT_EQ(all.code, 0);
    EXPECT_EQ(all.err, QString());
    EXPECT_EQ(all.out.count(QStringLiteral(" parameters: ")), 6);
    EXPECT_TRUE(all.out.contains(QStringLiteral("\nHour Meter\tEnable\tReset\tReset All\t")));
}

TEST_F(SimulateTest, MalformedScriptLinesExitWithTheirNumber) {
    const char* cases[] = {
        "x set I1=1",              // time
        "2 set I1=1\n1 set I1=0",  // earlier than the line before
        "0 press I1=1",            // command
        "0 set I9=1",              // no such input
        "0 set Q1=1",              // outputs are not set
        "0 set I1=2",              // not 0 or 1
        "0 set V1=10.01",          // above the slider's range
        "0 expect T1.pv=abc",      // not a number
        "0 print Q1=1",            // value where none belongs
    };
    for (const char* script : cases) {
        const QString text = QStringLiteral("# header\n") + QLatin1String(script);
        const Result r = simulate(example("motor_start_stop.h53"), text.toUtf8());
        EXPECT_EQ(r.code, 3) << script;
        const int line = static_cast<int>(text.count(u'\n')) + 1;
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("stdin:%1: ").arg(line)))
            << script << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << script;  // checked before anything runs
    }
}

// A value change dump read back as a wave viewer would: the declarations, then the "#time"
// lines and value changes, kept per variable as a map of time to value.
struct Dump {
    QString timescale;
    QHash<QString, QString> kinds;              // name -> "wire" or "real"
    QHash<QString, QMap<qint64, double>> waves;  // name -> time -> value
    QString error;

    static Dump parse(const QByteArray& text) {
        Dump dump;
        QHash<QString, QString> names;  // id -> name
        qint64 time = -1;
        bool inBody = false;
        for (const QByteArray& raw : text.split('\n')) {
            const QString line = QString::fromLatin1(raw).trimmed();
            const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
            if (line.isEmpty()) {
                continue;
            }
            if (!inBody) {
                if (words[0] == QLatin1String("$timescale")) {
                    dump.timescale = words.value(1);
                } else if (words[0] == QLatin1String("$var") && words.size() == 6) {
                    // "$var wire 1 ! I1 $end"; the dump writes "T1.pv" as "T1_pv".
                    const QString name = QString(words[4]).replace(u'_', u'.');
                    names.insert(words[3], name);
                    dump.kinds.insert(name, words[1]);
                } else if (words[0] == QLatin1String("$enddefinitions")) {
                    inBody = true;
                }
                continue;
            }
            if (line.startsWith(u'#')) {
                const qint64 next = line.mid(1).toLongLong();
                if (next < time) {
                    dump.error = QStringLiteral("time goes back at ") + line;
                }
                time = next;
            } else if (line.startsWith(u'r') && words.size() == 2) {
                dump.waves[names.value(words[1])].insert(time, words[0].mid(1).toDouble());
            } else if (line[0] == u'0' || line[0] == u'1') {
                dump.waves[names.value(line.mid(1))].insert(time, line[0] == u'1' ? 1.0 : 0.0);
            } else if (!line.startsWith(u'$')) {
                dump.error = QStringLiteral("unexpected line ") + line;
            }
        }
        return dump;
    }

    // The value at `time`: that of the latest change at or before it.
    std::optional<double> at(const QString& name, qint64 time) const {
        const QMap<qint64, double> wave = waves.value(name);
        auto it = wave.upperBound(time);
        if (it == wave.begin()) {
            return std::nullopt;
        }
        return std::prev(it).value();
    }
};

class SimulateTraceTest : public ::testing::Test {
  protected:
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    QTemporaryDir dir;
};

// The staircase light with its own script and print lines all along: every value a print line
// shows is the value the dump holds at that time, so a wave viewer shows what the script saw.
TEST_F(SimulateTraceTest, TheDumpHoldsWhatPrintLinesShow) {
    std::vector<std::pair<qint64, QByteArray>> lines{{0, "0 trace I2 Q1 T1.pv"}, {50, "0.5 trace T1"}};
    for (const QByteArray& line : contentOf(example("staircase_light.sim")).split('\n')) {
        const QByteArray code = line.left(line.indexOf('#')).trimmed();
        if (!code.isEmpty()) {
            lines.emplace_back(std::llround(code.split(' ').front().toDouble() * 100), code);
        }
    }
    // Prints every 3.37 s and around every line of the script, after the script's own lines.
    std::vector<qint64> times;
    for (qint64 t = 0; t <= 41000; t += 337) {
        times.push_back(t);
    }
    for (const auto& line : lines) {
        times.insert(times.end(), {line.first, line.first + 1});
    }
    for (const qint64 t : times) {
        lines.emplace_back(t, QByteArray::number(t / 100.0, 'f', 2) + " print I2 Q1 T1.pv T1");
    }
    std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QByteArray script;
    for (const auto& line : lines) {
        script += line.second + '\n';
    }

    const CliResult result =
        simulate(example("staircase_light.h53"), script, {QStringLiteral("--vcd"), path("run.vcd")});
    ASSERT_EQ(result.code, 0) << result.out.toStdString() << result.err.toStdString();
    const Dump dump = Dump::parse(contentOf(path("run.vcd")));
    ASSERT_TRUE(dump.error.isEmpty()) << dump.error.toStdString();
    EXPECT_EQ(dump.timescale, QStringLiteral("10ms"));
    EXPECT_EQ(dump.kinds.value(QStringLiteral("T1.pv")), QStringLiteral("real"));
    EXPECT_EQ(dump.kinds.value(QStringLiteral("Q1")), QStringLiteral("wire"));
    // T1 is traced from 0.5 s on only.
    EXPECT_FALSE(dump.at(QStringLiteral("T1"), 49));
    EXPECT_TRUE(dump.at(QStringLiteral("T1"), 50));

    static const QRegularExpression pair(QStringLiteral("(\\S+)=(\\S+)"));
    int compared = 0;
    for (const QString& line : result.out.split(u'\n', Qt::SkipEmptyParts)) {
        const qint64 time = std::llround(line.section(u' ', 0, 0).mid(2).toDouble() * 100);
        auto matches = pair.globalMatch(line.section(u' ', 1));
        while (matches.hasNext()) {
            const QRegularExpressionMatch m = matches.next();
            const std::optional<double> value = dump.at(m.captured(1), time);
            if (m.captured(1) == QLatin1String("T1") && time < 50) {
                EXPECT_FALSE(value);
                continue;
            }
            ASSERT_TRUE(value) << line.toStdString();
            EXPECT_NEAR(*value, m.captured(2).toDouble(), 0.005) << line.toStdString();
            ++compared;
        }
    }
    EXPECT_GT(compared, 400);

    // GTKWave's own converters take the dump in and give the same waves back.
    const QString toFst = QStandardPaths::findExecutable(QStringLiteral("vcd2fst"));
    const QString toVcd = QStandardPaths::findExecutable(QStringLiteral("fst2vcd"));
    if (toFst.isEmpty() || toVcd.isEmpty()) {
        GTEST_SKIP() << "GTKWave's vcd2fst and fst2vcd are not installed";
    }
    ASSERT_EQ(QProcess::execute(toFst, {path("run.vcd"), path("run.fst")}), 0);
    QProcess back;
    back.start(toVcd, {path("run.fst")});
    ASSERT_TRUE(back.waitForFinished(30000));
    const Dump viewer = Dump::parse(back.readAllStandardOutput());
    ASSERT_TRUE(viewer.error.isEmpty()) << viewer.error.toStdString();
    EXPECT_EQ(viewer.kinds, dump.kinds);
    EXPECT_EQ(viewer.waves, dump.waves);
}

// The files, the default traces, and what happens when a file cannot be written: the message,
// and the run still goes through with its own result.
TEST_F(SimulateTraceTest, FilesAndFailures) {
    Ladder lamp;
    lamp.rung(1, 'I', 1, 'Q', 1);
    ASSERT_TRUE(WriteProgramFile(lamp.p, path("lamp.h53")));
    const QString missing = path("missing/run.vcd");
    const struct {
        const char* name;
        QByteArray script;
        QStringList options;
        int code;
        const char* out;
        const char* csv;     // the CSV file's content; null when none is written
        const char* err;     // part of standard error; null for none
    } cases[] = {
        {"named traces", "0 trace I1 Q1\n1 set I1=1\n1.5 set I1=0\n2 print Q1\n", {"--csv", path("out.csv")}, 0,
         "t=2 Q1=0\n", "time,I1,Q1\n0,0,0\n1,1,1\n1.5,0,0\n", nullptr},
        {"every input and output when none is named", "1 set I8=1\n1 expect Q1=0\n", {"--csv", path("out.csv")}, 0, "",
         "time,I1,I2,I3,I4,I5,I6,I7,I8,Q1,Q2,Q3,Q4\n0,0,0,0,0,0,0,0,0,0,0,0,0\n1,0,0,0,0,0,0,0,1,0,0,0,0\n",
         nullptr},
        {"a folder that does not exist", "0 trace Q1\n1 set I1=1\n2 print Q1\n",
         {"--vcd", missing, "--csv", path("out.csv")}, 4, "t=2 Q1=1\n", "time,Q1\n0,0\n1,1\n",
         "run.vcd: the trace cannot be written"},
        {"a failed expect keeps its code", "1 expect Q1=1\n", {"--vcd", missing}, 1, "expect failed at t=1: Q1=0, wanted 1\n", nullptr,
         "the run goes on without it"},
        {"trace takes no values", "0 trace Q1=1\n", {"--csv", path("out.csv")}, 3, "", nullptr,
         "stdin:1: trace takes operands without values: Q1=1"},
        {"an unknown operand", "0 trace Q5\n", {"--csv", path("out.csv")}, 3, "", nullptr, "unknown operand Q5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path("out.csv"));
        const CliResult result = simulate(path("lamp.h53"), c.script, c.options);
        EXPECT_EQ(result.code, c.code) << result.err.toStdString();
        EXPECT_EQ(result.out.toStdString(), c.out);
        EXPECT_EQ(QFile::exists(path("out.csv")), c.csv != nullptr);
        if (c.csv != nullptr) {
            EXPECT_EQ(contentOf(path("out.csv")).toStdString(), c.csv);
        }
        if (c.err != nullptr) {
            EXPECT_TRUE(result.err.contains(QLatin1String(c.err))) << result.err.toStdString();
        }
    }
    EXPECT_FALSE(QFile::exists(missing));
}

// A device that refuses the writes half way: the run ends normally and says so.
TEST_F(SimulateTraceTest, AWriteThatFailsDuringTheRunIsTold) {
    if (!QFile::exists(QStringLiteral("/dev/full"))) {
        GTEST_SKIP() << "no /dev/full";
    }
    QByteArray script = "0 trace I1\n";
    for (int t = 1; t < 3000; ++t) {
        script += QByteArray::number(t) + " set I1=" + QByteArray::number(t % 2) + '\n';
    }
    const CliResult result = simulate(example("motor_start_stop.h53"), script + "3000 print I1\n",
                                      {QStringLiteral("--vcd"), QStringLiteral("/dev/full")});
    EXPECT_EQ(result.code, 4);
    EXPECT_EQ(result.out, QStringLiteral("t=3000 I1=1\n"));
    EXPECT_TRUE(result.err.contains(QLatin1String("/dev/full: the trace could not be written"))) << result.err.toStdString();
}

}  // namespace
}  // namespace bdx
