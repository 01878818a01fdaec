#include "sim/clock.h"

#include <gtest/gtest.h>

namespace bdx {
namespace {

TEST(ClockTest, ManualClockMovesOnlyWhenTold) {
    ManualClock clock(QDateTime(QDate(2026, 12, 6), QTime(23, 59, 59)));  // a Sunday
    EXPECT_EQ(clock.hundredths(), 0);
    EXPECT_EQ(clock.now().weekday, 7);
    clock.advance(99);
    EXPECT_EQ(clock.hundredths(), 99);
    EXPECT_EQ(clock.now().second, 59);
    clock.advance(1);
    const LocalDateTime next = clock.now();
    EXPECT_EQ(next.weekday, 1);
    EXPECT_EQ(next.day, 7);
    EXPECT_EQ(next.hour, 0);
    EXPECT_EQ(next.minute, 0);
    clock.advance(-50);  // time never runs back
    EXPECT_EQ(clock.hundredths(), 100);
}

TEST(ClockTest, SettingTheDateKeepsTheMonotonicCount) {
    ManualClock clock;
    clock.advance(12345);
    clock.setDateTime(QDateTime(QDate(2027, 3, 3), QTime(12, 30)));
    EXPECT_EQ(clock.hundredths(), 12345);
    EXPECT_EQ(clock.now(), (LocalDateTime{2027, 3, 3, 3, 12, 30, 0}));
    clock.advance(6000);
    EXPECT_EQ(clock.now().minute, 31);
}

TEST(ClockTest, WallClockNeverRunsBack) {
    WallClock clock;
    std::int64_t last = clock.hundredths();
    for (int i = 0; i < 1000; ++i) {
        const std::int64_t now = clock.hundredths();
        EXPECT_GE(now, last);
        last = now;
    }
    const LocalDateTime now = clock.now();
    EXPECT_GE(now.weekday, 1);
    EXPECT_LE(now.weekday, 7);
}

}  // namespace
}  // namespace bdx
