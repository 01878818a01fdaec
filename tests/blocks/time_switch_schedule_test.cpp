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

// The on times of a week: "Mon 22-24, Tue 0-6 22-24", hours with minutes only where needed.
std::string WeekText(const WeeklySchedule& week) {
    const auto time = [](int m) { return m % 60 ? DurationText(m) : QString::number(m / 60); };
    QStringList days;
    for (int day = 0; day < kDaysPerWeek; ++day) {
        QString text = ShortWeekdayNames()[day];
        for (const OnInterval& i : week.days[day]) {
            text += QLatin1Char(' ') + time(i.from) + QLatin1Char('-') + time(i.to);
        }
        days << text;
    }
    days.removeIf([](const QString& text) { return !text.contains(u'-'); });
    return days.join(QStringLiteral(", ")).toStdString();
}

TEST(TimeSwitchScheduleTest, WeekAndDailyDurationOfBothGenerations) {
    const struct {
        TimeSwitchRecord record;
        bool advanced;
        const char *week, *daily;
    } cases[] = {
        {firstGeneration(1, 5, 8, 17), false, "Mon 8-17, Tue 8-17, Wed 8-17, Thu 8-17, Fri 8-17", "09:00"},
        {firstGeneration(1, 5, 22, 6), false,
         "Mon 22-24, Tue 0-6 22-24, Wed 0-6 22-24, Thu 0-6 22-24, "
         "Fri 0-6 22-24, Sat 0-6",
         "02:00 \u2013 08:00"},
        {firstGeneration(6, 1, 22, 6), false, "Mon 0-6 22-24, Tue 0-6, Sat 22-24, Sun 0-6 22-24",
         "02:00 \u2013 08:00"},
        {firstGeneration(7, 0, 23, 1), false, "Mon 0-1, Sun 23-24", "01:00"},  // no end day: the start day
        {firstGeneration(3, 3, 10, 10), false, "Wed 10-24, Thu 0-10", "10:00 \u2013 14:00"},
        {firstGeneration(0, 0, 8, 17), false, "", "00:00"},
        {secondGeneration(DaysOf({1, 2}), DaysOf({1, 2}), 8, 17), true, "Mon 8-17, Tue 8-17", "09:00"},
        {secondGeneration(DaysOf({1}), DaysOf({5}), 8, 17), true,
         "Mon 8-24, Tue 0-24, Wed 0-24, Thu 0-24, Fri 0-17", "16:00 \u2013 24:00"},
        {secondGeneration(DaysOf({3}), DaysOf({3}), 10, 10), true, "",
         "00:00"},  // OFF wins on the same minute
        {secondGeneration(DaysOf({}), DaysOf({1, 2}), 8, 17), true, "", "00:00"},
        {secondGeneration(DaysOf({7}), DaysOf({}), 8, 17), true,
         "Mon 0-24, Tue 0-24, Wed 0-24, Thu 0-24, Fri 0-24, Sat 0-24, Sun 0-24", "24:00"},
    };
    for (const auto& c : cases) {
        const WeeklySchedule schedule = TimeSwitchSchedule(c.record, c.advanced);
        EXPECT_EQ(WeekText(schedule), c.week);
        EXPECT_EQ(DailyDurationText(schedule), QString::fromUtf8(c.daily)) << c.week;
    }
}

// Out-of-range times from a damaged file stay inside the day instead of spilling over.
TEST(TimeSwitchScheduleTest, TimesBeyondTheDayStayInsideIt) {
    EXPECT_EQ(WeekText(TimeSwitchSchedule(firstGeneration(1, 1, 30, 2), false)), "Tue 0-2");
    EXPECT_EQ(WeekText(TimeSwitchSchedule(secondGeneration(DaysOf({1}), DaysOf({2}), 99, 1), true)), "");
}

// A converted block keeps its week and its flags, except the blocks the model change lists as
// unconvertible.
TEST(TimeSwitchConversionTest, ConversionKeepsTheWeekOfConvertibleBlocks) {
    const struct {
        int onHour, onMinute, offHour, offMinute;
    } times[] = {{8, 0, 17, 0}, {22, 0, 6, 0}, {10, 0, 10, 0}, {8, 30, 8, 29}};
    int unconvertible = 0;
    for (const auto& t : times) {
        for (int start = 1; start <= kDaysPerWeek; ++start) {
            for (int end = 1; end <= kDaysPerWeek; ++end) {
                SCOPED_TRACE(testing::Message() << start << ".." << end << " " << t.onHour << ":"
                                                << t.onMinute << "-" << t.offHour << ":" << t.offMinute);
                Program program;
                program.ModelIndex = kFirstGenerationModel;
                TimeSwitchRecord record = firstGeneration(start, end, t.onHour, t.offHour);
                std::tie(record.onMinute, record.offMinute, record.locked) =
                    std::tuple(t.onMinute, t.offMinute, true);
                ASSERT_FALSE(SaveTimeSwitch(program, 0, record, {}));
                const std::uint8_t flags = program.TimeSwitchParams[0][TimeSwitchField::Flags];
                const WeeklySchedule before = TimeSwitchSchedule(ReadTimeSwitch(program, 0), false);
                const bool listed = !UnconvertibleTimeSwitchBlocks(program).isEmpty();
                ConvertTimeSwitchBlocks(program);
                program.ModelIndex = kSecondGenerationModel;
                const WeeklySchedule after = TimeSwitchSchedule(ReadTimeSwitch(program, 0), true);
                EXPECT_EQ(after == before, !listed);
                EXPECT_EQ(program.TimeSwitchParams[0][TimeSwitchField::Flags], flags);
                unconvertible += listed ? 1 : 0;
            }
        }
    }
    EXPECT_EQ(unconvertible, 7);  // equal times: start = end + 1 six times, and Monday to Sunday
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
    p.TimeSwitchParams[10] = {3, 1, 7, 8, 0, 8, 0};     // Monday to Sunday, equal times
    p.TimeSwitchParams[12] = {1, 0, 5, 8, 0, 17, 0};    // no start day: not configured
    EXPECT_EQ(UnconvertibleTimeSwitchBlocks(p), (QList<int>{3, 5, 11}));
    EXPECT_TRUE(UnconvertibleTimeSwitchBlocks(Program{}).isEmpty());
    // Converted all the same: on at the start day, off the day after the end day (Sun 64, Mon 1).
    ConvertTimeSwitchBlocks(p);
    EXPECT_EQ(p.TimeSwitchParams[2], (std::array<std::uint8_t, kTimeSwitchFields>{1, 64, 64, 8, 0, 8, 0}));
    EXPECT_EQ(p.TimeSwitchParams[10], (std::array<std::uint8_t, kTimeSwitchFields>{3, 1, 1, 8, 0, 8, 0}));
    EXPECT_EQ(p.TimeSwitchParams[12], (std::array<std::uint8_t, kTimeSwitchFields>{1, 0, 5, 8, 0, 17, 0}));
}

}  // namespace
}  // namespace bdx
