#include "timer_record.h"

#include <algorithm>
#include <cmath>

#include "shell/language_table.h"

namespace bdx {
namespace {

struct TimerTypeInfo {
    int nameId;
    const char* pictureKey;
};

constexpr std::array<TimerTypeInfo, kTimerTypes> kTimerTypeInfo = {{
    {8218, "OnDelayTimer"},         // On-Delay
    {8219, "OffDelayTimer"},        // Off-Delay
    {8220, "SinglePulseTimer"},     // Single Pulse
    {8214, "AsyncTimer"},           // Equal/Unequal ON/OFF 1
    {8215, "Async Off OnTimer"},    // Equal/Unequal OFF/ON 1
    {8216, "Cyclic On-Off Timer"},  // Equal/Unequal ON/OFF 2
    {8217, "Cyclic Off-On Timer"},  // Equal/Unequal OFF/ON 2
    {336, "Delayed Impulse"},       // Delayed Impulse
    {337, "Leading Edge1"},         // Leading Edge Impulse 1
    {338, "Leading Edge2"},         // Leading Edge Impulse 2
    {339, "Trailing Edge1"},        // Trailing Edge Impulse 1
    {340, "Trailing Edge2"},        // Trailing Edge Impulse 2
    {341, "Signal Off On"},         // Signal OFF/ON
    {342, "Impulse On Off"},        // Impulse ON/OFF
}};

// The descriptions by text id; the English texts are the established ones, double blanks included.
enum DescriptionTextId {
    OnDelaySummary = 8223,
    OffDelaySummary = 8224,
    SinglePulseSummary = 8225,
    CycleOnOff = 8226,
    CycleOffOn = 8227,
    RepeatOnOffUntilReset = 8228,
    RepeatOffOnUntilReset = 8229,
    RepeatOnOffUntilTriggerOrReset = 8231,
    RepeatOffOnUntilTriggerOrReset = 8232,
    DelayedImpulseSummary = 8233,
    LeadingEdge = 8234,
    TrailingEdge = 8235,
    SignalOffOnSummary = 8236,
    ImpulseOnOffSummary = 8237,
    // Sections after the first: what RESET does and how the timer starts again afterwards.
    ResetStops = 8238,
    RestartWithTrigger = 8239,
    RestartOnEdge = 8240,
    RestartOnTrailingEdge = 8241,
    RestartOnChange = 8242,
    KeepsRunning = 8243,
    StopsWhenRemoved = 8244,
    StopsWhenApplied = 8245,
    TimerTitle = 8221,  // "%1 Timer"
};

QString ModeSummaryText(int type) {
    switch (type) {
        case 0:
            return LoadText(OnDelaySummary);
        case 1:
            return LoadText(OffDelaySummary);
        case 2:
            return LoadText(SinglePulseSummary);
        case 3:
            return LoadText(CycleOnOff) + LoadText(RepeatOnOffUntilReset);
        case 4:
            return LoadText(CycleOffOn) + LoadText(RepeatOffOnUntilReset);
        case 5:
            return LoadText(CycleOnOff) + LoadText(RepeatOnOffUntilTriggerOrReset);
        case 6:
            return LoadText(CycleOffOn) + LoadText(RepeatOffOnUntilTriggerOrReset);
        case 7:
            return LoadText(DelayedImpulseSummary);
        case 8:
        case 9:
            return LoadText(LeadingEdge);
        case 10:
        case 11:
            return LoadText(TrailingEdge);
        case 12:
            return LoadText(SignalOffOnSummary);
        case 13:
            return LoadText(ImpulseOnOffSummary);
        default:
            return {};
    }
}

QStringList ModeSections(int type) {
    QStringList sections{ModeSummaryText(type)};
    const auto add = [&sections](int id) { sections << LoadText(id); };
    switch (type) {
        case 8:
        case 10:
            add(KeepsRunning);
            break;
        case 9:
            add(StopsWhenRemoved);
            break;
        case 11:
            add(StopsWhenApplied);
            break;
        default:
            break;
    }
    add(ResetStops);
    if (type <= 4) {
        add(RestartWithTrigger);
    } else if (type == 10 || type == 11) {
        add(RestartOnTrailingEdge);
    } else if (type == 13) {
        add(RestartOnChange);
    } else {
        add(RestartOnEdge);
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
    return LoadText(info.nameId);
}

QString TimerModeTitle(int type) {
    return IsTimerType(type) ? LoadText(TimerTitle).arg(LoadText(kTimerTypeInfo[type].nameId)) : QString();
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
            return LoadText(8222);  // "SEC", as the timer dialog's unit button
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
    prompter.show({MessageIcon::None, LoadText(8481) + QStringLiteral("999.9"), {Reply::Ok}});
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
