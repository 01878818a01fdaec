#include <gtest/gtest.h>

#include <sstream>

#include "blocks/counter_record.h"
#include "blocks/timer_record.h"
#include "sim/timer_live_status.h"
#include "sim_fixture.h"

namespace bdx {
namespace {

SetTime Seconds(int tenths) {
    SetTime time;
    time.digits = {static_cast<std::uint8_t>(tenths / 1000), static_cast<std::uint8_t>(tenths / 100 % 10),
                   static_cast<std::uint8_t>(tenths / 10 % 10), static_cast<std::uint8_t>(tenths % 10)};
    return time;
}

// T1: trigger I1, reset I2. C1: count I1, reset I2, direction I3.
class TimerCounterEvaluationTest : public SimFixture {
  protected:
    void prepare() { ASSERT_TRUE(SimFixture::prepare(l)); }
    void startTimer(int type, SetTime on, SetTime off = Seconds(0)) {
        l.rung(1, 'I', 1, 'T', 1).rung(2, 'I', 2, 'T', 1, CoilReset).rung(3, 'T', 1, 'Q', 1);
        TimerRecord record;
        record.type = type;
        record.on = on;
        record.off = off;
        EncodeTimer(l.p, 0, record);
        prepare();
    }
    void setCounter(int index, int setPoint, int decimals, int pulses, int units) {
        EncodeCounter(l.p, index, CounterRecord{setPoint, decimals, pulses, units});
    }
    void startCounter(int setPoint, int decimals, int pulses, int units) {
        l.rung(1, 'I', 1, 'C', 1).rung(2, 'I', 2, 'C', 1, CoilReset).rung(3, 'I', 3, 'C', 1, CoilDirection);
        l.rung(4, 'C', 1, 'Q', 1);
        setCounter(0, setPoint, decimals, pulses, units);
        prepare();
    }
    // One scan at `time` (hundredths since the run started) with I1..I4 as the bits of `mask`.
    void scanAt(std::int64_t time, int mask) {
        clock.advance(time - clock.hundredths());
        ASSERT_EQ(scanWith(mask), 2);
    }
    void scan(int mask) { scanAt(clock.hundredths(), mask); }
    // A pulse on I1 with the other inputs held; counters see the network a scan late.
    void pulse(int held = 0) {
        scan(held | 1);
        scan(held);
        scan(held);
    }
    // Open entry of T, C or P number n + 1; the closed entry must hold the inverse.
    bool entry(std::uint16_t base, int n = 0) {
        const bool open = engine.signal(base + n);
        EXPECT_NE(open, engine.signal(base + 16 + n)) << base << '+' << n;
        return open;
    }

