#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>

#include "../check/ladder_drawing.h"
#include "blocks/timer_record.h"
#include "ladder/program_file.h"
#include "run_cli.h"

namespace bdx {
namespace {

using Result = CliResult;

// The script goes in on standard input unless the arguments name one.
Result simulate(const QString& program, const QString& script, const QStringList& options = {}) {
    return RunCli(QStringList{QStringLiteral("simulate"), program} + options, script.toUtf8());
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
        const Result r =
            simulate(c.program, c.script, QString::fromLatin1(c.options).split(u'|', Qt::SkipEmptyParts));
        EXPECT_EQ(r.code, c.code) << r.out.toStdString() << r.err.toStdString();
        EXPECT_EQ(r.out, QLatin1String(c.out));
        if (c.err != nullptr) {
            EXPECT_EQ(r.err, QLatin1String(c.err));
        }
    }
    // Without a tab every tab is printed, those without blocks in use with their headings only.
    const Result all = simulate(example("batching_counter.h53"), QStringLiteral("0 parameters\n"));
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
        const Result r = simulate(example("motor_start_stop.h53"), text);
        EXPECT_EQ(r.code, 3) << script;
        const int line = static_cast<int>(text.count(u'\n')) + 1;
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("stdin:%1: ").arg(line)))
            << script << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << script;  // checked before anything runs
    }
}

}  // namespace
}  // namespace bdx
