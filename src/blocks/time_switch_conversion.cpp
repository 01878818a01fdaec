#include "time_switch_conversion.h"

#include <QList>

namespace bdx {

namespace {

constexpr int kMonday = 1;
constexpr int kSunday = 7;

enum class TimeOrder { Early, Equal, Late };

TimeOrder compareOnOff(const std::array<std::uint8_t, kTimeSwitchFields>& block) {
    const int on = block[TimeSwitchField::OnHour] * 60 + block[TimeSwitchField::OnMinute];
    const int off = block[TimeSwitchField::OffHour] * 60 + block[TimeSwitchField::OffMinute];
    if (on == off) {
        return TimeOrder::Equal;
    }
    return on > off ? TimeOrder::Late : TimeOrder::Early;
}

bool inRange(int d, int first, int last) {
    return d >= first && d <= last;
}

// Whether day d lies in the days the block covers (start day through end day, wrapping
// over the week end when the start comes after the end).
bool coveredDay(int d, int start, int end) {
    if (start < end) {
        return inRange(d, start, end);
    }
    if (start > end) {
        return d >= start || d <= end;
    }
    return d == start;
}

struct DayRule {
    bool on;
    bool off;
};

DayRule convertDay(int d, int start, int end, TimeOrder order) {
    switch (order) {
        case TimeOrder::Equal:
            return {d == start, d == end + 1 || (d == kMonday && end == kSunday)};
        case TimeOrder::Early: {
            const bool covered = coveredDay(d, start, end);
            return {covered, covered};
        }
        case TimeOrder::Late:
            // Switching off happens on the day after each switching on.
            if (start < end) {
                return {inRange(d, start, end),
                        inRange(d, start + 1, end + 1) || (d == kMonday && end == kSunday)};
            }
            if (start > end) {
                return {d >= start || d <= end, d > start || d <= end + 1};
            }
            return {d == start, d == start + 1 || (d == kMonday && start == kSunday)};
    }
    return {false, false};
}

}  // namespace

std::uint8_t BinaryToDec(const QString& days) {
    std::uint8_t value = 0;
    const QString last = days.right(7);
    for (const QChar day : last) {
        value = static_cast<std::uint8_t>(value * 2 + (day == u'1' ? 1 : 0));
    }
    return value;
}

QString DecToBinary(std::uint8_t mask) {
    QString days;
    for (int bit = 6; bit >= 0; --bit) {
        days += (mask >> bit) & 1 ? u'1' : u'0';
    }
    return days;
}

void ConvertTimeSwitchBlocks(Program& program) {
    for (auto& block : program.TimeSwitchParams) {
        const int start = block[TimeSwitchField::StartDay];
        if (start == 0) {
            continue;
        }
        const int end = block[TimeSwitchField::EndDay];
        const TimeOrder order = compareOnOff(block);
        QString onDays;
        QString offDays;
        for (int d = kMonday; d <= kSunday; ++d) {
            const DayRule rule = convertDay(d, start, end, order);
            onDays.prepend(rule.on ? u'1' : u'0');
            offDays.prepend(rule.off ? u'1' : u'0');
        }
        block[TimeSwitchField::OnDays] = BinaryToDec(onDays);
        block[TimeSwitchField::OffDays] = BinaryToDec(offDays);
    }
}

QList<int> UnconvertibleTimeSwitchBlocks(const Program& program) {
    QList<int> blocks;
    for (int n = 0; n < kTimeSwitches; ++n) {
        const auto& block = program.TimeSwitchParams[n];
        const int start = block[TimeSwitchField::StartDay];
        const int end = block[TimeSwitchField::EndDay];
        if (compareOnOff(block) == TimeOrder::Equal &&
            (start == end + 1 || (start == kMonday && end == kSunday))) {
            blocks << n + 1;
        }
    }
    return blocks;
}

}  // namespace bdx
