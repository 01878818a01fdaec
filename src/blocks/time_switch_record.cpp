#include "time_switch_record.h"

#include "device_model.h"
#include "shell/language_table.h"
#include "time_switch_conversion.h"

namespace bdx {

namespace {

enum TextId {
    SaveClock = 4241,
    SelectFromWeekday = 4242,
    SelectToWeekday = 4243,
    FirstWeekday = 4182,
};

bool anyDay(const WeekDays& days) {
    for (bool day : days) {
        if (day) {
            return true;
        }
    }
    return false;
}

bool validDay(int day) {
    return day >= 1 && day <= kDaysPerWeek;
}

}  // namespace

TimeSwitchRecord ReadTimeSwitch(const Program& program, int block) {
    const auto& row = program.TimeSwitchParams[block];
    TimeSwitchRecord record;
    if (AdvancedTimeSwitch(program.ModelIndex)) {
        record.onDays = DaysOfMask(row[TimeSwitchField::OnDays]);
        record.offDays = DaysOfMask(row[TimeSwitchField::OffDays]);
    } else {
        // A day outside the week reads as no choice, so the save check asks for one.
        record.startDay = validDay(row[TimeSwitchField::StartDay]) ? row[TimeSwitchField::StartDay] : 0;
        record.endDay = validDay(row[TimeSwitchField::EndDay]) ? row[TimeSwitchField::EndDay] : 0;
    }
    record.onHour = row[TimeSwitchField::OnHour];
    record.onMinute = row[TimeSwitchField::OnMinute];
    record.offHour = row[TimeSwitchField::OffHour];
    record.offMinute = row[TimeSwitchField::OffMinute];
    record.locked = (row[TimeSwitchField::Flags] & kFlagLocked) != 0;
    return record;
}

QStringList WeekdayNames() {
    QStringList names;
    for (int d = 0; d < kDaysPerWeek; ++d) {
        names << LoadText(FirstWeekday + d);
    }
    return names;
}

QStringList ShortWeekdayNames() {
    return {QStringLiteral("Mon"), QStringLiteral("Tue"), QStringLiteral("Wed"), QStringLiteral("Thu"),
            QStringLiteral("Fri"), QStringLiteral("Sat"), QStringLiteral("Sun")};
}

QString DayMaskString(const WeekDays& days) {
    QString text;
    for (bool day : days) {
        text.prepend(day ? u'1' : u'0');
    }
    return text;
}

WeekDays DaysOfMask(std::uint8_t mask) {
    WeekDays days{};
    for (int d = 0; d < kDaysPerWeek; ++d) {
        days[d] = ((mask >> d) & 1) != 0;
    }
    return days;
}

QString CapTimeEntry(const QString& typed, int largest) {
    bool ok = false;
    const int value = typed.trimmed().toInt(&ok);
    return ok && value > largest ? QString::number(largest) : typed;
}

QString TimeFieldText(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

Refusal CheckIfStartAndEndDaySelected(const TimeSwitchRecord& record, bool advanced) {
    if (advanced) {
        if (!anyDay(record.onDays)) {
            return InformationBox(LoadText(8486));
        }
        if (!anyDay(record.offDays)) {
            return InformationBox(LoadText(8487));
        }
        return std::nullopt;
    }
    if (!validDay(record.startDay)) {
        return InformationBox(LoadText(SelectFromWeekday));
    }
    if (!validDay(record.endDay)) {
        return InformationBox(LoadText(SelectToWeekday));
    }
    return std::nullopt;
}

Refusal SaveTimeSwitch(Program& program, int block, const TimeSwitchRecord& record, const QString& comment) {
    const bool advanced = AdvancedTimeSwitch(program.ModelIndex);
    if (Refusal refusal = CheckIfStartAndEndDaySelected(record, advanced)) {
        return refusal;
    }
    auto& row = program.TimeSwitchParams[block];
    if (advanced) {
        row[TimeSwitchField::OnDays] = BinaryToDec(DayMaskString(record.onDays));
        row[TimeSwitchField::OffDays] = BinaryToDec(DayMaskString(record.offDays));
    } else {
        row[TimeSwitchField::StartDay] = std::uint8_t(record.startDay);
        row[TimeSwitchField::EndDay] = std::uint8_t(record.endDay);
    }
    row[TimeSwitchField::OnHour] = std::uint8_t(qBound(0, record.onHour, kLargestHour));
    row[TimeSwitchField::OnMinute] = std::uint8_t(qBound(0, record.onMinute, kLargestMinute));
    row[TimeSwitchField::OffHour] = std::uint8_t(qBound(0, record.offHour, kLargestHour));
    row[TimeSwitchField::OffMinute] = std::uint8_t(qBound(0, record.offMinute, kLargestMinute));
    auto& flags = row[TimeSwitchField::Flags];
    flags = std::uint8_t(record.locked ? flags | kFlagLocked : flags & ~kFlagLocked);
    program.comment(Operand::Clock, block) = comment;
    program.ProgramModified = true;
    return std::nullopt;
}

QString SaveClockQuestion(int blockNumber) {
    return LoadText(SaveClock) + QString::number(blockNumber) + QStringLiteral(" ?");
}

}  // namespace bdx
