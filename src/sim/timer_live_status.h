#pragma once

namespace bdx {

class ScanEngine;

// How a block input stands in the running program.
enum class InputLevel { Unconnected, NotActive, Active };

// What the timer dialog shows of a running timer: its two inputs as the last scan saw them and
// its output contact.
struct TimerLiveStatus {
    InputLevel trigger = InputLevel::Unconnected;
    InputLevel reset = InputLevel::Unconnected;
    bool output = false;

    bool operator==(const TimerLiveStatus&) const = default;
};

// Timer `timer` (0-based) after the latest scan of `engine`.
TimerLiveStatus ReadTimerLiveStatus(const ScanEngine& engine, int timer);

// Text ids of the dialog's status lines: "Trigger: Active" / "... Not Active" / "... Unconnected",
// the same for "Reset: ...", and "Output: Active" / "Output: Not Active".
int TriggerStatusTextId(InputLevel level);
int ResetStatusTextId(InputLevel level);
int OutputStatusTextId(bool on);

}  // namespace bdx
