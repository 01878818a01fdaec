#include "analog_record.h"

#include <QRegularExpression>
#include <algorithm>
#include <cstdlib>

#include "counter_record.h"
#include "shell/language_table.h"

namespace bdx {

namespace {

enum TextId {
    SaveAnalogFunction = 4214,
    SameAnalogInput = 4215,
    ExtensionModuleANotSelected = 4216,
};

constexpr int kInputsPerModule = 2;
constexpr int kDecimalShift = 5;
constexpr std::uint8_t kDecimalBits = 0xE0;
constexpr std::uint8_t kNegative = '-';
constexpr std::uint8_t kPositive = '+';

constexpr std::array<const char*, kAnalogChannels> kInputListTexts = {
    "V1 Base", "V2 Base", "V3  Ext.A", "V4  Ext.A", "V5  Ext.B", "V6  Ext.B", "V7  Ext.C", "V8  Ext.C"};

bool isInput(int operand) {
    return operand >= 0 && operand < kAnalogChannels;
}

// Five digits, most significant first; a sign byte of "-" makes the value negative.
int readSigned(const std::array<std::uint8_t, kAnalogScalingFields>& row, int signField, int digitsField) {
    int value = 0;
    for (int i = 0; i < kAnalogScalingDigits; ++i) {
        value = value * 10 + row[digitsField + i] % 10;
    }
    return row[signField] == kNegative ? -value : value;
}

void writeSigned(std::array<std::uint8_t, kAnalogScalingFields>& row, int signField, int digitsField,
                 int value) {
    row[signField] = value < 0 ? kNegative : kPositive;
    int magnitude = std::abs(value);
    for (int i = kAnalogScalingDigits - 1; i >= 0; --i) {
        row[digitsField + i] = std::uint8_t(magnitude % 10);
        magnitude /= 10;
    }
}

// The scaling of two channels, or of a channel and the reference value, must agree for the
// comparison to mean what the user expects.
bool scalingAgrees(const Program& program, const AnalogRecord& record) {
    const AnalogScalingRecord first = ReadAnalogScaling(program, record.firstInput);
    if (record.secondOperand == kVref) {
        return first.decimalPoint == record.decimalPosition;
    }
    return first == ReadAnalogScaling(program, record.secondOperand);
}

bool askContinueDespiteScaling(const AnalogRecord& record, Prompter& prompter) {
    const QString crlf = QStringLiteral("\r\n");
    const QString text =
        LoadText(8488).arg(AnalogChannelName(record.firstInput), AnalogChannelName(record.secondOperand)) +
        crlf + LoadText(8489) + crlf + crlf + LoadText(8490);
    Message message{MessageIcon::Warning, text, {Reply::Yes, Reply::No, Reply::Help}};
    message.helpPage = QStringLiteral("analog.html");
    return prompter.show(message) == Reply::Yes;
}

// The message for an input on a module the program does not have; empty when present.
QString missingModuleMessage(const Program& program, int operand) {
    if (!isInput(operand)) {
        return {};
    }
    const int module = operand / kInputsPerModule;  // 0 base, 1..3 extension A..C
    if (module == 0 || program.ExtensionModules[module - 1] != 0) {
        return {};
    }
    return LoadText(ExtensionModuleANotSelected + module - 1);
}

}  // namespace

QStringList AnalogDecimalListTexts() {
    QStringList texts;
    for (int places = 0; places < kAnalogDecimalPositions; ++places) {
        texts << AnalogValueText(0, places);
    }
    return texts;
}

QString AnalogValueText(int count, int decimals) {
    // Five digits with a point, as the counters show their set points.
    const QString text =
        FormatSetPoint(std::abs(count), std::clamp(decimals, 0, kAnalogDecimalPositions - 1));
    return count < 0 ? QLatin1Char('-') + text : text;
}

QString AnalogChannelName(int operand) {
    return isInput(operand) ? QStringLiteral("V%1").arg(operand + 1) : QStringLiteral("VREF");
}

QStringList AnalogInputListTexts(bool withVref) {
    QStringList texts;
    for (const char* text : kInputListTexts) {
        texts << QString::fromLatin1(text);
    }
    if (withVref) {
        texts << QStringLiteral("VREF");
    }
    return texts;
}

AnalogRecord ReadAnalog(const Program& program, int block) {
    const auto& row = program.AnalogParams[block];
    AnalogRecord record;
    record.firstInput = (row[AnalogField::Operands] >> 1) & 0x07;
    record.secondOperand = row[AnalogField::Operands] >> 4;
    if (record.secondOperand > kVref) {
        record.secondOperand = kVref;
    }
    record.function = row[AnalogField::Function];
    const int magnitude = row[AnalogField::RefHigh] * 256 + row[AnalogField::RefLow];
    record.reference = row[AnalogField::Sign] == kNegative ? -magnitude : magnitude;
    record.decimalPosition = (row[AnalogField::Flags] & kDecimalBits) >> kDecimalShift;
    record.locked = (row[AnalogField::Flags] & kFlagLocked) != 0;
    return record;
}

void WriteAnalog(Program& program, int block, const AnalogRecord& record) {
    auto& row = program.AnalogParams[block];
    row[AnalogField::Flags] =
        std::uint8_t((row[AnalogField::Flags] & kFlagInUse) | (record.locked ? kFlagLocked : 0) |
                     ((record.decimalPosition << kDecimalShift) & kDecimalBits));
    const int reference = qBound(kLowestAnalogValue, record.reference, kHighestAnalogValue);
    const int magnitude = std::abs(reference);
    row[AnalogField::Sign] = reference < 0 ? kNegative : kPositive;
    row[AnalogField::RefHigh] = std::uint8_t(magnitude / 256);
    row[AnalogField::RefLow] = std::uint8_t(magnitude % 256);
    row[AnalogField::Operands] =
        std::uint8_t((record.firstInput & 0x07) * 2 + (record.secondOperand & 0x0F) * 16);
    row[AnalogField::Function] = std::uint8_t(record.function);
}

QString ClampReferenceEntry(const QString& typed) {
    static const QRegularExpression kWholeNumber(QStringLiteral("^\\s*([+-]?)\\d+\\s*$"));
    const QRegularExpressionMatch match = kWholeNumber.match(typed);
    if (!match.hasMatch()) {
        return typed;
    }
    const bool negative = match.captured(1) == QStringLiteral("-");
    bool ok = false;
    const qlonglong value = typed.trimmed().toLongLong(&ok);
    // Too many digits for any integer type counts as beyond the range on its side.
    if (negative && (!ok || value < kLowestAnalogValue)) {
        return QString::number(kLowestAnalogValue);
    }
    if (!negative && (!ok || value > kHighestAnalogValue)) {
        return QString::number(kHighestAnalogValue);
    }
    return typed;
}

std::optional<int> ParseAnalogValue(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < kLowestAnalogValue || value > kHighestAnalogValue) {
        return std::nullopt;
    }
    return value;
}

