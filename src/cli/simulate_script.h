#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/parameter_monitor.h"
#include "sim/sim_operands.h"

// One line of a simulate script: "TIME COMMAND OPERANDS... # comment".
namespace bdx::cli {

// The latest time a script may name, in hundredths: a week, every day of the time switches.
// Beyond it a run would scan for hours.
inline constexpr std::int64_t kMaxScriptSeconds = 7 * 24 * 3600;
inline constexpr std::int64_t kMaxScriptTime = kMaxScriptSeconds * 100;

enum class ScriptAction { Set, Expect, Print, Display, Restart, Parameters, Trace };

// An operand of a script line and, for set and expect, its value.
struct ScriptOperand : SimOperand {
    double value = 0.0;
};

struct ScriptLine {
    int number = 0;
    std::int64_t time = 0;  // hundredths of a second since the start
    ScriptAction action = ScriptAction::Print;
    std::vector<ScriptOperand> operands;
    std::optional<MonitorTab> tab;  // parameters: one tab, or all of them
};

// One line of the script, whose time may not be earlier than `previousTime`; the reason when
// it is not a script line. A blank or comment line gives an empty reason and time -1.
QString ParseScriptLine(const QString& raw, std::int64_t previousTime, ScriptLine& line);

}  // namespace bdx::cli
