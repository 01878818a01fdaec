#include "ladder/program.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>

#include "test_programs.h"

namespace bdx {
namespace {

// Everything set, the soft text flags too (they are not stored in the file).
Program programWithEverythingSet() {
    Program p = richProgram();
    p.SoftTextUsed.fill(1);
    return p;
}

TEST(ProgramTest, NewClearedAndResetPrograms) {
    const Program fresh;
    EXPECT_TRUE(std::ranges::all_of(fresh.LadderGrid, [](std::uint16_t w) { return w == CellEmpty; }));
    EXPECT_EQ(fresh.ModelIndex, 0);
    EXPECT_EQ(fresh.ProgramFileName, QStringLiteral("Untitled.h53"));
    EXPECT_TRUE(fresh.ProgramFilePath.isEmpty());
    for (int i = 0; i < kCounters; ++i) {
        EXPECT_EQ(fresh.CounterParams[i],
                  (std::array<std::uint8_t, kCounterFields>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
        EXPECT_EQ(fresh.AnalogParams[i % kAnalogBlocks],
                  (std::array<std::uint8_t, kAnalogFields>{0, 0, 0, 128, 0, 0}));
        EXPECT_TRUE(std::ranges::all_of(fresh.SoftTextParams[i], [](std::uint8_t c) { return c == ' '; }));
        EXPECT_EQ(fresh.CompareParams[i][CompareField::Flags], 0);
    }

    // Clearing keeps model, extension modules, name and path and nothing else.
    Program p = programWithEverythingSet();
    ClearProgram(p);
    Program expected;
    expected.ModelIndex = 15;
    expected.ExtensionModules = {1, 0, 1};
    expected.ProgramFileName = QStringLiteral("Rich.h53");
    expected.ProgramFilePath = QStringLiteral("/data/Rich.h53");
    EXPECT_EQ(p, expected);

    // Resetting keeps nothing, with initial values that differ from the load defaults.
    p = programWithEverythingSet();
    ResetProgram(p);
    expected = Program();
    for (int i = 0; i < kCounters; ++i) {
        expected.CounterParams[i].fill(0);
        expected.SoftTextParams[i].fill(0);
        expected.AnalogParams[i % kAnalogBlocks] = {0, 0, 128, 128, 0, 0};
        expected.CompareParams[i] = {128, 0, 0, 0, 0, 0, 0};
    }
    EXPECT_EQ(p, expected);
}

TEST(ProgramTest, OperandTableAndCommentOrder) {
    // Letters with their counts, in the order their comments are stored; '@' is the clock contact.
    const std::pair<char, int> order[] = {{'I', 8},  {'J', 8}, {'K', 8},  {'L', 8},  {'Q', 4},  {'U', 4},
                                          {'V', 4},  {'W', 4}, {'M', 64}, {'T', 16}, {'C', 16}, {'A', 12},
                                          {'P', 16}, {'H', 4}, {'@', 16}, {'Z', 4},  {'X', 16}};
    int next = 0;
    for (std::size_t i = 0; i < std::size(order); ++i) {
        const auto [letter, count] = order[i];
        const OperandInfo& info = kOperandTable[i];
        EXPECT_EQ(info.letter, letter == '@' ? 0 : letter) << letter;
        EXPECT_EQ(info.count, count) << letter;
        EXPECT_EQ(info.commentIndex, next) << letter;
        EXPECT_EQ(info.coil, std::string_view("CHMQTUVWX").find(letter) != std::string_view::npos) << letter;
        EXPECT_TRUE(letter == '@' || OperandForLetter(letter) == info.kind) << letter;
        next += count;
    }
    EXPECT_EQ(next, kOperandCommentCount);
    EXPECT_FALSE(OperandForLetter('B') || OperandForLetter('i'));
}

}  // namespace
}  // namespace bdx
