#include <gtest/gtest.h>

#include "../blocks/time_switch_fixture.h"
#include "blocks/device_model.h"
#include "blocks/time_switch_schedule.h"
#include "sim/clock_block_evaluation.h"

namespace bdx {
namespace {

// The week the dialog draws is the week the running block switches, minute by minute.
TEST(TimeSwitchWeekTest, DrawnWeekMatchesTheRunningBlock) {
    const struct {
        int model;
        TimeSwitchRecord record;
    } cases[] = {
        {kFirstGenerationModel,
         {.startDay = 1, .endDay = 5, .onHour = 8, .onMinute = 30, .offHour = 17, .offMinute = 15}},
        {kFirstGenerationModel, {.startDay = 6, .endDay = 2, .onHour = 22, .offHour = 6, .offMinute = 45}},
        {kFirstGenerationModel,
         {.startDay = 7, .endDay = 7, .onHour = 23, .onMinute = 59, .offHour = 0, .offMinute = 1}},
        {kFirstGenerationModel, {.startDay = 4, .endDay = 2, .onHour = 12, .offHour = 12}},
        {kSecondGenerationModel,
         {.onDays = DaysOf({1, 3, 5}), .offDays = DaysOf({2, 4, 6}), .onHour = 7, .offHour = 19}},
        {kSecondGenerationModel, {.onDays = DaysOf({7}), .offDays = DaysOf({1}), .onHour = 20, .offHour = 2}},
        {kSecondGenerationModel,
         {.onDays = DaysOf({2, 3}), .offDays = DaysOf({3}), .onHour = 9, .offHour = 9}},
        {kSecondGenerationModel,
         {.onDays = DaysOf({1, 2, 3, 4, 5, 6, 7}), .offDays = DaysOf({6}), .onHour = 6, .offHour = 23}},
    };
    for (const auto& c : cases) {
        Program program;
        program.ModelIndex = std::uint16_t(c.model);
        ASSERT_FALSE(SaveTimeSwitch(program, 2, c.record, {}));
        program.TimeSwitchParams[2][TimeSwitchField::Flags] |= kFlagInUse;
        const WeeklySchedule week = TimeSwitchSchedule(c.record, AdvancedTimeSwitch(c.model));
        int mismatches = 0;
        for (int day = 0; day < kDaysPerWeek; ++day) {
            for (int minute = 0; minute < kMinutesPerDay; ++minute) {
                LocalDateTime now;
                std::tie(now.weekday, now.hour, now.minute) = std::tuple(day + 1, minute / 60, minute % 60);
                if (week.isOn(day, minute) != TimeSwitchEvaluation::IsOn(program, 2, now) &&
                    ++mismatches < 4) {
                    ADD_FAILURE() << "model " << c.model << ", day " << day + 1 << " at " << minute;
                }
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
}

}  // namespace
}  // namespace bdx
