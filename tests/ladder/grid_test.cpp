#include "ladder/grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "test_programs.h"

namespace bdx {
namespace {

TEST(GridTest, OperandNumbersDecodeInBothCodings) {
    const std::pair<std::uint16_t, int> cases[] = {{49, 0}, {210, 0}, {64, 15}, {273, 63}};
    for (const auto& [word, index] : cases) {
        EXPECT_EQ(DecodeOperandNumber(word), index) << word;
    }
    EXPECT_EQ(OperandNumberCode(64), 273);

    LadderGridWords grid;
    grid.fill(CellEmpty);
    const std::pair<std::uint16_t, std::uint16_t> legacy[] = {{48, 48},   {49, 210}, {64, 225}, {65, 65},
                                                              {9, 9},     {10, 170}, {24, 184}, {25, 25},
                                                              {210, 210}, {128, 128}};
    for (std::size_t i = 0; i < std::size(legacy); ++i) {
        grid[i] = legacy[i].first;
    }
    ConvertLegacyNumberCodes(grid);
    for (std::size_t i = 0; i < std::size(legacy); ++i) {
        EXPECT_EQ(grid[i], legacy[i].second) << legacy[i].first;
    }
}

TEST(GridTest, PolarityChangesOnlyContactCodes) {
    // code, normally closed, normally open (146 / 156: the clock contact)
    const std::uint16_t cases[][3] = {{65, 91, 65},    {73, 99, 73},    {90, 116, 90},   {91, 91, 65},
                                      {99, 99, 73},    {116, 116, 90},  {146, 156, 146}, {156, 156, 146},
                                      {133, 133, 133}, {128, 128, 128}, {64, 64, 64},    {117, 117, 117}};
    for (const auto& c : cases) {
        EXPECT_EQ(NormallyClosedCode(c[0]), c[1]) << c[0];
        EXPECT_EQ(NormallyOpenCode(c[0]), c[2]) << c[0];
    }

    // On a cell only the code word changes, and only for a contact.
    Program p;
    p.LadderGrid[3] = 'I';
    p.LadderGrid[6] = CellWire;
    EXPECT_TRUE(MakeNormallyClosed(p, 3));
    EXPECT_FALSE(MakeNormallyClosed(p, 3) || MakeNormallyClosed(p, 6) || MakeNormallyOpen(p, 0) ||
                 MakeNormallyClosed(p, -1) || MakeNormallyOpen(p, kGridWords));
    Program expected;
    expected.LadderGrid[3] = 99;
    expected.LadderGrid[6] = CellWire;
    EXPECT_EQ(p, expected);
    EXPECT_TRUE(MakeNormallyOpen(p, 3));
    EXPECT_EQ(p.LadderGrid[3], 'I');
}

TEST(GridTest, LetterClassesAndLabels) {
    const auto in = [](const char* letters, std::uint16_t c) { return std::strchr(letters, c) != nullptr; };
    for (std::uint16_t c = 'A'; c <= 'Z'; ++c) {
        EXPECT_EQ(IsContactLetter(c), in("ACHIJKLMPQTUVWXZ", c)) << char(c);
        EXPECT_EQ(IsCoilLetter(c), in("CHMQTUVWX", c)) << char(c);
        EXPECT_EQ(IsContactCode(c + NormallyClosedShift), in("ACHIJKLMPQTUVWXZ", c)) << char(c);
    }
    EXPECT_TRUE(IsContactCode(ClockContactOpen) && IsContactCode(ClockContactClosed));
    EXPECT_FALSE(IsContactCode(CellWire) || IsContactCode(CellEmpty));
    EXPECT_EQ(OperandForCode(99), Operand::I);
    EXPECT_EQ(OperandForCode(ClockContactClosed), Operand::Clock);
    EXPECT_FALSE(OperandForCode(CellWire));

    const std::tuple<std::uint16_t, std::uint16_t, QString> labels[] = {
        {'I', 210, "I1"},      {99, 211, "i2"},        {'M', 273, "M64"},        {'Q' + 26, 52, "q4"},
        {146, 212, "\u00d83"}, {156, 225, "\u00f816"}, {CellWire, CellWire, ""}, {CellEmpty, CellEmpty, ""}};
    for (const auto& [code, number, label] : labels) {
        EXPECT_EQ(ElementLabel(code, number), label) << code;
    }
}

TEST(GridTest, VerticalLinksAreHeldOnBothLines) {
    LadderGridWords grid;
    grid.fill(CellEmpty);
    SetVerticalLink(grid, 0, 1);
    EXPECT_EQ(grid[5], JunctionBase + JunctionDown);
    EXPECT_EQ(grid[17], JunctionBase + JunctionUp);
    ClearVerticalLink(grid, 0, 1);
    EXPECT_EQ(grid[5], CellEmpty);
    EXPECT_EQ(grid[17], CellEmpty);

    // Other directions of the junction stay.
    grid[JunctionWordIndex(3, 0)] = JunctionBase + JunctionLeft + JunctionRight;
    SetVerticalLink(grid, 3, 0);
    EXPECT_EQ(grid[JunctionWordIndex(3, 0)], JunctionBase + JunctionLeft + JunctionRight + JunctionDown);
    ClearVerticalLink(grid, 3, 0);
    EXPECT_EQ(grid[JunctionWordIndex(3, 0)], JunctionBase + JunctionLeft + JunctionRight);
    EXPECT_EQ(grid[JunctionWordIndex(4, 0)], JunctionBase);

    // From the last line only the upper word changes; out-of-range requests change nothing.
    LadderGridWords expected = grid;
    SetVerticalLink(grid, 249, 2);
    expected[JunctionWordIndex(249, 2)] = JunctionBase + JunctionDown;
    SetVerticalLink(grid, 250, 0);
    SetVerticalLink(grid, -1, 0);
    SetVerticalLink(grid, 0, 3);
    EXPECT_EQ(grid, expected);

    // A junction with exactly one direction leads nowhere.
    for (std::uint16_t w = 0; w < 160; ++w) {
        EXPECT_EQ(IsImproperJunction(w), w == 129 || w == 130 || w == 132 || w == 136) << w;
    }
}

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
