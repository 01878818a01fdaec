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

// I1 triggers T1, an on-delay timer of 5.0 s; T1 drives Q1.
QString writeOnDelayProgram(const QTemporaryDir& dir) {
    Ladder l;
    l.rung(1, 'I', 1, 'T', 1).rung(2, 'T', 1, 'Q', 1);
    TimerRecord timer;
    timer.on.digits = {0, 0, 5, 0};
    EncodeTimer(l.p, 0, timer);
    const QString path = dir.filePath(QStringLiteral("on_delay.h53"));
    EXPECT_TRUE(WriteProgramFile(l.p, path));
    return path;
}

TEST(SimulateTest, OnDelayTimerSwitchesAfterItsTime) {
    QTemporaryDir dir;
    const QString program = writeOnDelayProgram(dir);
    const Result r = simulate(program, QStringLiteral("1 set I1=1\n"
                                                      "5.99 expect Q1=0 T1=0 T1.pv=4.99\n"
                                                      "6 expect T1=1 T1.pv=5 Q1=0\n"
                                                      "6.01 expect Q1=1\n"
                                                      "8 print T1.pv Q1\n"
                                                      "8 set I1=0\n"
                                                      "8.02 expect T1=0 Q1=0\n"));
    // The timer steps after the network, so its contact reaches Q1 one scan later.
    EXPECT_EQ(r.code, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("t=8 T1.pv=5 Q1=1\n"));

    // A coarser step scans at 0, 0.5, 1 ...; the timer still switches at 6, whatever the date.
    const Result coarse = simulate(program, QStringLiteral("1 set I1=1\n5.5 expect T1=0\n6 expect T1=1\n"),
                                   {QStringLiteral("--step"), QStringLiteral("0.5"),
                                    QStringLiteral("--start"), QStringLiteral("2026-03-01T23:59:59")});
    EXPECT_EQ(coarse.code, 0) << coarse.out.toStdString();
}

// A new run keeps the retentive relay M1 and starts the plain relay M2 afresh.
TEST(SimulateTest, RestartKeepsOnlyRetentiveRelays) {
    QTemporaryDir dir;
    Ladder l;
    l.rung(1, 'I', 1, 'M', 1, CoilSetRetentive)
        .rung(2, 'I', 2, 'M', 1, CoilResetRetentive)
        .rung(3, 'I', 1, 'M', 2, CoilSet)
        .rung(4, 'I', 2, 'M', 2, CoilReset);
    const QString program = dir.filePath(QStringLiteral("retentive.h53"));
    ASSERT_TRUE(WriteProgramFile(l.p, program));
    const Result r = simulate(program, QStringLiteral("0 set I1=1\n"
                                                      "0.1 set I1=0\n"
                                                      "0.2 expect M1=1 M2=1\n"
                                                      "0.5 restart\n"
                                                      "0.51 expect M1=1 M2=0\n"
                                                      "0.6 set I2=1\n"
                                                      "0.7 expect M1=0\n"));
    EXPECT_EQ(r.code, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(simulate(program, QStringLiteral("1 restart M1\n")).code, 3);
}

TEST(SimulateTest, FailedExpectStopsTheRunWithTheLine) {
    const Result r = simulate(example("motor_start_stop.h53"), QStringLiteral("0 set I2=1 I3=1\n"
                                                                              "0.5 expect Q2=0 Q1=1\n"
                                                                              "1 print Q1\n"));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, QStringLiteral("expect failed at t=0.5: Q1=0, wanted 1\n"));
}

TEST(SimulateTest, AnalogInputAlsoSetsItsDigitalInputWithHysteresis) {
    const Result r = simulate(example("motor_start_stop.h53"), QStringLiteral("0 set V1=8.18 V4=9\n"
                                                                              "0 expect I7=0 J8=1\n"
                                                                              "1 set V1=8.19\n"
                                                                              "1 expect I7=1\n"
                                                                              "2 set V1=5.00\n"
                                                                              "2 expect I7=1\n"
                                                                              "4 set V1=4.08\n"
                                                                              "4 expect I7=0\n"));
    EXPECT_EQ(r.code, 0) << r.out.toStdString() << r.err.toStdString();
}

TEST(SimulateTest, PrintAndDisplayFormat) {
    const Result r =
        simulate(example("batching_counter.h53"), QStringLiteral("# enable, then one item\n"
                                                                 "0 set I3=1 I1=1  # sensor high\n"
                                                                 "0.2 set I1=0\n"
                                                                 "0.25 print Q1 C1.pv RTC1 H1.ot\n"
                                                                 "\n"
                                                                 "0.25 display\n"));
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("t=0.25 Q1=1 C1.pv=1 RTC1=0 H1.ot=0\n"
                                    "t=0.25 display: No message\n"
                                    "|            |\n|            |\n|            |\n"));
}

TEST(SimulateTest, MalformedScriptLinesExitWithTheirNumber) {
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

TEST(SimulateTest, RefusedProgramAndBadArguments) {
    QTemporaryDir dir;
    const QString empty = dir.filePath(QStringLiteral("empty.h53"));
    ASSERT_TRUE(WriteProgramFile(Program{}, empty));
    const Result refused = simulate(empty, QStringLiteral("0 print Q1\n"));
    EXPECT_EQ(refused.code, 2);
    EXPECT_EQ(refused.err, QStringLiteral("Error no. : 50\nThere is no program to run.\n"
                                          "Few errors have been noticed while compiling the program. "
                                          "Please verify the program before proceeding.\n"));
    EXPECT_TRUE(refused.out.isEmpty());

    const QString motor = example("motor_start_stop.h53");
    const QStringList bad[] = {
        {QStringLiteral("--start"), QStringLiteral("2026-01-05 08:00:00")},
        {QStringLiteral("--step"), QStringLiteral("0")},
        {QStringLiteral("--step"), QStringLiteral("0.005")},
        {QStringLiteral("--script"), dir.filePath(QStringLiteral("missing.sim"))},
    };
    for (const QStringList& options : bad) {
        const Result r = simulate(motor, QString(), options);
        EXPECT_EQ(r.code, 2) << options.join(u' ').toStdString();
    }
    EXPECT_EQ(simulate(dir.filePath(QStringLiteral("missing.h53")), QString()).code, 2);
}

}  // namespace
}  // namespace bdx
