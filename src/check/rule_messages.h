#pragma once

#include <QString>

// Texts of the rule checker's error list. They are built in code rather than taken from the
// language table; each is a pattern whose %1, %2, %3 the checker fills with numbers and names.
namespace bdx {

enum class RuleMessage {
    // Wiring
    ImproperConnection,
    ImproperOrMissingConnection,
    LeftConnectionMissing,
    RightConnectionMissing,
    UpNotRequired,
    UpOpen,
    DownOpen,
    DownNotRequired,
    RungWithoutInput,
    RungWithoutOutput,
    // Output and auxiliary coils; %1 is the operand, for example "Q1"
    CoilNotDefined,
    CoilMoreThanOnce,
    CoilMultipleWays,
    CoilSetResetImproper,
    CoilRetentivityError,
    // Timers; %1 is the timer number
    TimerNeedsTrigger,
    TimerPresetZero,
    TimerTriggerTwice,
    TimerResetTwice,
    // Counters; %1 is the counter number
    CounterNeedsCount,
    CounterCountTwice,
    CounterResetTwice,
    CounterDirectionTwice,
    // Soft text messages; %1 is the message number
    TextTriggerTwice,
    TextTimerData,      // %2 value name, %3 timer number
    TextCounterData,    // %2 value name, %3 counter number
    TextHourMeterData,  // %2 value name, %3 hour meter number
    TextAnalogData,     // %2 analog input number
    TextIncompatible,
    // Configuration and device model
    ExtensionModuleNotSelected,  // %1 module letter
    AnalogNotPermitted,
    InputsSevenEightMissing,
    SoftTextNotPermitted,
    ZKeysNotPermitted,
    // Block parameters
    ClockDaysUndefined,       // %1 time switch number
    CompareSameCounters,      // %1 compare counter number
    CompareCounterUndefined,  // %1 compare counter number, %2 counter number
    AnalogSameInputs,         // %1 analog block number
    HourMeterNeedsEnable,     // %1 hour meter number, and so on
    HourMeterPresetZero,
    HourMeterEnableTwice,
    HourMeterResetTwice,
    HourMeterResetAllTwice,
    // A grid word no element, number, junction or coil has; %1 is the word as stored
    UnknownGridCode,
};
inline constexpr int kRuleMessageCount = static_cast<int>(RuleMessage::UnknownGridCode) + 1;

// Pattern of a message in a language: Portuguese, Polish or Spanish by their offsets, English for
// any other offset. The analog block text alone comes from the language table.
QString RuleMessageText(RuleMessage message, int languageOffset);
// The same in the language in force.
QString RuleMessageText(RuleMessage message);

}  // namespace bdx
