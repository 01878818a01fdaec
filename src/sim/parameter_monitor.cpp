#include "parameter_monitor.h"

#include <algorithm>
#include <cmath>

#include "blocks/analog_record.h"
#include "blocks/counter_record.h"
#include "blocks/device_model.h"
#include "blocks/hour_meter_record.h"
#include "blocks/time_switch_record.h"
#include "counter_status.h"
#include "pc_simulation.h"
#include "shell/language_table.h"
#include "timer_live_status.h"

namespace bdx {

namespace {

enum TextId {
    TimersTab = 4066,
    CountersTab = 4067,
    CompareTab = 4068,
    AnalogTab = 4070,
    TimeSwitchesTab = 4071,
    HourMeterTab = 4303,
    CountHeading = 4145,
    ResetLetterHeading = 4146,
    DirectionHeading = 4147,
    PresetHeading = 4148,
    CurrentHeading = 4149,
    OutputHeading = 4150,
    LockedHeading = 4151,
    CommentsHeading = 4152,
    RetentiveHeading = 4285,
    OnTimeHeading = 8190,
    OffTimeHeading = 8191,
    ModeHeading = 8192,
    TriggerHeading = 8197,
    ResetHeading = 8198,
    TimerHeading = 8199,
    CounterHeading = 8268,
    AbsoluteValue = 8274,
    CompareCounterHeading = 8276,
    OperateTimeHeading = 8389,
    MaintenanceTimeHeading = 8390,
    EnableHeading = 8392,
    ResetAllHeading = 8393,
    AnalogFunctionHeading = 8394,
    YesText = 8520,
    NoText = 8521,
    CommentHeading = 8524,
    InputHeading = 8525,
    ValueHeading = 8526,
    FunctionHeading = 8527,
    CompareWithHeading = 8528,
    TimeSwitchHeading = 8529,
    Day1Heading = 8530,
    Day2Heading = 8531,
    OnDaysHeading = 8532,
    OffDaysHeading = 8533,
    PresetOffHeading = 8534,
    CompareValueHeading = 8535,
};

struct TabInfo {
    MonitorTab tab;
    const char* key;
    int textId;
    Operand kind;
};

constexpr std::array<TabInfo, kMonitorTabs> kTabs = {{
    {MonitorTab::Timers, "timers", TimersTab, Operand::T},
    {MonitorTab::Counters, "counters", CountersTab, Operand::C},
    {MonitorTab::Analog, "analog", AnalogTab, Operand::A},
    {MonitorTab::Compare, "compare", CompareTab, Operand::P},
    {MonitorTab::TimeSwitches, "timeswitches", TimeSwitchesTab, Operand::Clock},
    {MonitorTab::HourMeters, "hourmeters", HourMeterTab, Operand::H},
}};

const TabInfo& infoOf(MonitorTab tab) {
    return kTabs[static_cast<std::size_t>(tab)];
}

// The name cell's prefix: the operand letter, "RTC" for the clock contacts.
QString prefixOf(Operand kind) {
    return kind == Operand::Clock ? QStringLiteral("RTC") : QString(QLatin1Char(operandInfo(kind).letter));
}

// Timer type H runs its OFF time first; the other two-time types run the ON time while their
// output is on.
constexpr int kDelayedImpulse = 7;

std::uint8_t flagsOf(const Program& program, Operand kind, int n) {
    switch (kind) {
        case Operand::T:
            return program.TimerParams[n][TimerField::Flags];
        case Operand::C:
            return program.CounterParams[n][CounterField::Flags];
        case Operand::A:
            return program.AnalogParams[n][AnalogField::Flags];
        case Operand::P:
            return program.CompareParams[n][CompareField::Flags];
        case Operand::Clock:
            return program.TimeSwitchParams[n][TimeSwitchField::Flags];
        case Operand::H:
            return program.HourMeterParams[n][HourMeterField::Flags];
        default:
            return 0;
    }
}

QString channelName(int channel) {
    return QStringLiteral("V%1").arg(channel + 1);
}

QString counterName(int counter) {
    return QStringLiteral("C%1").arg(counter + 1);
}

QString clockTime(int hour, int minute) {
    return TimeFieldText(hour) + QLatin1Char(':') + TimeFieldText(minute);
}

QString dayName(int day) {
    const QStringList names = ShortWeekdayNames();
    return day >= 1 && day <= kDaysPerWeek ? names[day - 1] : QString();
}

QString dayList(const WeekDays& days) {
    const QStringList names = ShortWeekdayNames();
    QStringList chosen;
    for (int d = 0; d < kDaysPerWeek; ++d) {
        if (days[static_cast<std::size_t>(d)]) {
            chosen << names[d];
        }
    }
    return chosen.join(QLatin1Char(' '));
}

}  // namespace

enum class ParameterMonitor::Field {
    Name,
    Output,
    Locked,
    Comment,
    // timers
    Trigger,
    TimerReset,
    Mode,
    PresetOn,
    PresetOff,
    TimerCurrent,
    // counters
    CountInput,
    CounterReset,
    Direction,
    SetPoint,
    CounterCurrent,
    Retentive,
    // analog blocks and compare counters
    FirstOperand,
    FirstValue,
    Function,
    SecondOperand,
    SecondValue,
    // time switches
    OnDays,
    OffDays,
    OnTime,
    OffTime,
    // hour meters
    Enable,
    MeterReset,
    MeterResetAll,
    MeterPreset,
    Maintenance,
    Operate,
};

int MonitorTabTextId(MonitorTab tab) {
    return infoOf(tab).textId;
}

QString MonitorTabKey(MonitorTab tab) {
    return QString::fromLatin1(infoOf(tab).key);
}

std::optional<MonitorTab> MonitorTabOfKey(const QString& key) {
    for (const TabInfo& info : kTabs) {
        if (key == QLatin1String(info.key)) {
            return info.tab;
        }
    }
    return std::nullopt;
}

QString MonitorBlockName(const MonitorBlock& block) {
    return prefixOf(block.kind) + QLatin1Char(' ') + QString::number(block.number + 1);
}

std::optional<MonitorBlock> MonitorBlockOfName(const QString& name) {
    const QStringList parts = name.split(QLatin1Char(' '));
    if (parts.size() != 2) {
        return std::nullopt;
    }
    bool ok = false;
    const int number = parts[1].toInt(&ok);
    for (const TabInfo& info : kTabs) {
        if (parts[0] == prefixOf(info.kind)) {
            if (!ok || number < 1 || number > operandInfo(info.kind).count) {
                return std::nullopt;
            }
            return MonitorBlock{info.kind, number - 1};
        }
    }
    return std::nullopt;
}

QString YesNoText(bool yes) {
    return LoadText(yes ? YesText : NoText);
}

QString TimerValueText(double seconds, TimeUnit unit) {
    // A hair over the true value, so that 4.9 s reached in hundredths shows 004.9, not 004.8.
    const auto tenths = static_cast<long long>(std::floor(std::max(seconds, 0.0) * 10.0 + 1e-6));
    const long long whole = tenths / 10;
    SetTime time{unit, {}};
    // Beyond 99 in the first field the unit shows its largest value.
    const auto put = [&time](long long high, long long low) {
        if (high > 99) {
            high = 99;
            low = 59;
        }
        time.digits = {static_cast<std::uint8_t>(high / 10), static_cast<std::uint8_t>(high % 10),
                       static_cast<std::uint8_t>(low / 10), static_cast<std::uint8_t>(low % 10)};
    };
    switch (unit) {
        case TimeUnit::MinutesSeconds:
            put(whole / 60, whole % 60);
            break;
        case TimeUnit::HoursMinutes:
            put(whole / 3600, whole % 3600 / 60);
            break;
        default: {
            const long long shown = std::min(tenths, 9999LL);
            time.digits = {static_cast<std::uint8_t>(shown / 1000),
                           static_cast<std::uint8_t>(shown / 100 % 10),
                           static_cast<std::uint8_t>(shown / 10 % 10), static_cast<std::uint8_t>(shown % 10)};
            break;
        }
    }
    return FormatSetTime(time) + TimeUnitSuffix(unit);
}

ParameterMonitor::ParameterMonitor(const Program& program, const PcSimulation& simulation)
    : program_(program), simulation_(simulation) {}

std::vector<ParameterMonitor::Column> ParameterMonitor::columns(MonitorTab tab) const {
    switch (tab) {
        case MonitorTab::Timers:
            return {{TimerHeading, Field::Name},           {TriggerHeading, Field::Trigger},
                    {ResetHeading, Field::TimerReset},     {ModeHeading, Field::Mode},
                    {PresetHeading, Field::PresetOn},      {PresetOffHeading, Field::PresetOff},
                    {CurrentHeading, Field::TimerCurrent}, {OutputHeading, Field::Output},
                    {LockedHeading, Field::Locked},        {CommentsHeading, Field::Comment}};
        case MonitorTab::Counters:
            return {{CounterHeading, Field::Name},
                    {CountHeading, Field::CountInput},
                    {ResetLetterHeading, Field::CounterReset},
                    {DirectionHeading, Field::Direction},
                    {PresetHeading, Field::SetPoint},
                    {CurrentHeading, Field::CounterCurrent},
                    {OutputHeading, Field::Output},
                    {LockedHeading, Field::Locked},
                    {RetentiveHeading, Field::Retentive},
                    {CommentsHeading, Field::Comment}};
        case MonitorTab::Analog:
            return {{AnalogFunctionHeading, Field::Name},
                    {InputHeading, Field::FirstOperand},
                    {ValueHeading, Field::FirstValue},
                    {FunctionHeading, Field::Function},
                    {CompareWithHeading, Field::SecondOperand},
                    {CompareValueHeading, Field::SecondValue},
                    {OutputHeading, Field::Output},
                    {LockedHeading, Field::Locked},
                    {CommentsHeading, Field::Comment}};
        case MonitorTab::Compare:
            return {{CompareCounterHeading, Field::Name},
                    {CounterHeading, Field::FirstOperand},
                    {ValueHeading, Field::FirstValue},
                    {FunctionHeading, Field::Function},
                    {CompareWithHeading, Field::SecondOperand},
                    {CompareValueHeading, Field::SecondValue},
                    {OutputHeading, Field::Output},
                    {LockedHeading, Field::Locked},
                    {CommentsHeading, Field::Comment}};
        case MonitorTab::TimeSwitches: {
            const bool advanced = AdvancedTimeSwitch(program_.ModelIndex);
            return {{TimeSwitchHeading, Field::Name},
                    {advanced ? OnDaysHeading : Day1Heading, Field::OnDays},
                    {advanced ? OffDaysHeading : Day2Heading, Field::OffDays},
                    {OnTimeHeading, Field::OnTime},
                    {OffTimeHeading, Field::OffTime},
                    {OutputHeading, Field::Output},
                    {LockedHeading, Field::Locked},
                    {CommentsHeading, Field::Comment}};
        }
        case MonitorTab::HourMeters:
            return {{HourMeterTab, Field::Name},          {EnableHeading, Field::Enable},
                    {ResetHeading, Field::MeterReset},    {ResetAllHeading, Field::MeterResetAll},
                    {PresetHeading, Field::MeterPreset},  {MaintenanceTimeHeading, Field::Maintenance},
                    {OperateTimeHeading, Field::Operate}, {OutputHeading, Field::Output},
                    {LockedHeading, Field::Locked},       {CommentHeading, Field::Comment}};
    }
    return {};
}

bool ParameterMonitor::isLive(Field field) {
    switch (field) {
        case Field::Output:
        case Field::Trigger:
        case Field::TimerReset:
        case Field::TimerCurrent:
        case Field::CountInput:
        case Field::CounterReset:
        case Field::Direction:
        case Field::CounterCurrent:
        case Field::FirstValue:
        case Field::SecondValue:
        case Field::Enable:
        case Field::MeterReset:
        case Field::MeterResetAll:
        case Field::Maintenance:
        case Field::Operate:
            return true;
        default:
            return false;
    }
}

std::vector<int> ParameterMonitor::headerTextIds(MonitorTab tab) const {
    std::vector<int> ids;
    for (const Column& column : columns(tab)) {
        ids.push_back(column.textId);
    }
    return ids;
}

std::vector<MonitorRow> ParameterMonitor::rows(MonitorTab tab) const {
    const Operand kind = infoOf(tab).kind;
    const std::vector<Column> cols = columns(tab);
    std::vector<MonitorRow> result;
    for (int n = 0; n < operandInfo(kind).count; ++n) {
        if ((flagsOf(program_, kind, n) & kFlagInUse) == 0) {
            continue;
        }
        MonitorRow row{{kind, n}, {}};
        for (const Column& column : cols) {
            row.cells << cell(column.field, row.block);
        }
        result.push_back(std::move(row));
    }
    return result;
}

void ParameterMonitor::refresh(MonitorTab tab, std::vector<MonitorRow>& rows) const {
    const std::vector<Column> cols = columns(tab);
    for (MonitorRow& row : rows) {
        for (qsizetype c = 0; c < qsizetype(cols.size()) && c < row.cells.size(); ++c) {
            if (isLive(cols[std::size_t(c)].field)) {
                row.cells[c] = cell(cols[std::size_t(c)].field, row.block);
            }
        }
    }
}

QString ParameterMonitor::cell(Field field, const MonitorBlock& block) const {
    const int n = block.number;
    const ScanEngine& engine = simulation_.engine();
    const BlockEvaluation& blocks = simulation_.blocks();
    const std::uint8_t flags = flagsOf(program_, block.kind, n);
    switch (field) {
        case Field::Name:
            return MonitorBlockName(block);
        case Field::Output: {
            const std::uint16_t code = block.kind == Operand::Clock
                                           ? ClockContactOpen
                                           : std::uint16_t(operandInfo(block.kind).letter);
            return YesNoText(engine.operandValue(code, n + 1));
        }
        case Field::Locked:
            return YesNoText((flags & kFlagLocked) != 0);
        case Field::Comment:
            return program_.comment(block.kind, n);

        case Field::Trigger:
            return YesNoText(ReadTimerLiveStatus(engine, n).trigger == InputLevel::Active);
        case Field::TimerReset:
            return YesNoText(ReadTimerLiveStatus(engine, n).reset == InputLevel::Active);
        case Field::Mode: {
            const TimerRecord record = DecodeTimer(program_, n);
            return QString(QLatin1Char(record.letter())) + QLatin1Char(' ') + TimerTypeName(record.type);
        }
        case Field::PresetOn: {
            const SetTime on = DecodeTimer(program_, n).on;
            return FormatSetTime(on) + TimeUnitSuffix(on.unit);
        }
        case Field::PresetOff: {
            const TimerRecord record = DecodeTimer(program_, n);
            return TimerHasOffTime(record.type) ? FormatSetTime(record.off) + TimeUnitSuffix(record.off.unit)
                                                : QString();
        }
        case Field::TimerCurrent: {
            // The value counts in the unit of the phase that runs; a timer at rest in its ON unit.
            const TimerRecord record = DecodeTimer(program_, n);
            const TimerEvaluation& timers = blocks.timers;
            const bool running = timers.state(n) == TimerState::Running;
            const bool onPhase = !running || !TimerHasOffTime(record.type) ? true
                                 : record.type == kDelayedImpulse          ? timers.secondPhase(n)
                                                                           : timers.output(n);
            return TimerValueText(timers.elapsedSeconds(n), onPhase ? record.on.unit : record.off.unit);
        }

        case Field::CountInput:
            return YesNoText(CounterLive(engine, blocks.counters, n).count == InputState::Active);
        case Field::CounterReset:
            return YesNoText(CounterLive(engine, blocks.counters, n).reset == InputState::Active);
        case Field::Direction:
            return CounterLive(engine, blocks.counters, n).direction == InputState::Active
                       ? QStringLiteral("D")
                       : QStringLiteral("U");
        case Field::SetPoint: {
            const CounterRecord record = DecodeCounter(program_, n);
            return FormatSetPoint(record.setPoint, record.decimalPosition);
        }
        case Field::CounterCurrent:
            return CounterValueText(blocks.counters, n);
        case Field::Retentive:
            return YesNoText(DecodeCounter(program_, n).retentive);

        case Field::FirstOperand:
            return block.kind == Operand::A ? channelName(ReadAnalog(program_, n).firstInput)
                                            : counterName(DecodeCompare(program_, n).firstCounter);
        case Field::FirstValue: {
            if (block.kind == Operand::A) {
                const int channel = ReadAnalog(program_, n).firstInput;
                return AnalogValueText(blocks.analog.roundedCount(channel),
                                       blocks.analog.decimalPlaces(channel));
            }
            return CounterValueText(blocks.counters, DecodeCompare(program_, n).firstCounter);
        }
        case Field::Function:
            return CompareFunctionSymbol(block.kind == Operand::A ? ReadAnalog(program_, n).function
                                                                  : DecodeCompare(program_, n).function);
        case Field::SecondOperand: {
            if (block.kind == Operand::A) {
                const int second = ReadAnalog(program_, n).secondOperand;
                return second == kVref ? QStringLiteral("Vref") : channelName(second);
            }
            const CompareRecord record = DecodeCompare(program_, n);
            return record.constantOperand ? LoadText(AbsoluteValue) : counterName(record.secondCounter);
        }
        case Field::SecondValue: {
            if (block.kind == Operand::A) {
                const AnalogRecord record = ReadAnalog(program_, n);
                if (record.secondOperand == kVref) {
                    return AnalogValueText(record.reference, record.decimalPosition);
                }
                return AnalogValueText(blocks.analog.roundedCount(record.secondOperand),
                                       blocks.analog.decimalPlaces(record.secondOperand));
            }
            // The constant counts in the first counter's decimal places.
            const CompareRecord record = DecodeCompare(program_, n);
            return record.constantOperand
                       ? FormatSetPoint(record.constant, blocks.counters.decimalPosition(record.firstCounter))
                       : CounterValueText(blocks.counters, record.secondCounter);
        }

        case Field::OnDays:
        case Field::OffDays: {
            const TimeSwitchRecord record = ReadTimeSwitch(program_, n);
            if (AdvancedTimeSwitch(program_.ModelIndex)) {
                return dayList(field == Field::OnDays ? record.onDays : record.offDays);
            }
            return dayName(field == Field::OnDays ? record.startDay : record.endDay);
        }
        case Field::OnTime: {
            const TimeSwitchRecord record = ReadTimeSwitch(program_, n);
            return clockTime(record.onHour, record.onMinute);
        }
        case Field::OffTime: {
            const TimeSwitchRecord record = ReadTimeSwitch(program_, n);
            return clockTime(record.offHour, record.offMinute);
        }

        case Field::Enable:
            return YesNoText(engine.isActive(engine.network().coils.H.enable[std::size_t(n)]));
        case Field::MeterReset:
            return YesNoText(engine.isActive(engine.network().coils.H.reset[std::size_t(n)]));
        case Field::MeterResetAll:
            return YesNoText(engine.isActive(engine.network().coils.H.resetAll[std::size_t(n)]));
        case Field::MeterPreset:
            return HourMeterPresetText(ReadHourMeter(program_, n));
        case Field::Maintenance:
            return HourMeterTimeText(blocks.hourMeters.maintenanceSeconds(n),
                                     ReadHourMeter(program_, n).resolution);
        case Field::Operate:
            return HourMeterTimeText(blocks.hourMeters.operateSeconds(n),
                                     ReadHourMeter(program_, n).resolution);
    }
    return QString();
}

}  // namespace bdx
