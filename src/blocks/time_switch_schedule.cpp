#include "time_switch_schedule.h"

#include <algorithm>
#include <bitset>

namespace bdx {

namespace {

constexpr int kMinutesPerWeek = kDaysPerWeek * kMinutesPerDay;

using WeekMap = std::bitset<kMinutesPerWeek>;

// Marks minutes [from, to) of day 0..6, the day counted round the week; the times are kept
// within the day, as the running block never sees a minute outside it.
void markOn(WeekMap& week, int day, int from, int to) {
    const int base = (day % kDaysPerWeek) * kMinutesPerDay;
    for (int m = std::max(from, 0); m < std::min(to, kMinutesPerDay); ++m) {
        week.set(std::size_t(base + m));  // NOLINT(bugprone-misplaced-widening-cast): below 7 * 1440
    }
}

WeekMap firstGenerationWeek(const TimeSwitchRecord& r) {
    WeekMap week;
    const int first = r.startDay;
    const int last = r.endDay == 0 ? first : r.endDay;
    if (first < 1 || first > kDaysPerWeek || last < 1 || last > kDaysPerWeek) {
        return week;
    }
    const int on = r.onHour * 60 + r.onMinute;
    const int off = r.offHour * 60 + r.offMinute;
    // The days from first to last, wrapping past Sunday.
    const int span = (last - first + kDaysPerWeek) % kDaysPerWeek + 1;
    for (int i = 0; i < span; ++i) {
        const int day = first - 1 + i;
        if (off > on) {
            markOn(week, day, on, off);
        } else {
            markOn(week, day, on, kMinutesPerDay);
            markOn(week, day + 1, 0, off);
        }
    }
    return week;
}

WeekMap secondGenerationWeek(const TimeSwitchRecord& r) {
    enum Event : std::uint8_t { None, SwitchOn, SwitchOff };
    std::array<Event, kMinutesPerWeek> events{};
    const int on = r.onHour * 60 + r.onMinute;
    const int off = r.offHour * 60 + r.offMinute;
    for (int day = 0; day < kDaysPerWeek; ++day) {
        const int base = day * kMinutesPerDay;
        if (r.onDays[day] && on >= 0 && on < kMinutesPerDay) {
            events[base + on] = SwitchOn;
        }
        // On the same minute the OFF event wins.
        if (r.offDays[day] && off >= 0 && off < kMinutesPerDay) {
            events[base + off] = SwitchOff;
        }
    }
    // The week repeats: at Monday 00:00 the last event of the week before still holds.
    const auto lastEvent = std::find_if(events.rbegin(), events.rend(), [](Event e) { return e != None; });
    WeekMap week;
    if (lastEvent == events.rend()) {
        return week;
    }
    bool state = *lastEvent == SwitchOn;
    for (int m = 0; m < kMinutesPerWeek; ++m) {
        if (events[m] != None) {
            state = events[m] == SwitchOn;
        }
        week.set(std::size_t(m), state);
    }
    return week;
}

}  // namespace

int WeeklySchedule::onMinutes(int day) const {
    int total = 0;
    for (const OnInterval& interval : days[day]) {
        total += interval.to - interval.from;
    }
    return total;
}

bool WeeklySchedule::isOn(int day, int minute) const {
    return std::any_of(days[day].begin(), days[day].end(),
                       [minute](const OnInterval& i) { return minute >= i.from && minute < i.to; });
}

WeeklySchedule TimeSwitchSchedule(const TimeSwitchRecord& record, bool advanced) {
    const WeekMap week = advanced ? secondGenerationWeek(record) : firstGenerationWeek(record);
    WeeklySchedule schedule;
    for (int day = 0; day < kDaysPerWeek; ++day) {
        const int base = day * kMinutesPerDay;
        int m = 0;
        while (m < kMinutesPerDay) {
            if (!week.test(std::size_t(base + m))) {  // NOLINT(bugprone-misplaced-widening-cast): as above
                ++m;
                continue;
            }
            const int from = m;
            // NOLINTNEXTLINE(bugprone-misplaced-widening-cast): as above
            while (m < kMinutesPerDay && week.test(std::size_t(base + m))) {
                ++m;
            }
            schedule.days[day].append({from, m});
        }
    }
    return schedule;
}

QString DurationText(int minutes) {
    return QStringLiteral("%1:%2")
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString DailyDurationText(const WeeklySchedule& schedule) {
    int shortest = kMinutesPerDay;
    int longest = 0;
    for (int day = 0; day < kDaysPerWeek; ++day) {
        const int minutes = schedule.onMinutes(day);
        if (minutes > 0) {
            shortest = std::min(shortest, minutes);
            longest = std::max(longest, minutes);
        }
    }
    if (longest == 0) {
        return DurationText(0);
    }
    if (shortest == longest) {
        return DurationText(longest);
    }
    return DurationText(shortest) + QStringLiteral(" \u2013 ") + DurationText(longest);
}

}  // namespace bdx
