#include "timer_record.h"

#include <algorithm>
#include <cmath>

#include "shell/language_table.h"

namespace bdx {
namespace {

struct TimerTypeInfo {
    const char* englishName;
    int nameId;  // 0: the grid shows the English name
    const char* pictureKey;
};

constexpr std::array<TimerTypeInfo, kTimerTypes> kTimerTypeInfo = {{
    {"On-Delay", 0, "OnDelayTimer"},
    {"Off-Delay", 0, "OffDelayTimer"},
    {"Single Pulse", 0, "SinglePulseTimer"},
    {"Equal/Unequal ON/OFF 1", 0, "AsyncTimer"},
    {"Equal/Unequal OFF/ON 1", 0, "Async Off OnTimer"},
    {"Equal/Unequal ON/OFF 2", 0, "Cyclic On-Off Timer"},
    {"Equal/Unequal OFF/ON 2", 0, "Cyclic Off-On Timer"},
    {"Delayed Impulse", 336, "Delayed Impulse"},
    {"Leading Edge Impulse 1", 337, "Leading Edge1"},
    {"Leading Edge Impulse 2", 338, "Leading Edge2"},
    {"Trailing Edge Impulse 1", 339, "Trailing Edge1"},
    {"Trailing Edge Impulse 2", 340, "Trailing Edge2"},
    {"Signal OFF/ON", 341, "Signal Off On"},
    {"Impulse ON/OFF", 342, "Impulse On Off"},
}};

// The texts below are shown as they are, double blanks included.
constexpr const char* kCycleOnOff =
    "When TRIGGER is applied and RESET is OFF, Timer  STARTS and output will become ON for Set ON Time. "
    "After completion of Set ON Time output will get switched OFF for the Set OFF Time. ";
constexpr const char* kCycleOffOn =
    "When TRIGGER is applied and RESET is OFF, Timer  STARTS and output will remain OFF for Set OFF Time. "
    "After completion of Set OFF Time output will get switched ON for the Set ON Time. ";
constexpr const char* kLeadingEdge =
    "When TRIGGER is applied and RESET is OFF, Timer  STARTS and output will become ON for Set Time.";
constexpr const char* kTrailingEdge =
    "When TRIGGER is removed and RESET is OFF, Timer  STARTS and output will become ON for Set Time.";

QString ModeSummaryText(int type) {
    switch (type) {
        case 0:
            return QStringLiteral(
                "When TRIGGER is applied and RESET input is OFF then Timer  STARTS. After completion of Set "
                "Time, output will get switched ON and  remain ON until TRIGGER gets removed or RESET is "
                "applied.");
        case 1:
            return QStringLiteral(
                "When TRIGGER is applied and RESET input is OFF, then output will get switched ON and Timer "
                "is in STOP condition. When TRIGGER input is removed (Trailing edge) then, Timer  STARTS and "
                " "
                "output will remain ON  until completion of Set Time, After completion of Set Time, output "
                "will gets switched OFF and Timer STOPS.");
        case 2:
            return QStringLiteral(
                "When TRIGGER is applied and RESET is OFF, Timer  STARTS and output will become ON for Set "
                "Time. After completion of Set Time, output will get switched OFF and Timer STOPS.");
        case 3:
            return QLatin1String(kCycleOnOff) +
                   QLatin1String("This ON-OFF procedure will get repeated until RESET is applied.");
        case 4:
            return QLatin1String(kCycleOffOn) +
                   QLatin1String("This OFF-ON procedure will get repeated until RESET is applied.");
        case 5:
            return QLatin1String(kCycleOnOff) + QLatin1String(
                                                    "This ON-OFF procedure will get repeated until TRIGGER "
                                                    "is removed or RESET is applied.");
        case 6:
            return QLatin1String(kCycleOffOn) + QLatin1String(
                                                    "This OFF-ON procedure will get repeated until TRIGGER "
                                                    "is removed or RESET is applied.");
        case 7:
            return QStringLiteral(
                "When TRIGGER is applied and RESET is OFF, Timer STARTS and output will remain OFF for Set "
                "OFF "
                "Time. After completion of Set OFF Time, output will get switched ON for the Set ON Time and "
                "then Timer will STOP and output will switched OFF.");
        case 8:
        case 9:
            return QLatin1String(kLeadingEdge);
        case 10:
        case 11:
            return QLatin1String(kTrailingEdge);
        case 12:
            return QStringLiteral(
                "When TRIGGER is applied and RESET is OFF, Timer  STARTS and output will remain OFF for Set "
                "Time.After completion of Set Time, output will get switched ON. If TRIGGER is removed, then "
                "output will remain ON for the Set Time and After completion of Set Time output will get "
                "switched OFF.");
        case 13:
            return QStringLiteral(
                "When TRIGGER is applied and RESET is OFF, Timer  STARTS and output will become ON for Set "
                "Time. After completion of Set Time, output will get switched OFF. When TRIGGER to Timer is "
                "removed, Timer  STARTS and output will become ON for Set Time.");
        default:
            return {};
    }
}

// Sections after the first: what RESET does and how the timer starts again afterwards.
constexpr const char* kResetStops = "When RESET is applied, Timer STOPS and output will get switched OFF.";
constexpr const char* kRestartWithTrigger =
    "If RESET signal is removed and TRIGGER is still applied, Timer STARTS again.";
constexpr const char* kRestartOnEdge =
    "If RESET signal is removed, Timer will not START although TRIGGER input is high. It will START only on "
    "next positive edge of TRIGGER input.";
constexpr const char* kRestartOnTrailingEdge =
    "If RESET signal is removed, Timer will not START although TRIGGER input is low. It will START only on "
    "next Trailing  edge of TRIGGER input.";
constexpr const char* kRestartOnChange =
    "If RESET signal is removed, Timer will START on the next change of TRIGGER input.";
constexpr const char* kKeepsRunning = "Once Timer STARTS, it will not STOP until Set Time gets completed.";
constexpr const char* kStopsWhenRemoved = "If TRIGGER is removed, Timer STOPS and output will get switched OFF.";
constexpr const char* kStopsWhenApplied = "If TRIGGER is applied, Timer STOPS and output will get switched OFF.";

QStringList ModeSections(int type) {
    QStringList sections{ModeSummaryText(type)};
    const auto add = [&sections](const char* text) { sections << QLatin1String(text); };
    switch (type) {
        case 8:
        case 10:
            add(kKeepsRunning);
            break;
        case 9:
            add(kStopsWhenRemoved);
            break;
        case 11:
            add(kStopsWhenApplied);
            break;
        default:
            break;
    }
    add(kResetStops);
    if (type <= 4) {
        add(kRestartWithTrigger);
    } else if (type == 10 || type == 11) {
        add(kRestartOnTrailingEdge);
    } else if (type == 13) {
        add(kRestartOnChange);
    } else {
        add(kRestartOnEdge);
    }
    return sections;
}

// Rows A..C carry their own Portuguese and Polish names in the mode grid.
struct FixedNames {
    const char* portuguese;
    const char* polish;
};
constexpr std::array<FixedNames, 3> kFixedNames = {{
    {"Temporizador: ON Atraso", "Licznik czasu: na zwloki"},
    {"Temporizador: OFF Atraso", "Licznik czasu: po zwloce"},
    {"Temporizador: Pulso Simples", "Licznik czasu: pojedynczy impuls"},
}};

bool IsTimerType(int type) {
    return type >= 0 && type < kTimerTypes;
}

TimeUnit UnitFromNibble(int nibble) {
    return nibble <= 2 ? static_cast<TimeUnit>(nibble) : TimeUnit::Seconds;
}

int PairValue(std::uint8_t high, std::uint8_t low) {
    return high * 10 + low;
}

QString TwoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// The first (leading-digit) reading of a typed number; VB-style, so "12x" is 12.
double LeadingNumber(QString text, QChar decimalSeparator, bool* ok) {
    text = text.trimmed();
    if (decimalSeparator != QLatin1Char('.')) {
        text.replace(decimalSeparator, QLatin1Char('.'));
    }
    int end = 0;
    bool seenPoint = false;
    while (end < text.size()) {
        const QChar c = text[end];
        if (c == QLatin1Char('.') && !seenPoint) {
            seenPoint = true;
        } else if (!c.isDigit()) {
            break;
        }
        ++end;
    }
    return text.left(end).toDouble(ok);
}

}  // namespace

TimerRecord DecodeTimer(const Program& program, int index) {
    const auto& row = program.TimerParams[index];
    TimerRecord record;
    const int type = row[TimerField::Type];
    record.type = IsTimerType(type) ? type : 0;
    record.on.unit = UnitFromNibble(row[TimerField::Units] & 0x0F);
    record.off.unit = UnitFromNibble(row[TimerField::Units] >> 4);
    for (int i = 0; i < 4; ++i) {
        record.on.digits[i] = std::min<std::uint8_t>(row[TimerField::OnTime + i], 9);
        record.off.digits[i] = std::min<std::uint8_t>(row[TimerField::OffTime + i], 9);
    }
    record.locked = (row[TimerField::Flags] & kFlagLocked) != 0;
    record.inUse = (row[TimerField::Flags] & kFlagInUse) != 0;
    record.comment = program.comment(Operand::T, index);
    return record;
}

void EncodeTimer(Program& program, int index, const TimerRecord& record) {
    auto& row = program.TimerParams[index];
    const bool twoTimes = TimerHasOffTime(record.type);
    int units = static_cast<int>(record.on.unit);
    if (twoTimes) {
        units += 16 * static_cast<int>(record.off.unit);
    }
    row[TimerField::Units] = static_cast<std::uint8_t>(units);
    for (int i = 0; i < 4; ++i) {
        row[TimerField::OnTime + i] = record.on.digits[i];
        if (twoTimes) {
            row[TimerField::OffTime + i] = record.off.digits[i];
        }
    }
    row[TimerField::Type] = static_cast<std::uint8_t>(record.type);
    if (record.locked) {
        row[TimerField::Flags] |= kFlagLocked;
    } else {
        row[TimerField::Flags] &= static_cast<std::uint8_t>(~kFlagLocked);
    }
    program.comment(Operand::T, index) = record.comment;
    program.ProgramModified = true;
}

bool TimerHasOffTime(int type) {
    return type >= 3 && type <= 7;
}

QString TimerTypeName(int type) {
    if (!IsTimerType(type)) {
        return {};
    }
    if (type < static_cast<int>(kFixedNames.size())) {
        const int language = CurrentLanguageOffset();
        if (language == Portuguese || language == Polish) {
            const FixedNames& names = kFixedNames[type];
            return QString::fromLatin1(language == Portuguese ? names.portuguese : names.polish);
        }
    }
    const TimerTypeInfo& info = kTimerTypeInfo[type];
    return info.nameId != 0 ? LoadText(info.nameId) : QString::fromLatin1(info.englishName);
}

QString TimerModeTitle(int type) {
    return IsTimerType(type) ? QString::fromLatin1(kTimerTypeInfo[type].englishName) + QLatin1String(" Timer")
                             : QString();
}

QString TimerModeSummary(int type) {
    return ModeSummaryText(type);
}

QString TimerModeDescription(int type) {
    if (!IsTimerType(type)) {
        return {};
    }
    QString text = TimerModeTitle(type);
    for (const QString& section : ModeSections(type)) {
        text += QLatin1String("\n\n - ") + section;
    }
    return text;
}

QString TimerPictureKey(int type) {
    return IsTimerType(type) ? QString::fromLatin1(kTimerTypeInfo[type].pictureKey) : QString();
}

QString SetTimeCaption(int type, bool offTime) {
    if (!TimerHasOffTime(type)) {
        return LoadText(4117);
    }
    return LoadText(offTime ? 4119 : 4134);
}

QString TimeUnitSuffix(TimeUnit unit) {
    switch (unit) {
        case TimeUnit::MinutesSeconds:
            return QStringLiteral(" m:s");
        case TimeUnit::HoursMinutes:
            return QStringLiteral(" h:m");
        default:
            return QStringLiteral(" s");
    }
}

QString TimeUnitPrintName(TimeUnit unit) {
    switch (unit) {
        case TimeUnit::MinutesSeconds:
            return QStringLiteral("MM:SS");
        case TimeUnit::HoursMinutes:
            return QStringLiteral("HH:MM");
        default:
            return QStringLiteral("SEC");
    }
}

QString FormatSetTime(const SetTime& time, QChar decimalSeparator) {
    const QStringList fields = SetTimeFieldTexts(time, decimalSeparator);
    return fields.join(QLatin1Char(':'));
}

QStringList SetTimeFieldTexts(const SetTime& time, QChar decimalSeparator) {
    const auto& d = time.digits;
    if (time.unit == TimeUnit::Seconds) {
        QString text;
        for (int i = 0; i < 3; ++i) {
            text += QChar(QLatin1Char('0').unicode() + d[i]);
        }
        text += decimalSeparator;
        text += QChar(QLatin1Char('0').unicode() + d[3]);
        return {text};
    }
    return {TwoDigits(PairValue(d[0], d[1])), TwoDigits(PairValue(d[2], d[3]))};
}

SetTime ParseSetTime(TimeUnit unit, const QString& first, const QString& second, QChar decimalSeparator) {
    SetTime time;
    time.unit = unit;
    bool ok = false;
    if (unit == TimeUnit::Seconds) {
        const double seconds = LeadingNumber(first, decimalSeparator, &ok);
        const int tenths = ok ? std::clamp(static_cast<int>(std::lround(seconds * 10)), 0, 9999) : 0;
        time.digits = {static_cast<std::uint8_t>(tenths / 1000), static_cast<std::uint8_t>(tenths / 100 % 10),
                       static_cast<std::uint8_t>(tenths / 10 % 10), static_cast<std::uint8_t>(tenths % 10)};
        return time;
    }
    const double high = LeadingNumber(first, decimalSeparator, &ok);
    const int a = ok ? std::clamp(static_cast<int>(high), 0, 99) : 0;
    const double low = LeadingNumber(second, decimalSeparator, &ok);
    const int b = ok ? std::clamp(static_cast<int>(low), 0, 59) : 0;
    time.digits = {static_cast<std::uint8_t>(a / 10), static_cast<std::uint8_t>(a % 10),
                   static_cast<std::uint8_t>(b / 10), static_cast<std::uint8_t>(b % 10)};
    return time;
}

int PresetHundredths(const SetTime& time) {
    const auto& d = time.digits;
    const int high = PairValue(d[0], d[1]);
    const int low = PairValue(d[2], d[3]);
    switch (time.unit) {
        case TimeUnit::MinutesSeconds:
            return (high * 60 + low) * 100;
        case TimeUnit::HoursMinutes:
            return (high * 3600 + low * 60) * 100;
        default:
            return (high * 100 + low) * 10;  // tenths
    }
}

QString CorrectSecondsEntry(const QString& typed, QChar decimalSeparator, Prompter& prompter) {
    bool ok = false;
    const double value = LeadingNumber(typed, decimalSeparator, &ok);
    if (!ok || value <= 999.9) {
        return typed;
    }
    prompter.show({MessageIcon::None, QStringLiteral("Maximum Value is 999.9"), {Reply::Ok}});
    SetTime largest;
    largest.digits = {9, 9, 9, 9};
    return SetTimeFieldTexts(largest, decimalSeparator).front();
}

QString CorrectTwoDigitEntry(const QString& typed, bool secondField) {
    bool ok = false;
    const double value = LeadingNumber(typed, QLatin1Char('.'), &ok);
    return secondField && ok && value > 59 ? QStringLiteral("59") : typed;
}

QString SaveTimerQuestion(int index) {
    return LoadText(4227) + QString::number(index + 1) + QLatin1String(" ?");
}

}  // namespace bdx
