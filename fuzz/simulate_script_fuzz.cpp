// libFuzzer target for the simulate script reader. The input is a script; its lines are read
// in order until the first one refused, as the command does. Every line taken must keep its
// times in order and its values in range, and must read back the same when written out again
// in plain form.
#include <cstdint>

#include "cli/simulate_script.h"
#include "fuzz_require.h"

namespace {

using namespace bdx;
using namespace bdx::cli;

const char* commandName(ScriptAction action) {
    switch (action) {
        case ScriptAction::Set:
            return "set";
        case ScriptAction::Expect:
            return "expect";
        case ScriptAction::Print:
            return "print";
        case ScriptAction::Display:
            return "display";
        case ScriptAction::Restart:
            return "restart";
        case ScriptAction::Parameters:
            return "parameters";
        case ScriptAction::Trace:
            break;
    }
    return "trace";
}

QString valueText(const ScriptOperand& operand) {
    if (IsBinaryOperand(operand.kind)) {
        return QString::number(static_cast<int>(operand.value));
    }
    if (operand.kind == OperandKind::Slider) {
        return FormatSimTime(static_cast<std::int64_t>(operand.value));  // hundredths of a volt
    }
    return QString::number(operand.value, 'f', 6);
}

QString plainForm(const ScriptLine& line) {
    QString text = FormatSimTime(line.time) + u' ' + QLatin1String(commandName(line.action));
    if (line.tab) {
        text += u' ' + MonitorTabKey(*line.tab);
    }
    const bool assigns = line.action == ScriptAction::Set || line.action == ScriptAction::Expect;
    for (const ScriptOperand& operand : line.operands) {
        text += u' ' + operand.name;
        if (assigns) {
            text += u'=' + valueText(operand);
        }
    }
    return text;
}

void requireSame(const ScriptLine& a, const ScriptLine& b) {
    FUZZ_REQUIRE(a.time == b.time && a.action == b.action && a.tab == b.tab);
    FUZZ_REQUIRE(a.operands.size() == b.operands.size());
    for (std::size_t i = 0; i < a.operands.size(); ++i) {
        const ScriptOperand& x = a.operands[i];
        const ScriptOperand& y = b.operands[i];
        FUZZ_REQUIRE(x.name == y.name && x.kind == y.kind && x.code == y.code && x.n == y.n && x.value == y.value);
    }
}

void requireInRange(const ScriptLine& line) {
    for (const ScriptOperand& operand : line.operands) {
        FUZZ_REQUIRE(!operand.name.isEmpty() && operand.n >= 1);
        if (IsBinaryOperand(operand.kind)) {
            FUZZ_REQUIRE(operand.value == 0.0 || operand.value == 1.0);
        } else if (operand.kind == OperandKind::Slider) {
            FUZZ_REQUIRE(operand.value >= 0.0 && operand.value <= 1000.0);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray script(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    std::int64_t previousTime = 0;
    for (const QByteArray& raw : script.split('\n')) {
        ScriptLine line;
        if (!ParseScriptLine(QString::fromUtf8(raw), previousTime, line).isEmpty()) {
            return 0;
        }
        if (line.time < 0) {
            continue;  // blank or comment
        }
        FUZZ_REQUIRE(line.time >= previousTime && line.time <= kMaxScriptTime);
        requireInRange(line);
        ScriptLine again;
        FUZZ_REQUIRE(ParseScriptLine(plainForm(line), previousTime, again).isEmpty());
        requireSame(line, again);
        previousTime = line.time;
    }
    return 0;
}
