#include <gtest/gtest.h>

#include "run_cli.h"

namespace bdx {
namespace {

QString example(const char* name) {
    return QStringLiteral(BDX_SOURCE_DIR "/examples/") + QLatin1String(name);
}

// The `parameters` script line prints the monitor's grids: a heading per tab, the column
// headings and a row per block in use, cells separated by tabs.
TEST(SimulateParameters, ScriptLinePrintsTheMonitorsRows) {
    const struct {
        const char* program;
        const char* script;
        int code;
        const char* out;  // null: not compared
        const char* err;
    } cases[] = {
        {"staircase_light.h53", "1 set I1=1\n1.5 set I1=0\n3.27 parameters timers\n", 0,
         "t=3.27 parameters: Timers\n"
         "Timer\tTrigger\tReset\tMode\tPreset\tPreset OFF\tCurrent\tOutput\tLocked\tComments\n"
         "T 1\tNo\tNo\tC Single Pulse\t120.0 s\t\t002.2 s\tYes\tNo\t"
         "Light time: type C (Single Pulse), 120.0 s\n",
         ""},
        {"batching_counter.h53",
         "0 set I3=1\n0.1 set I1=1\n0.2 set I1=0\n0.3 set I1=1\n0.5 parameters counters\n"
         "0.5 parameters compare\n",
         0,
         "t=0.5 parameters: Counters\n"
         "Counter\tC\tR\tD\tPreset\tCurrent\tOutput\tLocked\tRetentive\tComments\n"
         "C 1\tYes\tNo\tU\t00050\t00002\tNo\tNo\tNo\tItems per batch: set point 50\n"
         "t=0.5 parameters: Compare counters\n"
         "Compare Counter\tCounter\tValue\tFunction\tCompare With\tCompare Value\tOutput\tLocked\tComments\n"
         "P 1\tC1\t00002\t>=\tAbs.Value\t00045\tNo\tNo\tAlmost full: C1 >= 45\n",
         ""},
        // Without a tab every tab is printed, those without blocks in use with their headings only.
        {"batching_counter.h53", "0 parameters\n", 0, nullptr, ""},
        {"batching_counter.h53", "0 parameters timer\n", 3, "",
         "stdin:1: unknown tab timer (timers, counters, analog, compare, timeswitches, hourmeters)\n"},
        {"batching_counter.h53", "0 parameters timers counters\n", 3, "",
         "stdin:1: parameters takes at most one tab\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        const CliResult result =
            RunCli({QStringLiteral("simulate"), example(c.program)}, QByteArray(c.script));
        EXPECT_EQ(result.code, c.code);
        EXPECT_EQ(result.err, QLatin1String(c.err));
        if (c.out != nullptr) {
            EXPECT_EQ(result.out, QString::fromUtf8(c.out));
        } else {
            EXPECT_EQ(result.out.count(QStringLiteral(" parameters: ")), 6);
            EXPECT_TRUE(result.out.contains(QStringLiteral("\nHour Meter\tEnable\tReset\tReset All\t")));
        }
    }
}

}  // namespace
}  // namespace bdx
