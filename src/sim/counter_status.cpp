#include "counter_status.h"

#include "blocks/counter_record.h"
#include "counter_evaluation.h"
#include "scan_engine.h"
#include "shell/language_table.h"

namespace bdx {
namespace {

// Each input has three texts in a row: active, not active, unconnected.
constexpr int kCountTexts = 4170;
constexpr int kTextsPerInput = 3;
constexpr int kOutputActive = 4168;
constexpr int kOutputNotActive = 4169;

InputState StateOf(const ScanEngine& engine, std::uint16_t entry) {
    if (entry >= kMaxOrGroups) {
        return InputState::Unconnected;
    }
    return engine.isActive(entry) ? InputState::Active : InputState::NotActive;
}

}  // namespace

CounterLiveState CounterLive(const ScanEngine& engine, const CounterEvaluation& counters, int counter) {
    const int n = counter & 15;
    const CounterCoils& coils = engine.network().coils.C;
    CounterLiveState state;
    state.count = StateOf(engine, coils.count[static_cast<std::size_t>(n)]);
    state.reset = StateOf(engine, coils.reset[static_cast<std::size_t>(n)]);
    state.direction = StateOf(engine, coils.direction[static_cast<std::size_t>(n)]);
    state.output = counters.output(n);
    state.value = CounterValueText(counters, n);
    return state;
}

QString CounterValueText(const CounterEvaluation& counters, int counter) {
    return FormatSetPoint(static_cast<int>(counters.displayedUnits(counter)),
                          counters.decimalPosition(counter));
}

QString InputStateText(CounterInput input, InputState state) {
    return LoadText(kCountTexts + kTextsPerInput * static_cast<int>(input) + static_cast<int>(state));
}

QString OutputStateText(bool on) {
    return LoadText(on ? kOutputActive : kOutputNotActive);
}

}  // namespace bdx
