#pragma once

#include <QList>
#include <QString>
#include <array>

#include "time_switch_record.h"

// When a time switch is on over a week, worked out from its record the way the running block
// decides it, for the dialog's weekly graph and its "Daily Duration:" figure.
namespace bdx {

inline constexpr int kMinutesPerDay = 24 * 60;

// Minutes [from, to) of one day during which the switch is on; 0 <= from < to <= 1440.
struct OnInterval {
    int from = 0;
    int to = 0;
    bool operator==(const OnInterval&) const = default;
};

struct WeeklySchedule {
    // Monday first; each day's intervals in time order, never touching one another.
    std::array<QList<OnInterval>, kDaysPerWeek> days;

    // Minutes day 0..6 is on, 0..1440.
    int onMinutes(int day) const;
    bool isOn(int day, int minute) const;
    bool operator==(const WeeklySchedule&) const = default;
};

// The week of a time switch of either generation. First generation: each day from the start day
// to the end day (wrapping past Sunday; an end day of 0 is the start day) is on from the ON time
// to the OFF time, into the next morning when the OFF time is not after the ON time. Second
// generation: the most recent switching event decides; ON and OFF on the same minute leave it off.
WeeklySchedule TimeSwitchSchedule(const TimeSwitchRecord& record, bool advanced);

// "HH:MM" of a number of minutes; whole days show as "24:00".
QString DurationText(int minutes);

// The on time per day: "HH:MM" when every day that is on at all is on equally long, the shortest
// and the longest "HH:MM – HH:MM" when they differ, "00:00" for a switch that is never on.
QString DailyDurationText(const WeeklySchedule& schedule);

}  // namespace bdx
