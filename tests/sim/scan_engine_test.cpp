#include "sim/scan_engine.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <utility>

#include "sim/scan_network.h"
#include "sim_fixture.h"

namespace bdx {
namespace {

using Draw = std::function<void(Ladder&)>;

using ScanEngineTest = SimFixture;

TEST_F(ScanEngineTest, ContactsInSeriesAndParallelFormTheRungsLogic) {
    struct Case {
        const char* name;
        Draw draw;
        std::function<bool(int)> q1;  // of the inputs' mask
    };
    const Case cases[] = {
        {"normally closed", [](Ladder& l) { l.contact(1, 1, 'I', 1, true).contact(1, 2, 'I', 2).wire(1, 3); },
         [](int i) { return !(i & 1) && (i & 2); }},
        {"parallel in columns 1 and 2",
         [](Ladder& l) {
             l.contact(1, 1, 'I', 1).contact(2, 1, 'I', 2).link(1, 1);
             l.contact(1, 2, 'I', 3).contact(2, 2, 'I', 4).link(1, 2).contact(1, 3, 'I', 5);
         },
         [](int i) { return (i & 3) && (i & 12) && (i & 16); }},
        {"parallel in column 3",
         [](Ladder& l) {
             l.contact(1, 1, 'I', 1).contact(1, 2, 'I', 2).link(1, 2);
             l.contact(1, 3, 'I', 3).contact(2, 3, 'I', 4, true).link(1, 3);
         },
         [](int i) { return (i & 3) == 3 && ((i & 4) || !(i & 8)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Ladder l;
        c.draw(l);
        l.join(1).coil(1, 'Q', 1).rung(5, 'I', 1, 'Q', 2);  // a second rung evaluated alongside
        ASSERT_TRUE(prepare(l));
        for (int mask = 0; mask < 32; ++mask) {
            ASSERT_EQ(scanWith(mask), 2);
            EXPECT_EQ(value('Q', 1), c.q1(mask)) << mask;
            EXPECT_EQ(value('Q', 2), (mask & 1) != 0);
        }
    }
}

TEST_F(ScanEngineTest, CoilKindsFollowTheirRules) {
    struct Step {
        int inputs;  // I1 bit 0, I2 bit 1
        bool expected;
    };
    // Set from I1, reset from I2: reset wins when both are on, and each holds once released.
    const std::vector<Step> setReset = {{1, true}, {0, true}, {3, false}, {1, true}, {2, false}, {0, false}};
    // Level change from I1: one toggle per rising edge, none while held.
    const std::vector<Step> level = {{1, true}, {1, true}, {0, true}, {1, false}, {0, false}, {1, true}};
    const std::vector<Step> delay = {{1, false}, {1, true}, {0, true}, {0, false}};
    const struct {
        const char* name;
        Draw draw;
        char letter;
        std::vector<Step> steps;
    } cases[] = {
        {"contactor", [](Ladder& l) { l.rung(1, 'I', 1, 'Q', 1); }, 'Q', {{1, true}, {0, false}, {1, true}}},
        {"set and reset",
         [](Ladder& l) { l.rung(1, 'I', 1, 'Q', 1, CoilSet).rung(2, 'I', 2, 'Q', 1, CoilReset); }, 'Q',
         setReset},
        // A coil reaches the contacts only in the next scan, whichever rung comes first.
        {"relay feeding an output", [](Ladder& l) { l.rung(1, 'I', 1, 'M', 1).rung(2, 'M', 1, 'Q', 1); }, 'Q',
         delay},
        {"output fed from below", [](Ladder& l) { l.rung(1, 'M', 1, 'Q', 1).rung(2, 'I', 1, 'M', 1); }, 'Q',
         delay},
        {"level change", [](Ladder& l) { l.rung(1, 'I', 1, 'W', 1, CoilImpulse); }, 'W', level},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Ladder l;
        c.draw(l);
        ASSERT_TRUE(prepare(l));
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            ASSERT_EQ(scanWith(c.steps[i].inputs), 2);
            EXPECT_EQ(value(c.letter, 1), c.steps[i].expected) << "step " << i;
        }
    }
}

TEST_F(ScanEngineTest, RetentiveRelaysSurviveIntoTheNextRunOnly) {
    Ladder l;
    l.rung(1, 'I', 1, 'M', 7, CoilSetRetentive).rung(2, 'I', 2, 'M', 7, CoilResetRetentive);
    l.rung(3, 'I', 1, 'M', 2, CoilSet).rung(4, 'I', 2, 'M', 2, CoilReset);
    l.rung(5, 'I', 3, 'M', 9, CoilImpulseRetentive);
    ASSERT_TRUE(prepare(l));
    const auto& list = engine.retentiveRelays();
    EXPECT_EQ((std::vector<int>(list.begin(), list.begin() + 3)),
              (std::vector<int>{7, 9, kNoRetentiveRelay}));
    ASSERT_EQ(scanWith(1), 2);
    ASSERT_TRUE(value('M', 7) && value('M', 2));
    engine.EndSimulation();

    // A refused start changes nothing and leaves the engine stopped.
    std::vector<ErrorRow> rows = RunRuleCheck(l.p);
    rows.push_back({1, ErrorPosition::Coil, 0, QStringLiteral("any fault")});
    const std::optional<RunRefusal> refusal = engine.Prepare(l.p, rows);
    ASSERT_TRUE(refusal);
    EXPECT_FALSE(refusal->compileFault);
    EXPECT_FALSE(engine.running());
    EXPECT_TRUE(value('M', 2));

    ASSERT_TRUE(prepare(l));
    EXPECT_TRUE(engine.running());
    EXPECT_TRUE(value('M', 7));
    EXPECT_FALSE(value('M', 2));
    ASSERT_EQ(scanWith(0), 2);
    EXPECT_TRUE(value('M', 7));
}

// What the panel, online monitoring or a block writes between scans.
TEST_F(ScanEngineTest, SignalsWrittenOutsideTheNetwork) {
    Ladder l;
    l.rung(1, 'I', 1, 'Q', 1).rung(2, 'L', 8, 'Q', 2);
    ASSERT_TRUE(prepare(l));
    for (const char letter : {'Q', 'U', 'V', 'W', 'M'}) {
        engine.setOperand(static_cast<std::uint16_t>(letter), 4, true);
    }
    engine.setInput('L', 8, true);
    engine.setOperand('I', 1, true);  // the device's input, which the panel must not overwrite
    ASSERT_EQ(engine.ScanOnce(1), 2);
    EXPECT_EQ(std::pair(value('Q', 1), value('Q', 2)), std::pair(true, false));
    for (const char letter : {'Q', 'U', 'V', 'W'}) {
        EXPECT_FALSE(value(letter, 4)) << letter;  // no coil: cleared
    }
    EXPECT_TRUE(value('M', 4));  // no coil: kept
    engine.setOperand(NormallyClosedCode('M'), 4, true);
    EXPECT_FALSE(value('M', 4));
    ASSERT_EQ(engine.ScanOnce(0), 2);  // the panel again: I1 unticked, L8 ticked
    EXPECT_EQ(std::pair(value('Q', 1), value('Q', 2)), std::pair(false, true));
}

// Logs each block step with what it sees: OR3 group 0, I1 and Q1.
class RecordingBlocks : public BlockEvaluator {
  public:
    void PrepareRun(const Program&) override { log += "prepare "; }
    void EvaluateCounters(ScanEngine& e) override { note('c', e); }
    void EvaluateTimeSwitches(ScanEngine& e) override { note('s', e); }
    void EvaluateAnalogBlocks(ScanEngine& e) override { note('a', e); }
    void EvaluateHourMeter(ScanEngine& e) override { note('h', e); }
    void EvaluateCompareCounters(ScanEngine& e) override { note('p', e); }
    void EvaluateTimers(ScanEngine& e) override { note('t', e); }
    void PostScanHousekeeping(ScanEngine& e) override { note('x', e); }
    bool EvaluateSoftTextBlocks(ScanEngine& e) override {
        note('m', e);
        return keepRunning;
    }

    std::string log;
    bool keepRunning = true;

  private:
    void note(char step, const ScanEngine& e) {
        log += {step, e.values().or3[0] ? '1' : '0', e.signal(0) ? '1' : '0',
                e.operandValue('Q', 1) ? '1' : '0', e.isRisingEdge(0) ? '^' : ' '};
    }
};

TEST_F(ScanEngineTest, BlockStepsRunAtTheirPlacesInTheScan) {
    for (const int model : {8, 9}) {  // 9 has analog inputs
        RecordingBlocks blocks;
        ScanEngine withBlocks(blocks);
        Ladder l(model);
        l.rung(1, 'I', 1, 'Q', 1);
        ASSERT_TRUE(prepare(l, withBlocks));
        withBlocks.setInput('I', 1, true);
        ASSERT_EQ(withBlocks.ScanOnce(0), 2);
        EXPECT_EQ(blocks.log, model == 9 ? "prepare c000 s010 a010 h110^p110^t110^x111^m111^"
                                         : "prepare c000 s010 h110^p110^t110^x111^m111^");
        blocks.log.clear();
        blocks.keepRunning = false;
        EXPECT_EQ(withBlocks.ScanOnce(0), 1);
        EXPECT_EQ(blocks.log.substr(0, 10), "c111^s011 ");  // counters still see the last scan
    }
}

// Straightforward evaluation of the tables, group by group, to hold the packed one against.
NetworkValues reference(const CompiledNetwork& n, const std::array<std::uint8_t, kSignalCount + 1>& signals) {
    NetworkValues v;
    auto orLevel = [](const OrTable& t, const std::uint8_t* source, std::uint8_t* out) {
        int next = 0;
        for (int g = 0; g < t.groupCount; ++g) {
            for (int i = 0; i < t.groups[g].inputCount; ++i) {
                out[g] |= source[t.inputs[next++]];
            }
        }
    };
    auto andLevel = [&](const AndTable& t, const std::uint8_t* feeding, std::uint8_t* out) {
        for (int i = 0; i < t.count; ++i) {
            out[i] = feeding[t.entries[i].orGroup] & signals[t.entries[i].devId];
        }
    };
    orLevel(n.or1, signals.data(), v.or1.data());
    andLevel(n.and1, v.or1.data(), v.and1.data());
    orLevel(n.or2, v.and1.data(), v.or2.data());
    andLevel(n.and2, v.or2.data(), v.and2.data());
    orLevel(n.or3, v.and2.data(), v.or3.data());
    return v;
}

// Groups of 0 to 5 inputs drawn at random, within the bounds of the tables.
void randomOr(std::mt19937& rng, int sourceSize, OrTable& t) {
    t = {};
    while (t.groupCount < 60) {
        const int count = std::uniform_int_distribution<int>(0, 5)(rng);
        if (t.inputTotal + count > kMaxOrInputs) {
            break;
        }
        for (int i = 0; i < count; ++i) {
            t.inputs[t.inputTotal++] = static_cast<std::uint16_t>(rng() % sourceSize);
        }
        t.groups[t.groupCount++].inputCount = static_cast<std::uint16_t>(count);
    }
}

void randomAnd(std::mt19937& rng, const OrTable& feeding, AndTable& t) {
    t = {};
    t.count = 80;
    for (int i = 0; i < t.count; ++i) {
        t.entries[i].orGroup = static_cast<std::uint16_t>(rng() % feeding.groupCount);
        t.entries[i].devId = static_cast<std::uint16_t>(rng() % kSignalCount);
    }
}

TEST(ScanNetworkTest, EvaluatesGroupsOfAnySizeLikeTheTables) {
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        CompiledNetwork n;
        randomOr(rng, kSignalCount, n.or1);
        randomAnd(rng, n.or1, n.and1);
        randomOr(rng, n.and1.count, n.or2);
        randomAnd(rng, n.or2, n.and2);
        randomOr(rng, n.and2.count, n.or3);
        std::array<std::uint8_t, kSignalCount + 1> signals{};
        for (int i = 0; i < kSignalCount; ++i) {
            signals[i] = static_cast<std::uint8_t>(rng() % 4 != 0);  // mostly on, so ANDs pass
        }
        ScanNetwork packed;
        ASSERT_TRUE(packed.Load(n));
        NetworkValues got;
        packed.Evaluate(signals.data(), got);
        const NetworkValues want = reference(n, signals);
        ASSERT_EQ(got.or1, want.or1) << "round " << round;
        ASSERT_EQ(got.and1, want.and1) << "round " << round;
        ASSERT_EQ(got.or2, want.or2) << "round " << round;
        ASSERT_EQ(got.and2, want.and2) << "round " << round;
        ASSERT_EQ(got.or3, want.or3) << "round " << round;
    }
}

TEST(ScanNetworkTest, RefusesDamagedTablesAndKeepsTheLoadedNetwork) {
    CompiledNetwork good;
    good.or1.groupCount = 1;
    good.or1.groups[0].inputCount = 1;
    good.or1.inputs[0] = 3;  // I4
    good.or1.inputTotal = 1;
    good.and1.count = 1;
    good.and1.entries[0] = {0, 0, kWireDevId};
    good.or2 = good.or1;
    good.or2.inputs[0] = 0;
    good.and2 = good.and1;
    good.or3 = good.or2;

    std::vector<CompiledNetwork> damaged(5, good);
    damaged[0].or1.inputs[0] = kSignalCount;  // signal outside the table
    damaged[1].and1.entries[0].orGroup = 1;   // group that does not exist
    damaged[2].or2.inputs[0] = 1;             // AND1 entry that does not exist
    damaged[3].or3.groups[0].inputCount = 2;  // more inputs than the list holds
    damaged[4].and2.count = kMaxAndEntries + 1;

    ScanNetwork network;
    ASSERT_TRUE(network.Load(good));
    std::array<std::uint8_t, kSignalCount + 1> signals{};
    signals[3] = signals[kWireDevId] = 1;
    for (const CompiledNetwork& n : damaged) {
        EXPECT_FALSE(network.Load(n));
        NetworkValues v;
        network.Evaluate(signals.data(), v);
        EXPECT_EQ(v.or3[0], 1);  // still the good network
    }
}

}  // namespace
}  // namespace bdx