bool SaveAnalog(Program& program, int block, const AnalogRecord& record, const QString& referenceText,
                const QString& comment, bool simulation, Prompter& prompter) {
    const std::optional<int> reference = ParseAnalogValue(referenceText);
    if (!reference) {
        prompter.inform(LoadText(8491));
        return false;
    }
    AnalogRecord stored = record;
    stored.reference = *reference;
    if (!scalingAgrees(program, stored) && !askContinueDespiteScaling(stored, prompter)) {
        return false;
    }
    for (int operand : {stored.firstInput, stored.secondOperand}) {
        const QString missing = missingModuleMessage(program, operand);
        if (!missing.isEmpty()) {
            prompter.inform(missing);
            return false;
        }
    }
    if (!simulation && stored.firstInput == stored.secondOperand) {
        prompter.inform(LoadText(SameAnalogInput));
        return false;
    }
    WriteAnalog(program, block, stored);
    program.comment(Operand::A, block) = comment;
    program.ProgramModified = true;
    return true;
}

QString SaveAnalogQuestion(int blockNumber) {
    return LoadText(SaveAnalogFunction) + QString::number(blockNumber) + QStringLiteral(" ?");
}

AnalogScalingRecord ReadAnalogScaling(const Program& program, int channel) {
    const auto& row = program.AnalogScalingParams[channel];
    return {row[AnalogScalingField::DecimalPoint],
            readSigned(row, AnalogScalingField::MinSign, AnalogScalingField::Min),
            readSigned(row, AnalogScalingField::MaxSign, AnalogScalingField::Max)};
}

void WriteAnalogScaling(Program& program, int channel, const AnalogScalingRecord& record) {
    auto& row = program.AnalogScalingParams[channel];
    row[AnalogScalingField::DecimalPoint] = std::uint8_t(record.decimalPoint);
    writeSigned(row, AnalogScalingField::MinSign, AnalogScalingField::Min,
                qBound(kLowestAnalogValue, record.minimum, kHighestAnalogValue));
    writeSigned(row, AnalogScalingField::MaxSign, AnalogScalingField::Max,
                qBound(kLowestAnalogValue, record.maximum, kHighestAnalogValue));
}

Refusal CheckAnalogScalingEntry(const QString& typed) {
    const QString text = typed.trimmed();
    // Nothing yet, or only the sign of a negative number being typed.
    if (text.isEmpty() || text == QStringLiteral("-") || ParseAnalogValue(text)) {
        return std::nullopt;
    }
    return Message{MessageIcon::Warning, LoadText(8492), {Reply::Ok}, LoadText(8493)};
}

Refusal SaveAnalogScaling(Program& program, const std::array<AnalogScalingEntry, kAnalogChannels>& entries) {
    std::array<AnalogScalingRecord, kAnalogChannels> records{};
    for (int channel = 0; channel < kAnalogChannels; ++channel) {
        const AnalogScalingEntry& entry = entries[channel];
        const std::optional<int> maximum = ParseAnalogValue(entry.maximum);
        if (!maximum) {
            return InformationBox(LoadText(8494));
        }
        const std::optional<int> minimum = ParseAnalogValue(entry.minimum);
        if (!minimum) {
            return InformationBox(LoadText(8495));
        }
        records[channel] = {entry.decimalPoint, *minimum, *maximum};
    }
    for (int channel = 0; channel < kAnalogChannels; ++channel) {
        WriteAnalogScaling(program, channel, records[channel]);
    }
    program.ProgramModified = true;
    return std::nullopt;
}

}  // namespace bdx
