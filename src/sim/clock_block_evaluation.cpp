#include "clock_block_evaluation.h"

#include "blocks/device_model.h"
#include "blocks/hour_meter_record.h"
#include "blocks/time_switch_record.h"
#include "sim/scan_engine.h"

namespace bdx {

namespace {

constexpr SignalRange kTimeSwitchSignals = SignalRangeOf(ClockContactOpen);
constexpr SignalRange kHourMeterSignals = SignalRangeOf('H');

constexpr int kMinutesPerDay = 24 * 60;

int dayBefore(int day) {
    return (day + kDaysPerWeek - 2) % kDaysPerWeek + 1;
}

// Whether `day` lies in the range from `first` to `last`, which wraps past Sunday when `last`
// comes before `first`.
bool inDayRange(int day, int first, int last) {
    return first <= last ? day >= first && day <= last : day >= first || day <= last;
}

// First generation: a range of days, each with one interval; an OFF time not after the ON time
// carries the interval past midnight into the following day.
bool firstGenerationOn(const std::array<std::uint8_t, kTimeSwitchFields>& r, const LocalDateTime& now) {
    const int first = r[TimeSwitchField::StartDay];
    if (first < 1 || first > kDaysPerWeek) {
        return false;
    }
    int last = r[TimeSwitchField::EndDay];
    if (last == 0) {
        last = first;
    } else if (last > kDaysPerWeek) {
        return false;
    }
    const int on = r[TimeSwitchField::OnHour] * 60 + r[TimeSwitchField::OnMinute];
    const int off = r[TimeSwitchField::OffHour] * 60 + r[TimeSwitchField::OffMinute];
    const int minute = now.hour * 60 + now.minute;
    const int today = now.weekday;
    if (off > on) {
        return inDayRange(today, first, last) && minute >= on && minute < off;
    }
    if (inDayRange(today, first, last) && minute >= on && minute < kMinutesPerDay) {
        return true;
    }
    return inDayRange(dayBefore(today), first, last) && minute < off;
}

// Second generation: the most recent ON or OFF event decides. Today is examined up to now,
// then the seven days before it in full, so the same weekday a week ago is covered too.
bool secondGenerationOn(const std::array<std::uint8_t, kTimeSwitchFields>& r, const LocalDateTime& now) {
    const int on = r[TimeSwitchField::OnHour] * 60 + r[TimeSwitchField::OnMinute];
    const int off = r[TimeSwitchField::OffHour] * 60 + r[TimeSwitchField::OffMinute];
    const std::uint8_t onDays = r[TimeSwitchField::OnDays];
    const std::uint8_t offDays = r[TimeSwitchField::OffDays];
    int day = now.weekday;
    int latest = now.hour * 60 + now.minute;
    for (int back = 0; back <= kDaysPerWeek; ++back) {
        const std::uint8_t bit = static_cast<std::uint8_t>(1u << (day - 1));
        const bool onToday = (onDays & bit) != 0 && on <= latest;
        const bool offToday = (offDays & bit) != 0 && off <= latest;
        // Both on the same day: the later one is the more recent. On the same minute the block
        // ends up off, as if the OFF event were handled after the ON event.
        if (onToday && (!offToday || on > off)) {
            return true;
        }
        if (offToday) {
            return false;
        }
        day = dayBefore(day);
        latest = kMinutesPerDay - 1;
    }
    return false;
}

}  // namespace

bool TimeSwitchEvaluation::IsOn(const Program& program, int block, const LocalDateTime& now) {
    if (block < 0 || block >= kTimeSwitches || now.weekday < 1 || now.weekday > kDaysPerWeek) {
        return false;
    }
    const auto& record = program.TimeSwitchParams[block];
    if ((record[TimeSwitchField::Flags] & kFlagInUse) == 0) {
        return false;
    }
    return AdvancedTimeSwitch(program.ModelIndex) ? secondGenerationOn(record, now)
                                                  : firstGenerationOn(record, now);
}

void TimeSwitchEvaluation::Evaluate(ScanEngine& engine) const {
    const LocalDateTime now = clock_.now();
    for (int n = 0; n < kTimeSwitches; ++n) {
        const bool on = program_ != nullptr && IsOn(*program_, n, now);
        engine.setSignalPair(static_cast<std::uint16_t>(kTimeSwitchSignals.openBase + n),
                             static_cast<std::uint16_t>(kTimeSwitchSignals.closedBase + n), on);
    }
}

void HourMeterEvaluation::PrepareRun(const Program& program) {
    program_ = &program;
    meters_ = {};
    for (int n = 0; n < kHourMeters; ++n) {
        ReloadPreset(n);
    }
}

void HourMeterEvaluation::ReloadPreset(int meter) {
    if (program_ != nullptr && valid(meter)) {
        meters_[meter].preset = HourMeterPresetSeconds(ReadHourMeter(*program_, meter));
    }
}

void HourMeterEvaluation::Evaluate(ScanEngine& engine) {
    if (program_ == nullptr) {
        return;
    }
    const std::int64_t now = clock_.hundredths();
    const HourMeterCoils& coils = engine.network().coils.H;
    for (int n = 0; n < kHourMeters; ++n) {
        if ((program_->HourMeterParams[n][HourMeterField::Flags] & kFlagInUse) == 0) {
            continue;
        }
        Meter& m = meters_[n];
        const bool enabled = engine.isActive(coils.enable[n]);
        if (enabled && m.enabled) {
            const double seconds = double(now - m.lastStamp) / 100.0;
            m.maintenance += seconds;
            m.operate += seconds;
        }
        // The stamp follows the clock while paused too, so a pause is never counted.
        m.lastStamp = now;
        m.enabled = enabled;
        if (engine.isActive(coils.resetAll[n])) {
            m.maintenance = 0.0;
            m.operate = 0.0;
        } else if (engine.isActive(coils.reset[n])) {
            m.maintenance = 0.0;
        }
        engine.setSignalPair(static_cast<std::uint16_t>(kHourMeterSignals.openBase + n),
                             static_cast<std::uint16_t>(kHourMeterSignals.closedBase + n),
                             m.maintenance >= double(m.preset));
    }
}

}  // namespace bdx
