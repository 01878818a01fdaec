#include "sim/scan_network.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace bdx;

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
