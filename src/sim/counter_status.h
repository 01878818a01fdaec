#pragma once

#include <QString>

namespace bdx {

class CounterEvaluation;
class ScanEngine;

// What the counter and compare counter dialogs show of a running block.
enum class InputState { Active, NotActive, Unconnected };
enum class CounterInput { Count, Reset, Direction };

struct CounterLiveState {
    InputState count = InputState::Unconnected;
    InputState reset = InputState::Unconnected;
    InputState direction = InputState::Unconnected;
    bool output = false;
    QString value;  // the displayed value with its decimal point, "00012" or "001.25"
};

// Counter `counter` (0-based) as the latest scan left it.
CounterLiveState CounterLive(const ScanEngine& engine, const CounterEvaluation& counters, int counter);
// The displayed value of counter `counter` with its decimal point.
QString CounterValueText(const CounterEvaluation& counters, int counter);

// "Count: Active", "Reset: Unconnected", "Direction: Active (down)" ... in the current language.
QString InputStateText(CounterInput input, InputState state);
// "Output: Active" / "Output: Not Active".
QString OutputStateText(bool on);

}  // namespace bdx
