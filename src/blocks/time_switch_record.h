#pragma once

#include <QString>
#include <QStringList>
#include <array>

#include "ladder/program.h"
#include "shell/prompter.h"

// The time switch record as the clock dialog edits it. The checks and the save return what the
// user must correct first, as a refusal.
namespace bdx {

inline constexpr int kDaysPerWeek = 7;
inline constexpr int kLargestHour = 23;
inline constexpr int kLargestMinute = 59;

// Days of a week, Monday first.
using WeekDays = std::array<bool, kDaysPerWeek>;

struct TimeSwitchRecord {
    // First generation: a range of days, 1 = Monday .. 7 = Sunday; 0 = none chosen.
    int startDay = 0;
    int endDay = 0;
    // Second generation: the days on which the block switches on and off.
    WeekDays onDays{};
    WeekDays offDays{};
    int onHour = 0;
    int onMinute = 0;
    int offHour = 0;
    int offMinute = 0;
    bool locked = false;

    bool operator==(const TimeSwitchRecord&) const = default;
};

// Reads block 0..15 in the form of the program's model generation; the other form stays empty.
TimeSwitchRecord ReadTimeSwitch(const Program& program, int block);

// "Monday" .. "Sunday" in the current language, for the day lists.
QStringList WeekdayNames();
// "Mon" .. "Sun", the labels of the day boxes.
QStringList ShortWeekdayNames();

// The day string as the dialog builds it: each day from Monday to Sunday put in front, so the
// rightmost character is Monday.
QString DayMaskString(const WeekDays& days);
WeekDays DaysOfMask(std::uint8_t mask);

// A typed hour or minute above the largest value becomes that value; other text stays.
QString CapTimeEntry(const QString& typed, int largest);
// Hours and minutes are shown with two digits.
QString TimeFieldText(int value);

// The save-time day check of the program's generation; tells the user what is missing.
Refusal CheckIfStartAndEndDaySelected(const TimeSwitchRecord& record, bool advanced);

// Saves block 0..15: day check, days, times, locked flag, comment, ProgramModified. The in-use
// bit stays.
Refusal SaveTimeSwitch(Program& program, int block, const TimeSwitchRecord& record, const QString& comment);

// Question before leaving a block with unsaved edits; `blockNumber` is 1-based.
QString SaveClockQuestion(int blockNumber);

}  // namespace bdx