    Ladder l;
};

// Every mode with SP ON 1.0 s and, where used, SP OFF 2.0 s. Steps read "time:inputs:output":
// hundredths since the start, inputs 1 trigger + 2 reset, expected output.
TEST_F(TimerCounterEvaluationTest, EveryTimerModeFollowsItsBehaviour) {
    const struct {
        int type;
        const char* name;
        const char* steps;
    } cases[] = {
        {0, "on-delay: on after the set time, off with the trigger, reset restarts on the level",
         "0:1:0 99:1:0 100:1:1 150:1:1 160:0:0 170:1:0 269:1:0 270:1:1 280:3:0 290:1:0 "
         "389:1:0 390:1:1"},
        {1, "off-delay: on with the trigger, off the set time after it; re-trigger stops; reset masks",
         "0:1:1 500:1:1 510:0:1 609:0:1 610:0:0 620:1:1 630:0:1 680:1:1 690:0:1 789:0:1 "
         "790:0:0 800:1:1 810:3:0 820:1:1 830:2:0 840:0:0"},
        {2, "single pulse: deaf while running, waits for release, new edge after reset",
         "0:1:1 50:0:1 60:1:1 100:1:0 150:1:0 160:0:0 170:1:1 200:3:0 210:1:0 220:0:0 230:1:1 "
         "329:0:1 330:0:0"},
        {3, "ON/OFF 1: cycles on the times alone until reset, restarts on the level",
         "0:1:1 50:0:1 99:0:1 100:0:0 299:0:0 300:0:1 400:0:0 600:0:1 650:2:0 700:0:0 710:1:1 "
         "810:3:0 820:1:1"},
        {4, "OFF/ON 1: the same cycle beginning with the off time",
         "0:1:0 50:0:0 199:0:0 200:0:1 299:0:1 300:0:0 500:0:1 550:2:0 560:0:0"},
        {5, "ON/OFF 2: cycles only while triggered, new edge after reset",
         "0:1:1 100:1:0 300:1:1 350:0:0 360:1:1 460:1:0 470:3:0 480:1:0 490:0:0 500:1:1"},
        {6, "OFF/ON 2: the same beginning with the off time",
         "0:1:0 200:1:1 300:1:0 310:0:0 320:1:0 520:1:1 530:3:0 540:1:0 740:1:0 750:0:0 "
         "760:1:0 960:1:1"},
        {7, "delayed impulse: re-trigger restarts the off time only, one impulse per edge",
         "0:1:0 150:0:0 160:1:0 359:1:0 360:1:1 400:0:1 410:1:1 459:1:1 460:1:0 700:1:0 "
         "710:0:0 720:1:0 920:1:1 930:3:0 940:1:0 1200:1:0 1210:0:0 1220:1:0 1420:1:1"},
        {8, "leading edge 1: a pulse per rising edge, deaf while running",
         "0:1:1 50:0:1 60:1:1 100:1:0 110:0:0 120:1:1 150:3:0 160:1:0 300:1:0 310:0:0 320:1:1 "
         "420:1:0"},
        {9, "leading edge 2: trigger off cuts the pulse",
         "0:1:1 50:0:0 60:1:1 159:1:1 160:1:0 170:0:0 180:1:1 190:3:0 200:1:0 210:0:0 220:1:1"},
        {10, "trailing edge 1: a pulse per falling edge, deaf while running; edges under reset are lost",
         "0:1:0 10:0:1 50:1:1 60:0:1 110:0:0 120:1:0 130:0:1 140:2:0 150:0:0 300:1:0 310:3:0 "
         "320:1:0 330:0:1 430:1:0 440:3:0 450:2:0 460:0:0"},
        {11, "trailing edge 2: trigger on cuts the pulse", "0:1:0 10:0:1 50:1:0 60:0:1 159:0:1 160:0:0"},
        {12, "signal OFF/ON: on-delay, then off-delay after release",
         "0:1:0 99:1:0 100:1:1 500:1:1 510:0:1 609:0:1 610:0:0 700:1:0 750:0:0 760:1:0 "
         "860:1:1 870:0:1 900:1:1 1500:1:1 1510:0:1 1610:0:0 1620:1:0 1630:3:0 1640:1:0 "
         "1800:1:0 1810:0:0 1820:1:0 1920:1:1"},
        {13, "impulse ON/OFF: a pulse per change, a change restarts it, first change after reset",
         "0:1:1 99:1:1 100:1:0 200:0:1 250:1:1 340:1:1 350:1:0 400:3:0 410:1:0 420:0:1 "
         "519:0:1 520:0:0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The cases share one engine, whose timers remember their trigger from run to run: each
        // case starts with the trigger seen off.
        if (engine.running()) {
            scanWith(0);
        }
        l = Ladder();
        clock = ManualClock();
        startTimer(c.type, Seconds(10), Seconds(20));
        std::istringstream steps(c.steps);
        std::int64_t time = 0;
        int inputs = 0, output = 0;
        char colon = 0;
        while (steps >> time >> colon >> inputs >> colon >> output) {
            scanAt(time, inputs);
            EXPECT_EQ(entry(72), output != 0) << "at " << time;
        }
    }
}

TEST_F(TimerCounterEvaluationTest, PresetsAndParameterChangesDuringARun) {
    startTimer(0, Seconds(50));
    scanAt(0, 1);
    scanAt(490, 1);
    EXPECT_DOUBLE_EQ(blocks.timers.elapsedSeconds(0), 4.9);
    // Fewer digits: the elapsed value is cut to the new preset and the timer goes on.
    TimerRecord record = DecodeTimer(l.p, 0);
    record.on = Seconds(20);
    EncodeTimer(l.p, 0, record);
    blocks.timers.ParametersChanged(l.p, 0);
    EXPECT_DOUBLE_EQ(blocks.timers.elapsedSeconds(0), 2.0);
    scanAt(500, 1);
    EXPECT_TRUE(entry(72));
    EXPECT_EQ(blocks.timers.state(0), TimerState::Elapsed);

    // Another unit: stopped until the trigger is pressed anew, however long it is held.
    const struct {
        TimeUnit unit;
        double seconds;
    } units[] = {{TimeUnit::MinutesSeconds, 90}, {TimeUnit::HoursMinutes, 5400}};
    for (const auto& u : units) {
        record.on = SetTime{u.unit, {0, 1, 3, 0}};
        EncodeTimer(l.p, 0, record);
        blocks.timers.ParametersChanged(l.p, 0);
        EXPECT_DOUBLE_EQ(blocks.timers.presetOnSeconds(0), u.seconds);
        const std::int64_t t = clock.hundredths() + 1000;
        scanAt(t, 1);
        EXPECT_EQ(blocks.timers.state(0), TimerState::Stopped);
        scanAt(t + 10, 0);
        scanAt(t + 20, 1);
        scanAt(t + 19 + static_cast<std::int64_t>(u.seconds) * 100, 1);
        EXPECT_FALSE(entry(72));
        scanAt(t + 20 + static_cast<std::int64_t>(u.seconds) * 100, 1);
        EXPECT_TRUE(entry(72));
    }
}

// The timer dialog's status lines during a run: T1 has both inputs drawn, T2 neither.
TEST_F(TimerCounterEvaluationTest, LiveStatusOfTheTimerInputsAndOutput) {
    startTimer(0, Seconds(10));
    constexpr auto Off = InputLevel::NotActive, On = InputLevel::Active, None = InputLevel::Unconnected;
    const struct {
        std::int64_t time;
        int inputs;
        int timer;
        TimerLiveStatus status;
        std::array<int, 3> textIds;  // trigger, reset, output
    } steps[] = {
        {0, 0, 0, {Off, Off, false}, {4180, 4174, 4169}},
        {10, 1, 0, {On, Off, false}, {4179, 4174, 4169}},
        {110, 1, 0, {On, Off, true}, {4179, 4174, 4168}},
        {120, 3, 0, {On, On, false}, {4179, 4173, 4169}},
        {130, 3, 1, {None, None, false}, {4181, 4175, 4169}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.time);
        scanAt(step.time, step.inputs);
        const TimerLiveStatus status = ReadTimerLiveStatus(engine, step.timer);
        EXPECT_EQ(status, step.status);
        EXPECT_EQ(TriggerStatusTextId(status.trigger), step.textIds[0]);
        EXPECT_EQ(ResetStatusTextId(status.reset), step.textIds[1]);
        EXPECT_EQ(OutputStatusTextId(status.output), step.textIds[2]);
    }
}

TEST_F(TimerCounterEvaluationTest, CounterScalingSaturationAndSetPoint) {
    const struct {
        const char* name;
        int decimals, pulses, units, setPoint;
        int count;  // pulses counted up
        std::int64_t raw;
        double displayed;
    } cases[] = {
        {"ratio 0.5 without decimals truncates", 0, 2, 1, 1, 3, 3, 1},
        {"ratio 0.5 with a decimal shows halves", 1, 2, 1, 16, 3, 3, 1.5},
        {"set point reached", 1, 2, 1, 15, 3, 3, 1.5},
        {"ratio 3", 0, 1, 3, 13, 4, 4, 12},
        {"saturates at 99999 without decimals", 0, 1, 40000, 80000, 3, 2, 80000},
        {"saturates at 999.99 with two decimals", 2, 1, 333, 99901, 5, 3, 999},
        {"zero pulses counts as one", 0, 0, 2, 99999, 2, 2, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        l = Ladder();
        startCounter(c.setPoint, c.decimals, c.pulses, c.units);
        for (int i = 0; i < c.count; ++i) {
            pulse();
        }
        EXPECT_EQ(blocks.counters.rawCount(0), c.raw);
        EXPECT_DOUBLE_EQ(blocks.counters.displayedValue(0), c.displayed);
        EXPECT_EQ(entry(104), blocks.counters.displayedUnits(0) >= c.setPoint);
    }
}

TEST_F(TimerCounterEvaluationTest, CounterDirectionAndReset) {
    startCounter(2, 0, 1, 1);
    pulse(4);  // down at 0 stays at 0
    pulse();
    pulse();
    EXPECT_TRUE(entry(104));
    pulse(4);
    EXPECT_EQ(blocks.counters.rawCount(0), 1);
    EXPECT_FALSE(entry(104));
    pulse();
    scan(1 | 2);  // reset and a count edge in the same scan: the pulse is lost
    scan(0);
    scan(0);
    EXPECT_EQ(blocks.counters.rawCount(0), 0);
    pulse(2);
    EXPECT_EQ(blocks.counters.rawCount(0), 0);
}

// C1 counts I1; C2 counts I4 at 0.5 per pulse with one decimal. P1..P6 compare C1 with the
// constant 2, P7..P12 with C2, each through the six functions in order.
TEST_F(TimerCounterEvaluationTest, CompareCountersWithAConstantAndAnotherCounter) {
    l.rung(1, 'I', 1, 'C', 1).rung(2, 'I', 4, 'C', 2);
    for (int k = 0; k < 12; ++k) {
        l.rung(3 + k, 'P', k + 1, 'M', k + 1);
        EncodeCompare(l.p, k, CompareRecord{0, k % 6, k < 6, 2, 1}, false);
    }
    setCounter(0, 99999, 0, 1, 1);
    setCounter(1, 99999, 1, 2, 1);
    prepare();
    for (int i = 0; i < 4; ++i) {
        scan(8);
        scan(0);
    }
    scan(0);
    ASSERT_EQ(blocks.counters.displayedValue(1), 2.0);
    for (int c1 = 0; c1 <= 3; ++c1) {
        const bool expected[] = {c1 > 2, c1 < 2, c1 >= 2, c1 <= 2, c1 == 2, c1 != 2};
        for (int k = 0; k < 12; ++k) {
            EXPECT_EQ(entry(280, k), expected[k % 6]) << "C1 " << c1 << ", P" << k + 1;
        }
        pulse();
    }
}

}  // namespace
}  // namespace bdx
