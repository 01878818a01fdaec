#include "blocks/time_switch_schedule.h"

#include <gtest/gtest.h>

#include "blocks/time_switch_conversion.h"
#include "time_switch_fixture.h"

namespace bdx {
namespace {

TimeSwitchRecord firstGeneration(int start, int end, int onHour, int offHour) {
    return {.startDay = start, .endDay = end, .onHour = onHour, .offHour = offHour};
}

TimeSwitchRecord secondGeneration(WeekDays on, WeekDays off, int onHour, int offHour) {
    return {.onDays = on, .offDays = off, .onHour = onHour, .offHour = offHour};
}

using Day = QList<OnInterval>;
constexpr int h(int hours) {
    return hours * 60;
}
const Day kNone{};
const Day kWhole{{0, kMinutesPerDay}};

struct ScheduleCase {
    const char* name;
    TimeSwitchRecord record;
    bool advanced;
    Day week[kDaysPerWeek];  // Monday first
    QString daily;
};

TEST(TimeSwitchScheduleTest, WeekAndDailyDurationOfBothGenerations) {
    const Day office{{h(8), h(17)}};
    const Day night{{0, h(6)}, {h(22), kMinutesPerDay}};
    const Day evening{{h(22), kMinutesPerDay}};
    const Day morning{{0, h(6)}};
    const ScheduleCase cases[] = {
        {"office hours",
         firstGeneration(1, 5, 8, 17),
         false,
         {office, office, office, office, office, kNone, kNone},
         "09:00"},
        {"nights across midnight",
         firstGeneration(1, 5, 22, 6),
         false,
         {evening, night, night, night, night, morning, kNone},
         "02:00 \u2013 08:00"},
        {"weekend wrapping past Sunday",
         firstGeneration(6, 1, 22, 6),
         false,
         {night, morning, kNone, kNone, kNone, evening, night},
         "02:00 \u2013 08:00"},
        {"Sunday night into Monday",
         firstGeneration(7, 7, 23, 1),
         false,
         {{{0, h(1)}}, kNone, kNone, kNone, kNone, kNone, {{h(23), kMinutesPerDay}}},
         "01:00"},
        {"no end day means the start day",
         firstGeneration(3, 0, 8, 17),
         false,
         {kNone, kNone, office, kNone, kNone, kNone, kNone},
         "09:00"},
        {"equal times run a whole day",
         firstGeneration(3, 3, 10, 10),
         false,
         {kNone, kNone, {{h(10), kMinutesPerDay}}, {{0, h(10)}}, kNone, kNone, kNone},
         "10:00 \u2013 14:00"},
        {"never configured", firstGeneration(0, 0, 8, 17), false, {}, "00:00"},
        {"day masks, office hours",
         secondGeneration(DaysOf({1, 2, 3, 4, 5}), DaysOf({1, 2, 3, 4, 5}), 8, 17),
         true,
         {office, office, office, office, office, kNone, kNone},
         "09:00"},
        {"on Monday, off Friday",
         secondGeneration(DaysOf({1}), DaysOf({5}), 8, 17),
         true,
         {{{h(8), kMinutesPerDay}}, kWhole, kWhole, kWhole, {{0, h(17)}}, kNone, kNone},
         "16:00 \u2013 24:00"},
        {"off first on Saturday, back on Monday",
         secondGeneration(DaysOf({1}), DaysOf({6}), 0, 0),
         true,
         {kWhole, kWhole, kWhole, kWhole, kWhole, kNone, kNone},
         "24:00"},
        {"the OFF event wins on the same minute",
         secondGeneration(DaysOf({3}), DaysOf({3}), 10, 10),
         true,
         {},
         "00:00"},
        {"OFF days without ON days", secondGeneration(DaysOf({}), DaysOf({1, 2}), 8, 17), true, {}, "00:00"},
        {"on and never off again",
         secondGeneration(DaysOf({2}), DaysOf({}), 8, 17),
         true,
         {kWhole, kWhole, kWhole, kWhole, kWhole, kWhole, kWhole},
         "24:00"},
    };
    for (const ScheduleCase& c : cases) {
        SCOPED_TRACE(c.name);
        const WeeklySchedule schedule = TimeSwitchSchedule(c.record, c.advanced);
        for (int day = 0; day < kDaysPerWeek; ++day) {
            EXPECT_EQ(schedule.days[day], c.week[day]) << "day " << day + 1;
        }
        EXPECT_EQ(DailyDurationText(schedule), c.daily);
    }
}

// Out-of-range times from a damaged file stay inside the day instead of spilling over.
TEST(TimeSwitchScheduleTest, TimesBeyondTheDayStayInsideIt) {
    TimeSwitchRecord record = firstGeneration(1, 1, 30, 2);
    EXPECT_EQ(TimeSwitchSchedule(record, false).days[1], (Day{{0, h(2)}}));
    EXPECT_TRUE(TimeSwitchSchedule(record, false).days[0].isEmpty());
    record = secondGeneration(DaysOf({1}), DaysOf({2}), 99, 1);
    EXPECT_EQ(TimeSwitchSchedule(record, true), WeeklySchedule{});
}

// A converted block keeps its week, except the blocks the model change lists as unconvertible.
TEST(TimeSwitchScheduleTest, ConversionKeepsTheWeekOfConvertibleBlocks) {
    const struct { int onHour, offHour; } times[] = {{8, 17}, {22, 6}, {10, 10}};
    int unconvertible = 0;
    for (const auto& t : times) {
        for (int start = 1; start <= kDaysPerWeek; ++start) {
            for (int end = 1; end <= kDaysPerWeek; ++end) {
                SCOPED_TRACE(testing::Message()
                             << start << ".." << end << " " << t.onHour << "-" << t.offHour);
                Program program;
                program.ModelIndex = kFirstGenerationModel;
                ASSERT_FALSE(
                    SaveTimeSwitch(program, 0, firstGeneration(start, end, t.onHour, t.offHour), {}));
                const WeeklySchedule before = TimeSwitchSchedule(ReadTimeSwitch(program, 0), false);
                const bool listed = !UnconvertibleTimeSwitchBlocks(program).isEmpty();
                ConvertTimeSwitchBlocks(program);
                program.ModelIndex = kSecondGenerationModel;
                const WeeklySchedule after = TimeSwitchSchedule(ReadTimeSwitch(program, 0), true);
                EXPECT_EQ(after == before, !listed);
                unconvertible += listed ? 1 : 0;
            }
        }
    }
    EXPECT_EQ(unconvertible, 7);  // equal times: start = end + 1 six times, and Monday to Sunday
}

}  // namespace
}  // namespace bdx
