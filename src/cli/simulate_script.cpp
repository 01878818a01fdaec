#include "simulate_script.h"

#include <QRegularExpression>
#include <QStringList>
#include <utility>

#include "sim/analog_evaluation.h"

namespace bdx::cli {

namespace {

QString parseValue(const QString& text, ScriptOperand& operand) {
    if (IsBinaryOperand(operand.kind)) {
        if (text != QLatin1String("0") && text != QLatin1String("1")) {
            return QStringLiteral("%1 takes 0 or 1, not %2").arg(operand.name, text);
        }
        operand.value = text.toInt();
        return QString();
    }
    if (operand.kind == OperandKind::Slider) {
        const std::optional<std::int64_t> volts = ParseHundredths(text);
        if (!volts || *volts > kAnalogSliderMaximum) {
            return QStringLiteral("%1 takes 0.00 to 10.00 volts, not %2").arg(operand.name, text);
        }
        operand.value = static_cast<double>(*volts);
        return QString();
    }
    static const QRegularExpression number(QStringLiteral("^-?\\d{1,9}(?:\\.\\d{1,6})?$"));
    if (!number.match(text).hasMatch()) {
        return QStringLiteral("%1 takes a number, not %2").arg(operand.name, text);
    }
    operand.value = text.toDouble();
    return QString();
}

// The words of a line between runs of white space; a scanner, since a long script has millions
// of lines and is read twice.
QStringList splitWords(const QString& text) {
    QStringList words;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        while (i < n && text[i].isSpace()) {
            ++i;
        }
        const qsizetype start = i;
        while (i < n && !text[i].isSpace()) {
            ++i;
        }
        if (i > start) {
            words << text.mid(start, i - start);
        }
    }
    return words;
}

}  // namespace

QString ParseScriptLine(const QString& raw, std::int64_t previousTime, ScriptLine& line) {
    const QString text = raw.left(raw.indexOf(u'#')).trimmed();
    const QStringList words = splitWords(text);
    if (words.isEmpty()) {
        line.time = -1;
        return QString();
    }
    const std::optional<std::int64_t> time = ParseHundredths(words[0]);
    if (!time) {
        return QStringLiteral("bad time %1").arg(words[0]);
    }
    if (*time > kMaxScriptTime) {
        return QStringLiteral("time %1 is beyond the maximum of %2 seconds (7 days)")
            .arg(words[0])
            .arg(kMaxScriptSeconds);
    }
    if (*time < previousTime) {
        return QStringLiteral("time %1 is earlier than the line before").arg(words[0]);
    }
    line.time = *time;
    if (words.size() < 2) {
        return QStringLiteral("missing command after the time");
    }
    static const std::pair<const char*, ScriptAction> kActions[] = {
        {"set", ScriptAction::Set},         {"expect", ScriptAction::Expect},   {"print", ScriptAction::Print},
        {"display", ScriptAction::Display}, {"restart", ScriptAction::Restart}, {"parameters", ScriptAction::Parameters},
        {"trace", ScriptAction::Trace}};
    bool known = false;
    for (const auto& entry : kActions) {
        if (words[1] == QLatin1String(entry.first)) {
            line.action = entry.second;
            known = true;
        }
    }
    if (!known) {
        return QStringLiteral("unknown command %1").arg(words[1]);
    }
    const QStringList arguments = words.mid(2);
    if (line.action == ScriptAction::Parameters) {
        if (arguments.size() > 1) {
            return QStringLiteral("parameters takes at most one tab");
        }
        if (!arguments.isEmpty()) {
            line.tab = MonitorTabOfKey(arguments[0]);
            if (!line.tab) {
                QStringList keys;
                for (MonitorTab tab : kMonitorTabOrder) {
                    keys << MonitorTabKey(tab);
                }
                return QStringLiteral("unknown tab %1 (%2)")
                    .arg(arguments[0], keys.join(QStringLiteral(", ")));
            }
        }
        return QString();
    }
    if (line.action == ScriptAction::Display || line.action == ScriptAction::Restart) {
        return arguments.isEmpty() ? QString() : QStringLiteral("%1 takes no operands").arg(words[1]);
    }
    if (arguments.isEmpty()) {
        return QStringLiteral("%1 needs at least one operand").arg(words[1]);
    }
    const bool assigns = line.action == ScriptAction::Set || line.action == ScriptAction::Expect;
    for (const QString& argument : arguments) {
        const qsizetype equals = argument.indexOf(u'=');
        if (assigns != (equals >= 0)) {
            return assigns ? QStringLiteral("%1 is not OPERAND=VALUE").arg(argument)
                           : QStringLiteral("%1 takes operands without values: %2").arg(words[1], argument);
        }
        ScriptOperand operand;
        QString error = ResolveSimOperand(assigns ? argument.left(equals) : argument,
                                          line.action == ScriptAction::Set ? OperandUse::Set : OperandUse::Read, operand);
        if (error.isEmpty() && assigns) {
            error = parseValue(argument.mid(equals + 1), operand);
        }
        if (!error.isEmpty()) {
            return error;
        }
        line.operands.push_back(operand);
    }
    return QString();
}

}  // namespace bdx::cli
