#include "timer_live_status.h"

#include "sim/scan_engine.h"

namespace bdx {
namespace {

enum TextId {
    OutputActive = 4168,
    OutputNotActive = 4169,
    ResetActive = 4173,
    ResetNotActive = 4174,
    ResetUnconnected = 4175,
    TriggerActive = 4179,
    TriggerNotActive = 4180,
    TriggerUnconnected = 4181,
};

InputLevel LevelOf(const ScanEngine& engine, std::uint16_t coilEntry) {
    if (coilEntry == kUnassigned) {
        return InputLevel::Unconnected;
    }
    return engine.isActive(coilEntry) ? InputLevel::Active : InputLevel::NotActive;
}

int StatusTextId(InputLevel level, int active, int notActive, int unconnected) {
    switch (level) {
        case InputLevel::Active:
            return active;
        case InputLevel::NotActive:
            return notActive;
        case InputLevel::Unconnected:
            break;
    }
    return unconnected;
}

}  // namespace

TimerLiveStatus ReadTimerLiveStatus(const ScanEngine& engine, int timer) {
    const auto n = static_cast<std::size_t>(timer & 15);
    const TimerCoils& coils = engine.network().coils.T;
    const SignalRange& signals = SignalRangeOf('T');
    return {LevelOf(engine, coils.trigger[n]), LevelOf(engine, coils.reset[n]),
            engine.signal(signals.openBase + static_cast<int>(n))};
}

int TriggerStatusTextId(InputLevel level) {
    return StatusTextId(level, TriggerActive, TriggerNotActive, TriggerUnconnected);
}

int ResetStatusTextId(InputLevel level) {
    return StatusTextId(level, ResetActive, ResetNotActive, ResetUnconnected);
}

int OutputStatusTextId(bool on) {
    return on ? OutputActive : OutputNotActive;
}

}  // namespace bdx
