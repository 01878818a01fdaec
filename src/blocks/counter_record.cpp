#include "counter_record.h"

#include <algorithm>
#include <array>

#include "shell/language_table.h"

namespace bdx {
namespace {

constexpr std::uint8_t kFlagConstant = 0x08;
constexpr std::uint8_t kFlagRetentive = 0x10;
constexpr int kFunctionShift = 4;
constexpr int kDecimalShift = 5;
constexpr std::uint8_t kDecimalMask = 0xE0;

// The largest pulse count a single display unit without decimals allows: beyond it the
// device's scaled count would overflow.
constexpr int kMaxPulsesPerUnit = 42950;

template <std::size_t N>
int ReadDigits(const std::array<std::uint8_t, N>& row, int first, int count) {
    int value = 0;
    for (int i = 0; i < count; ++i) {
        value = value * 10 + std::min<int>(row[first + i], 9);
    }
    return value;
}

template <std::size_t N>
void WriteDigits(std::array<std::uint8_t, N>& row, int first, int count, int value) {
    for (int i = count - 1; i >= 0; --i) {
        row[first + i] = static_cast<std::uint8_t>(value % 10);
        value /= 10;
    }
}

}  // namespace

CounterRecord DecodeCounter(const Program& program, int index) {
    const auto& row = program.CounterParams[index];
    const std::uint8_t flags = row[CounterField::Flags];
    CounterRecord record;
    record.setPoint = ReadDigits(row, CounterField::SetPoint, 5);
    record.decimalPosition = std::min(flags >> kDecimalShift, kCounterMaxDecimalPosition);
    record.pulses = ReadDigits(row, CounterField::Pulses, 5);
    record.displayUnits = ReadDigits(row, CounterField::DisplayUnits, 5);
    record.retentive = (flags & kFlagRetentive) != 0;
    record.locked = (flags & kFlagLocked) != 0;
    record.inUse = (flags & kFlagInUse) != 0;
    record.comment = program.comment(Operand::C, index);
    return record;
}

void EncodeCounter(Program& program, int index, const CounterRecord& record) {
    auto& row = program.CounterParams[index];
    std::uint8_t flags = row[CounterField::Flags] & ~(kFlagLocked | kFlagRetentive | kDecimalMask);
    if (record.locked) {
        flags |= kFlagLocked;
    }
    if (record.retentive) {
        flags |= kFlagRetentive;
    }
    const int position = std::clamp(record.decimalPosition, 0, kCounterMaxDecimalPosition);
    flags |= static_cast<std::uint8_t>(position << kDecimalShift);
    row[CounterField::Flags] = flags;
    WriteDigits(row, CounterField::SetPoint, 5, std::clamp(record.setPoint, 0, kCounterMaxSetPoint));
    WriteDigits(row, CounterField::Pulses, 5, std::clamp(record.pulses, 0, kCounterMaxSetPoint));
    WriteDigits(row, CounterField::DisplayUnits, 5, std::clamp(record.displayUnits, 0, kCounterMaxSetPoint));
    program.comment(Operand::C, index) = record.comment;
    program.ProgramModified = true;
}

Refusal SaveCounter(Program& program, int index, CounterRecord& entry, bool simulating) {
    if (entry.displayUnits <= 1 && entry.decimalPosition == 0 && entry.pulses > kMaxPulsesPerUnit) {
        return WarningBox(LoadText(112));
    }
    entry.pulses = std::min(entry.pulses, kCounterMaxScaling);
    entry.displayUnits = std::min(entry.displayUnits, kCounterMaxScaling);
    if (!simulating) {
        if (entry.pulses == 0) {
            return InformationBox(LoadText(8482));
        }
        if (entry.displayUnits == 0) {
            return InformationBox(LoadText(8483));
        }
    }
    EncodeCounter(program, index, entry);
    return std::nullopt;
}

int CounterEntryValue(const QString& typed) {
    const QString text = typed.trimmed();
    qint64 value = 0;
    for (const QChar c : text) {
        if (!c.isDigit()) {
            break;
        }
        // Far beyond any field's limit; keeps the arithmetic in range.
        value = std::min<qint64>(value * 10 + c.digitValue(), 999999999);
    }
    return static_cast<int>(value);
}

QString CorrectSetPointEntry(const QString& typed) {
    return CounterEntryValue(typed) > kCounterMaxSetPoint ? QString::number(kCounterMaxSetPoint) : typed;
}

QString FormatSetPoint(int setPoint, int decimalPosition) {
    QString text =
        QStringLiteral("%1").arg(std::clamp(setPoint, 0, kCounterMaxSetPoint), 5, 10, QLatin1Char('0'));
    const int position = std::clamp(decimalPosition, 0, kCounterMaxDecimalPosition);
    if (position > 0) {
        text.insert(text.size() - position, QLatin1Char('.'));
    }
    return text;
}

QString SaveCounterQuestion(int index) {
    return LoadText(8484).arg(index + 1);
}

QString CompareFunctionSymbol(int function) {
    static constexpr std::array<const char*, kCompareFunctions> kSymbols = {">", "<", ">=", "<=", "=", "<>"};
    return function >= 0 && function < kCompareFunctions ? QString::fromLatin1(kSymbols[function])
                                                         : QString();
}

CompareRecord DecodeCompare(const Program& program, int index) {
    const auto& row = program.CompareParams[index];
    const std::uint8_t flags = row[CompareField::Flags];
    CompareRecord record;
    record.firstCounter = row[CompareField::Counters] & 0x0F;
    const int function = flags >> kFunctionShift;
    record.function = function < kCompareFunctions ? function : 0;
    record.constantOperand = (flags & kFlagConstant) != 0;
    record.constant = record.constantOperand ? ReadDigits(row, CompareField::Constant, 5) : 0;
    record.secondCounter = record.constantOperand ? 0 : row[CompareField::Counters] >> 4;
    record.locked = (flags & kFlagLocked) != 0;
    record.inUse = (flags & kFlagInUse) != 0;
    record.comment = program.comment(Operand::P, index);
    return record;
}

void EncodeCompare(Program& program, int index, const CompareRecord& record, bool simulating) {
    auto& row = program.CompareParams[index];
    std::uint8_t flags = row[CompareField::Flags];
    if (!simulating) {
        flags &= kFlagInUse;
    }
    flags &= static_cast<std::uint8_t>(~(kFlagLocked | kFlagConstant | 0xF0));
    if (record.locked) {
        flags |= kFlagLocked;
    }
    if (record.constantOperand) {
        flags |= kFlagConstant;
    }
    flags |=
        static_cast<std::uint8_t>(std::clamp(record.function, 0, kCompareFunctions - 1) << kFunctionShift);
    row[CompareField::Flags] = flags;
    const int first = std::clamp(record.firstCounter, 0, kCounters - 1);
    if (record.constantOperand) {
        WriteDigits(row, CompareField::Constant, 5, std::clamp(record.constant, 0, kCounterMaxSetPoint));
        row[CompareField::Counters] = static_cast<std::uint8_t>(first);
    } else {
        WriteDigits(row, CompareField::Constant, 5, 0);
        const int second = std::clamp(record.secondCounter, 0, kCounters - 1);
        row[CompareField::Counters] = static_cast<std::uint8_t>(second * 16 + first);
    }
    program.comment(Operand::P, index) = record.comment;
    program.ProgramModified = true;
}

Refusal SaveCompare(Program& program, int index, const CompareRecord& entry, bool simulating) {
    if (!entry.constantOperand && entry.secondCounter == entry.firstCounter) {
        return InformationBox(LoadText(4220));
    }
    EncodeCompare(program, index, entry, simulating);
    return std::nullopt;
}

QString SaveCompareQuestion() {
    return LoadText(4219);
}

}  // namespace bdx
