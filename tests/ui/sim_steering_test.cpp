#include <QCheckBox>
#include <QLabel>
#include <QStatusBar>
#include <QTest>

#include "block_dialog_rig.h"
#include "blocks/timer_record.h"
#include "sim/clock.h"
#include "ui/sim/io_form.h"
#include "ui/sim/sim_steering.h"

namespace bdx {
namespace {

// I1 triggers T1, an on-delay of 5.0 s that lights Q1. The run is paced by a manual wall clock, so a scaled
// run takes no real time; the blocks run on the runner's own simulated time.
class SimSteeringTest : public BlockDialogRig {
  protected:
    void SetUp() override {
        BlockDialogRig::SetUp();
        load(lamp());
        runner().setWallClock(&wall);
    }
    static Ladder lamp() {
        Ladder ladder;
        ladder.rung(1, 'I', 1, 'T', 1).rung(2, 'T', 1, 'Q', 1);
        TimerRecord record = DecodeTimer(ladder.p, 0);
        record.on.digits = {0, 0, 5, 0};
        EncodeTimer(ladder.p, 0, record);
        return ladder;
    }

    // Turns the event loop until the simulated time reaches `hundredths`; false if it does not, or goes beyond.
    bool runUntil(qint64 hundredths) {
        LoopUntil([&] { return runner().simulatedHundredths() >= hundredths; });
        return runner().simulatedHundredths() == hundredths;
    }
    // Turns of the event loop for a while, for what must not happen.
    static void idle() { QTest::qWait(60); }
    double t1() const { return runner().simulation().blocks().timers.elapsedSeconds(0); }
    bool t1Output() const { return runner().engine().operandValue('T', 1); }

    ManualClock wall;
};

TEST_F(SimSteeringTest, StepPauseAndTimeScaleMoveTheSimulatedTimeExactly) {
    startRun();
    ASSERT_TRUE(LoopUntil([&] { return runner().scanCount() > 0; }));
    ASSERT_EQ(runner().scanCount(), 1);  // the first scan is due at once
    runner().simulation().setInput('I', 1, true);

    // Step pauses the run and makes exactly one scan, 10 ms later.
    command("mnuSimulationStep")->trigger();
    EXPECT_TRUE(runner().paused());
    EXPECT_EQ(runner().scanCount(), 2);
    EXPECT_EQ(runner().simulatedHundredths(), 1);
    EXPECT_EQ(t1(), 0.0);  // started by this scan
    QTest::keyClick(window(), Qt::Key_F7);
    EXPECT_EQ(runner().scanCount(), 3);
    EXPECT_DOUBLE_EQ(t1(), 0.01);

    // Paused: no scan and no time, whatever the wall clock does.
    wall.advance(500);
    idle();
    EXPECT_EQ(runner().scanCount(), 3);
    EXPECT_DOUBLE_EQ(t1(), 0.01);
    EXPECT_EQ(command("mnuSimulationPause")->text(), QStringLiteral("&Resume"));
    auto* status = find<SimStatusPanel>("sbSimulationStatus");
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->timeLabel()->text(), QStringLiteral("Simulated time 0:00:00.02"));
    EXPECT_EQ(status->rateLabel()->text(), QStringLiteral("Paused  (x1)"));

    // Ten times the speed from here: after 0.49 s of wall time T1 has run 4.91 s, after 0.5 s
    // it has reached its 5 s. The wall clock moves in bounds that a turn catches up whole.
    command("mnuTimeScaleX10")->trigger();
    QTest::keyClick(window(), Qt::Key_F6);
    ASSERT_FALSE(runner().paused());
    for (int i = 0; i < 4; ++i) {
        wall.advance(10);
        ASSERT_TRUE(runUntil(2 + 100 * (i + 1)));
    }
    wall.advance(9);
    ASSERT_TRUE(runUntil(492));
    EXPECT_DOUBLE_EQ(t1(), 4.91);
    EXPECT_FALSE(t1Output());
    wall.advance(1);
    ASSERT_TRUE(runUntil(502));
    EXPECT_TRUE(t1Output());
    EXPECT_EQ(runner().scanCount(), 503);  // one scan per 10 ms of simulated time, none let go

    // As fast as possible: every scan is 10 ms later, with no wall time at all.
    command("mnuTimeScaleFastest")->trigger();
    const qint64 scans = runner().scanCount();
    ASSERT_TRUE(LoopUntil([&] { return runner().simulatedHundredths() >= 1502; }));
    EXPECT_EQ(runner().simulatedHundredths() - 502, runner().scanCount() - scans);
    // And back to the wall clock's pace: nothing is due until it moves.
    QTest::keyClick(window(), Qt::Key_F8);
    EXPECT_EQ(runner().timeScale(), TimeScale::X1);
    EXPECT_TRUE(command("mnuTimeScaleX1")->isChecked());
    idle();
    const qint64 paced = runner().simulatedHundredths();
    idle();
    EXPECT_EQ(runner().simulatedHundredths(), paced);
    wall.advance(3);
    EXPECT_TRUE(runUntil(paced + 3));
}

TEST_F(SimSteeringTest, TheSteeringCommandsAreOnOnlyDuringARun) {
    const char* commands[] = {"mnuSimulationPause", "mnuSimulationStep", "mnuTimeScaleNext",   "mnuTimeScaleX1",
                              "mnuTimeScaleX10",    "mnuTimeScaleX100",  "mnuTimeScaleFastest"};
    const char* buttons[] = {"SimulationPause", "SimulationStep", "SimulationTimeScale"};
    const auto expectOn = [&](bool on) {
        for (const char* name : commands) {
            EXPECT_EQ(command(name)->isEnabled(), on) << name;
        }
        for (const char* key : buttons) {
            EXPECT_EQ(button(key)->isEnabled(), on) << key;
        }
        EXPECT_EQ(!find<SimStatusPanel>("sbSimulationStatus")->isHidden(), on);
    };
    expectOn(false);
    // Outside a run the keys do nothing.
    QTest::keyClick(window(), Qt::Key_F7);
    EXPECT_FALSE(runner().running());
    EXPECT_EQ(runner().scanCount(), 0);

    startRun();
    expectOn(true);
    command("mnuSimulationPause")->trigger();
    // The keys reach the run from its other windows too, a block dialog beside it for one.
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    const qint64 scans = runner().scanCount();
    QTest::keyClick(&other, Qt::Key_F7);
    EXPECT_EQ(runner().scanCount(), scans + 1);
    stopRun();
    expectOn(false);
    // A new run starts unpaused, at the scale chosen last.
    command("mnuSimulationPC")->trigger();
    EXPECT_FALSE(runner().paused());
    EXPECT_EQ(command("mnuSimulationPause")->text(), QStringLiteral("P&ause"));
}

// Pictures for the documentation, made only when BDX_SCREENSHOT_DIR names a folder.
TEST_F(SimSteeringTest, Screenshots) {
    InScreenshotLanguages([this](const QString& language) {
        app.reset();
        writeSettings(language == QLatin1String("pt") ? Portuguese : English);
        start();
        load(lamp());
        runner().setWallClock(&wall);
        window()->resize(1100, 640);
        window()->show();
        startRun();
        LoopUntil([&] { return runner().scanCount() > 0; });
        command("mnuTimeScaleX10")->trigger();
        runner().panel()->inputBox(0)->click();
        wall.advance(37);
        runUntil(370);
        command("mnuSimulationPause")->trigger();
        QTest::qWait(50);
        Shoot(*window(), QStringLiteral("simulation-steering_") + language);
        stopRun();
    });
}

}  // namespace
}  // namespace bdx
