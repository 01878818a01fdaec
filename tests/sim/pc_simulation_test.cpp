#include "sim/pc_simulation.h"

#include <gtest/gtest.h>

#include "../check/ladder_drawing.h"
#include "shell/scripted_prompter.h"
#include "sim/clock.h"

namespace bdx {
namespace {

class PcSimulationTest : public ::testing::Test {
  protected:
    bool prepare() { return !sim.Prepare(ladder.p, RunRuleCheck(ladder.p)); }
    bool q1() const { return sim.engine().operandValue('Q', 1); }

    ManualClock clock;
    PcSimulation sim{clock};
    Ladder ladder{9};  // display and analog inputs
};

TEST_F(PcSimulationTest, InputDrivesTheOutputAndTheImageSurvivesTheNextRun) {
    ladder.rung(1, 'I', 1, 'Q', 1);
    ASSERT_TRUE(prepare());
    sim.setInput('I', 1, true);
    sim.setSlider(2, 650);
    EXPECT_FALSE(q1());  // nothing happens between scans
    ASSERT_EQ(sim.ScanOnce(), 2);
    EXPECT_TRUE(q1());
    sim.EndSimulation();
    EXPECT_FALSE(sim.running());

    ASSERT_TRUE(prepare());
    EXPECT_FALSE(q1());  // outputs start afresh...
    EXPECT_TRUE(sim.input('I', 1));
    EXPECT_EQ(sim.slider(2), 650);
    ASSERT_EQ(sim.ScanOnce(), 2);
    EXPECT_TRUE(q1());  // ...and the kept image drives them again
}

// The simulation a window owns shows the reason a run ends, once. Why a message ends the run is
// the soft text's; the refusal boxes are the run check's and reach a window through the runner.
TEST_F(PcSimulationTest, AWindowsSimulationShowsWhyTheRunEnded) {
    ScriptedPrompter prompter;
    PcSimulation shown{clock, prompter};
    // X1 shows analog input V5 of module B, which the program lacks.
    ladder.rung(1, 'I', 1, 'X', 1).embed(1, 0, EmbeddedSource::AnalogInput, 5, 0);
    ASSERT_TRUE(shown.PrepareSimulation(ladder.p, {}));
    shown.setInput('I', 1, true);
    EXPECT_EQ(shown.ScanOnce(), 1);
    EXPECT_EQ(prompter.texts(), QStringList{shown.endMessage()});
    EXPECT_FALSE(shown.endMessage().isEmpty());
}

TEST_F(PcSimulationTest, SliderTicksItsDigitalTwinWithHysteresis) {
    struct Step {
        int hundredths;
        int held;  // the value kept, within 0..10.00 V
        bool on;
        bool changed;
    };
    // Channel 0 is I7: rising to 8.19 V ticks it, the band between keeps it, below 4.09 V
    // unticks it, and the band keeps it off again on the way up.
    const Step steps[] = {{818, 818, false, false}, {819, 819, true, true},  {500, 500, true, false},
                          {409, 409, true, false},  {408, 408, false, true}, {600, 600, false, false},
                          {5000, 1000, true, true}, {-20, 0, false, true}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.hundredths);
        EXPECT_EQ(sim.setSlider(0, s.hundredths), s.changed);
        EXPECT_EQ(sim.input('I', 7), s.on);
        EXPECT_EQ(sim.slider(0), s.held);
    }
    // A box ticked by hand in the band stays ticked while the slider moves within it.
    sim.setSlider(0, 500);
    sim.setInput('I', 7, true);
    EXPECT_FALSE(sim.setSlider(0, 700));
    EXPECT_TRUE(sim.input('I', 7));
    EXPECT_FALSE(sim.setSlider(kAnalogChannels, 900));
}

TEST_F(PcSimulationTest, EachSliderCouplesToInputSevenOrEightOfItsModule) {
    const char* twins[] = {"I7", "I8", "J7", "J8", "K7", "K8", "L7", "L8"};
    for (int channel = 0; channel < kAnalogChannels; ++channel) {
        SCOPED_TRACE(twins[channel]);
        EXPECT_TRUE(sim.setSlider(channel, 900));
        for (char module : {'I', 'J', 'K', 'L'}) {
            for (int n = 1; n <= 8; ++n) {
                const bool twin = module == twins[channel][0] && n == twins[channel][1] - '0';
                EXPECT_EQ(sim.input(module, n), twin) << module << n;
            }
        }
        EXPECT_TRUE(sim.setSlider(channel, 0));
    }
}

TEST(ClockTest, ManualClockMovesOnlyWhenToldAndNeverBack) {
    ManualClock clock(QDateTime(QDate(2026, 12, 6), QTime(23, 59, 59)));  // a Sunday
    EXPECT_EQ(clock.hundredths(), 0);
    EXPECT_EQ(clock.now().weekday, 7);
    clock.advance(99);
    EXPECT_EQ(clock.hundredths(), 99);
    EXPECT_EQ(clock.now().second, 59);
    clock.advance(1);
    EXPECT_EQ(clock.now(), (LocalDateTime{2026, 12, 7, 1, 0, 0, 0}));
    clock.advance(-50);
    EXPECT_EQ(clock.hundredths(), 100);
    // A new date keeps the monotonic count.
    clock.setDateTime(QDateTime(QDate(2027, 3, 3), QTime(12, 30)));
    EXPECT_EQ(clock.hundredths(), 100);
    EXPECT_EQ(clock.now(), (LocalDateTime{2027, 3, 3, 3, 12, 30, 0}));
    clock.advance(6000);
    EXPECT_EQ(clock.now().minute, 31);
}

}  // namespace
}  // namespace bdx
