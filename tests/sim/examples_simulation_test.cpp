// The example programs run with every block kind evaluated, as a user would try them.
#include <gtest/gtest.h>

#include "check/rule_checker.h"
#include "ladder/program_file.h"
#include "shell/scripted_prompter.h"
#include "sim/block_evaluation.h"
#include "sim/clock.h"

namespace bdx {
namespace {

class ExampleRun {
  public:
    explicit ExampleRun(const char* name) : blocks(clock, prompter), engine(blocks) {
        EXPECT_TRUE(
            ReadProgramFile(QStringLiteral(BDX_SOURCE_DIR "/examples/") + QLatin1String(name), program).ok());
        EXPECT_TRUE(engine.PrepareSimulation(program, RunRuleCheck(program), prompter));
    }

    // Sets inputs, then scans every hundredth of a second for `seconds`.
    void run(std::initializer_list<std::pair<int, bool>> inputs, double seconds = 0.01) {
        for (const auto& [n, on] : inputs) {
            engine.setInput('I', n, on);
        }
        for (int i = 0; i < static_cast<int>(seconds * 100 + 0.5); ++i) {
            clock.advance(1);
            engine.ScanOnce(0);
        }
    }
    bool q(int n) const { return engine.operandValue('Q', n); }

    ManualClock clock;
    ScriptedPrompter prompter;
    BlockEvaluation blocks;
    ScanEngine engine;
    Program program;
};

TEST(ExamplesSimulationTest, MotorStartStopAndEmergencyStop) {
    ExampleRun motor("motor_start_stop.h53");
    motor.run({{2, true}, {3, true}}, 0.05);  // stop and emergency stop wired normally closed
    EXPECT_FALSE(motor.q(1));
    motor.run({{1, true}}, 0.05);
    motor.run({{1, false}}, 0.05);
    EXPECT_TRUE(motor.q(1));  // latched by the set coil
    motor.run({{2, false}}, 0.05);
    EXPECT_FALSE(motor.q(1));
    motor.run({{2, true}, {1, true}}, 0.05);
    EXPECT_TRUE(motor.q(1));
    motor.run({{1, false}, {3, false}}, 0.05);  // emergency stop pressed
    EXPECT_FALSE(motor.q(1));
    EXPECT_TRUE(motor.q(2));
    motor.run({{3, true}, {1, true}}, 0.05);  // released, but the fault is still latched
    EXPECT_FALSE(motor.q(1));
    motor.run({{1, false}, {4, true}}, 0.05);  // acknowledged
    EXPECT_FALSE(motor.q(2));
    motor.run({{4, false}, {1, true}}, 0.05);
    EXPECT_TRUE(motor.q(1));
}

TEST(ExamplesSimulationTest, StaircaseLightStaysOnForItsTime) {
    ExampleRun stairs("staircase_light.h53");
    stairs.run({{2, true}}, 0.2);
    stairs.run({{2, false}}, 0.2);
    EXPECT_TRUE(stairs.q(1));
    stairs.run({}, 119.5);
    EXPECT_TRUE(stairs.q(1));
    stairs.run({}, 0.2);
    EXPECT_FALSE(stairs.q(1));
    stairs.run({{4, true}}, 0.05);  // permanent light switch
    EXPECT_TRUE(stairs.q(1));
}

TEST(ExamplesSimulationTest, BatchingCounterStopsTheConveyorAtFifty) {
    ExampleRun batch("batching_counter.h53");
    batch.run({{3, true}}, 0.05);  // conveyor enabled
    EXPECT_TRUE(batch.q(1));
    for (int item = 1; item <= 50; ++item) {
        batch.run({{1, true}}, 0.02);
        batch.run({{1, false}}, 0.02);
        EXPECT_EQ(batch.q(3), item >= 45 && item < 50) << item;
    }
    EXPECT_TRUE(batch.q(2));
    EXPECT_FALSE(batch.q(1));
    EXPECT_EQ(batch.blocks.counters.displayedValue(0), 50);
    batch.run({{2, true}}, 0.05);
    batch.run({{2, false}}, 0.05);
    EXPECT_FALSE(batch.q(2));
    EXPECT_TRUE(batch.q(1));
}

}  // namespace
}  // namespace bdx
