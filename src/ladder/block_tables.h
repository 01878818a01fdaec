#pragma once

#include <array>
#include <cstdint>

// Sizes and field positions of the function-block parameter tables. In memory every
// table is [block][field]; the program file writes one block per line in that order.
namespace bdx {

template <int Blocks, int Fields>
using ParamTable = std::array<std::array<std::uint8_t, Fields>, Blocks>;

inline constexpr int kTimeSwitches = 16;
inline constexpr int kTimers = 16;
inline constexpr int kCounters = 16;
inline constexpr int kAnalogBlocks = 12;
inline constexpr int kCompareCounters = 16;
inline constexpr int kHourMeters = 4;
inline constexpr int kSoftTexts = 16;
inline constexpr int kAnalogChannels = 8;

inline constexpr int kTimeSwitchFields = 7;
inline constexpr int kTimerFields = 11;
inline constexpr int kCounterFields = 16;
inline constexpr int kAnalogFields = 6;
inline constexpr int kCompareFields = 7;
inline constexpr int kHourMeterFields = 6;
inline constexpr int kSoftTextFields = 36;
inline constexpr int kAnalogScalingFields = 13;

using TimeSwitchTable = ParamTable<kTimeSwitches, kTimeSwitchFields>;
using TimerTable = ParamTable<kTimers, kTimerFields>;
using CounterTable = ParamTable<kCounters, kCounterFields>;
using AnalogTable = ParamTable<kAnalogBlocks, kAnalogFields>;
using CompareTable = ParamTable<kCompareCounters, kCompareFields>;
using HourMeterTable = ParamTable<kHourMeters, kHourMeterFields>;
using SoftTextTable = ParamTable<kSoftTexts, kSoftTextFields>;
using AnalogScalingTable = ParamTable<kAnalogChannels, kAnalogScalingFields>;

// Flag bits shared by the first field of every block record.
inline constexpr std::uint8_t kFlagInUse = 0x01;
inline constexpr std::uint8_t kFlagLocked = 0x02;

namespace TimeSwitchField {
inline constexpr int Flags = 0, StartDay = 1, EndDay = 2, OnHour = 3, OnMinute = 4, OffHour = 5,
                     OffMinute = 6;
// Second-generation blocks keep day masks where the first generation keeps days.
inline constexpr int OnDays = StartDay, OffDays = EndDay;
}  // namespace TimeSwitchField

namespace TimerField {
inline constexpr int Flags = 0, Units = 1, Type = 2, OnTime = 3, OffTime = 7;
}

namespace CounterField {
inline constexpr int Flags = 0, SetPoint = 1, Pulses = 6, DisplayUnits = 11;
}

namespace AnalogField {
inline constexpr int Flags = 0, RefHigh = 1, RefLow = 2, Operands = 3, Function = 4, Sign = 5;
}

namespace CompareField {
inline constexpr int Flags = 0, Constant = 1, Counters = 6;
}

namespace HourMeterField {
inline constexpr int Flags = 0, Preset = 1;
}

namespace AnalogScalingField {
inline constexpr int DecimalPoint = 0, MinSign = 1, Min = 2, MaxSign = 7, Max = 8;
}

}  // namespace bdx
