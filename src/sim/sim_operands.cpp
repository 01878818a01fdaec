#include "sim_operands.h"

#include <QRegularExpression>

#include "analog_evaluation.h"
#include "check/compiled_network.h"
#include "ladder/block_tables.h"
#include "ladder/ladder_codes.h"
#include "pc_simulation.h"

namespace bdx {

namespace {

const SignalRange* rangeOf(std::uint16_t openCode) {
    for (const SignalRange& range : kSignalRanges) {
        if (range.openCode == openCode) {
            return &range;
        }
    }
    return nullptr;
}

QString resolveSet(const QString& name, const QString& letter, const QString& field, SimOperand& operand) {
    const QString unknown = QStringLiteral("unknown operand %1").arg(name);
    if (!field.isEmpty()) {
        return QStringLiteral("%1 cannot be set").arg(name);
    }
    if (letter == QLatin1String("V")) {
        operand.kind = OperandKind::Slider;
        return operand.n >= 1 && operand.n <= kAnalogChannels ? QString() : unknown;
    }
    const QChar c = letter.size() == 1 ? letter[0] : QChar();
    if (c == u'I' || c == u'J' || c == u'K' || c == u'L') {
        operand.kind = OperandKind::Input;
    } else if (c == u'Z') {
        operand.kind = OperandKind::ZKey;
    } else {
        return QStringLiteral("%1 cannot be set").arg(name);
    }
    operand.code = static_cast<std::uint16_t>(c.unicode());
    const SignalRange* range = rangeOf(operand.code);
    return operand.n >= 1 && operand.n <= range->entries ? QString() : unknown;
}

}  // namespace

bool IsBinaryOperand(OperandKind kind) {
    return kind == OperandKind::Contact || kind == OperandKind::Input || kind == OperandKind::ZKey;
}

QString ResolveSimOperand(const QString& name, OperandUse use, SimOperand& operand) {
    static const QRegularExpression pattern(QStringLiteral("^(RTC|[A-Z])(\\d{1,2})(?:\\.(pv|mt|ot|v))?$"));
    const QRegularExpressionMatch m = pattern.match(name);
    if (!m.hasMatch()) {
        return QStringLiteral("unknown operand %1").arg(name);
    }
    const QString letter = m.captured(1);
    const QString field = m.captured(3);
    operand.name = name;
    operand.n = m.captured(2).toInt();
    if (use == OperandUse::Set) {
        return resolveSet(name, letter, field, operand);
    }

    QString unknown = QStringLiteral("unknown operand %1").arg(name);
    // The volts of an analog input, named as set names its slider.
    if (letter == QLatin1String("V") && field == QLatin1String("v")) {
        operand.kind = OperandKind::Slider;
        return operand.n >= 1 && operand.n <= kAnalogChannels ? QString() : unknown;
    }
    operand.code =
        letter == QLatin1String("RTC") ? ClockContactOpen : static_cast<std::uint16_t>(letter[0].unicode());
    const SignalRange* range = rangeOf(operand.code);
    if (range == nullptr || operand.n < 1 || operand.n > range->entries) {
        return unknown;
    }
    if (field.isEmpty()) {
        operand.kind = OperandKind::Contact;
    } else if (letter == QLatin1String("T") && field == QLatin1String("pv")) {
        operand.kind = OperandKind::TimerValue;
    } else if (letter == QLatin1String("C") && field == QLatin1String("pv")) {
        operand.kind = OperandKind::CounterValue;
    } else if (letter == QLatin1String("H") && field != QLatin1String("pv")) {
        operand.kind = field == QLatin1String("mt") ? OperandKind::Maintenance : OperandKind::Operate;
    } else {
        return unknown;
    }
    return QString();
}

double ReadSimOperand(const PcSimulation& sim, const SimOperand& operand) {
    const int index = operand.n - 1;
    const BlockEvaluation& blocks = sim.blocks();
    switch (operand.kind) {
        case OperandKind::TimerValue:
            return blocks.timers.elapsedSeconds(index);
        case OperandKind::CounterValue:
            return blocks.counters.displayedValue(index);
        case OperandKind::Maintenance:
            return blocks.hourMeters.maintenanceSeconds(index);
        case OperandKind::Operate:
            return blocks.hourMeters.operateSeconds(index);
        case OperandKind::Slider:
            return sim.slider(index) / 100.0;
        default:
            return sim.engine().operandValue(operand.code, operand.n) ? 1.0 : 0.0;
    }
}

void WriteSimOperand(PcSimulation& sim, const SimOperand& operand, double value) {
    const bool on = value != 0.0;
    switch (operand.kind) {
        case OperandKind::Input:
            sim.setInput(static_cast<char>(operand.code), operand.n, on);
            break;
        case OperandKind::ZKey:
            sim.engine().setOperand(operand.code, operand.n, on);
            break;
        case OperandKind::Slider:
            sim.setSlider(operand.n - 1, static_cast<int>(value));
            break;
        default:
            break;
    }
}

std::optional<std::int64_t> ParseHundredths(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,9})(?:\\.(\\d{1,2}))?$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    const QString fraction = m.captured(2).leftJustified(2, u'0');
    return m.captured(1).toLongLong() * 100 + fraction.toInt();
}

QString FormatSimTime(std::int64_t hundredths) {
    QString text = QString::number(hundredths / 100);
    if (hundredths % 100 != 0) {
        text += u'.' + QStringLiteral("%1").arg(hundredths % 100, 2, 10, QChar(u'0'));
        while (text.endsWith(u'0')) {
            text.chop(1);
        }
    }
    return text;
}

QString FormatSimValue(double value) {
    QString text = QString::number(value, 'f', 4);
    while (text.endsWith(u'0')) {
        text.chop(1);
    }
    if (text.endsWith(u'.')) {
        text.chop(1);
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

}  // namespace bdx
