#include "sim/clock.h"

#include <gtest/gtest.h>

namespace bdx {
namespace {

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

TEST(ClockTest, WallClockNeverRunsBack) {
    WallClock clock;
    std::int64_t last = clock.hundredths();
    for (int i = 0; i < 1000; ++i) {
        const std::int64_t now = clock.hundredths();
        EXPECT_GE(now, last);
        last = now;
    }
    EXPECT_GE(clock.now().weekday, 1);
    EXPECT_LE(clock.now().weekday, 7);
}

}  // namespace
}  // namespace bdx
