#include "blocks/time_switch_conversion.h"

#include <gtest/gtest.h>

namespace bdx {
namespace {

struct Conversion {
    int start, end;
    int onHour, onMinute, offHour, offMinute;
    int onMask, offMask;
};

std::array<std::uint8_t, kTimeSwitchFields> firstGeneration(const Conversion& c, std::uint8_t flags = 1) {
    return {flags,
            std::uint8_t(c.start),
            std::uint8_t(c.end),
            std::uint8_t(c.onHour),
            std::uint8_t(c.onMinute),
            std::uint8_t(c.offHour),
            std::uint8_t(c.offMinute)};
}

class ConversionTest : public ::testing::TestWithParam<Conversion> {};

TEST_P(ConversionTest, DayMasks) {
    const Conversion c = GetParam();
    Program p;
    p.TimeSwitchParams[4] = firstGeneration(c, 3);
    ConvertTimeSwitchBlocks(p);
    const auto& block = p.TimeSwitchParams[4];
    EXPECT_EQ(block[TimeSwitchField::OnDays], c.onMask) << DecToBinary(block[1]).toStdString();
    EXPECT_EQ(block[TimeSwitchField::OffDays], c.offMask) << DecToBinary(block[2]).toStdString();
    // Flags and times stay.
    EXPECT_EQ(block[TimeSwitchField::Flags], 3);
    EXPECT_EQ(block[TimeSwitchField::OnHour], c.onHour);
    EXPECT_EQ(block[TimeSwitchField::OnMinute], c.onMinute);
    EXPECT_EQ(block[TimeSwitchField::OffHour], c.offHour);
    EXPECT_EQ(block[TimeSwitchField::OffMinute], c.offMinute);
}

// Days: Mon 1, Tue 2, Wed 4, Thu 8, Fri 16, Sat 32, Sun 64.
INSTANTIATE_TEST_SUITE_P(
    TimeSwitch, ConversionTest,
    ::testing::Values(
        // Early: the same days for both.
        Conversion{1, 5, 8, 0, 17, 0, 31, 31},
        Conversion{6, 2, 8, 0, 17, 0, 1 + 2 + 32 + 64, 1 + 2 + 32 + 64}, Conversion{4, 4, 8, 0, 8, 1, 8, 8},
        // Late: switching off on the next day.
        Conversion{1, 5, 22, 0, 6, 0, 31, 62}, Conversion{6, 7, 22, 0, 6, 0, 96, 65},
        Conversion{5, 2, 22, 0, 6, 0, 16 + 32 + 64 + 1 + 2, 32 + 64 + 1 + 2 + 4},
        Conversion{3, 3, 22, 0, 6, 0, 4, 8}, Conversion{7, 7, 22, 0, 6, 0, 64, 1},
        Conversion{2, 7, 8, 30, 8, 29, 2 + 4 + 8 + 16 + 32 + 64, 4 + 8 + 16 + 32 + 64 + 1},
        // Equal times: on at the start day, off the day after the end day.
        Conversion{3, 3, 10, 0, 10, 0, 4, 8}, Conversion{2, 7, 10, 0, 10, 0, 2, 1},
        Conversion{7, 6, 8, 0, 8, 0, 64, 64}, Conversion{1, 7, 8, 0, 8, 0, 1, 1}));

TEST(TimeSwitchConversionTest, UnconfiguredBlocksStayUntouched) {
    Program p;
    p.TimeSwitchParams[0] = {1, 0, 5, 8, 0, 17, 0};
    const auto before = p.TimeSwitchParams;
    ConvertTimeSwitchBlocks(p);
    EXPECT_EQ(p.TimeSwitchParams, before);
}

TEST(TimeSwitchConversionTest, DayStringsReadRightToLeftFromMonday) {
    EXPECT_EQ(BinaryToDec(QStringLiteral("0000001")), 1);
    EXPECT_EQ(BinaryToDec(QStringLiteral("1000000")), 64);
    EXPECT_EQ(BinaryToDec(QStringLiteral("0010001")), 17);  // Monday and Friday
    EXPECT_EQ(BinaryToDec(QStringLiteral("1111111")), 127);
    EXPECT_EQ(BinaryToDec(QString()), 0);
    EXPECT_EQ(BinaryToDec(QStringLiteral("11111111")), 127);  // only seven days count
    EXPECT_EQ(DecToBinary(65), QStringLiteral("1000001"));
    for (int mask = 0; mask < 128; ++mask) {
        EXPECT_EQ(BinaryToDec(DecToBinary(std::uint8_t(mask))), mask);
    }
}

TEST(TimeSwitchConversionTest, BlocksThatWouldSwitchOnAndOffTogether) {
    Program p;
    p.TimeSwitchParams[2] = {1, 7, 6, 8, 0, 8, 0};      // start = end + 1, equal times
    p.TimeSwitchParams[4] = {0, 1, 7, 12, 30, 12, 30};  // whole week, equal times (in use or not)
    p.TimeSwitchParams[6] = {1, 1, 7, 12, 30, 12, 31};  // whole week, different times
    p.TimeSwitchParams[8] = {1, 4, 3, 9, 0, 10, 0};     // start = end + 1, different times
    p.TimeSwitchParams[9] = {1, 3, 3, 9, 0, 9, 0};      // same day, equal times: convertible
    EXPECT_EQ(UnconvertibleTimeSwitchBlocks(p), (QList<int>{3, 5}));
    EXPECT_TRUE(UnconvertibleTimeSwitchBlocks(Program{}).isEmpty());
}

}  // namespace
}  // namespace bdx
