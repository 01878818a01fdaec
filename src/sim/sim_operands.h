#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace bdx {

class PcSimulation;

// What an operand name of a running simulation reads or writes.
enum class OperandKind { Contact, Input, ZKey, Slider, TimerValue, CounterValue, Maintenance, Operate };

// Reading takes every contact and the live values; setting takes only what the input panel
// drives (inputs, Z keys, analog sliders in volts).
enum class OperandUse { Read, Set };

// One operand of a simulation by the name users write: "I1", "Q2", "RTC3", "T1.pv", "C2.pv",
// "H1.mt", "H1.ot", "V1.v" (the volts of analog input 1); for setting also "V1".."V8", the
// analog sliders in volts.
struct SimOperand {
    QString name;  // as written
    OperandKind kind = OperandKind::Contact;
    std::uint16_t code = 0;  // element code of the normally open contact
    int n = 0;               // 1-based
};

// True for the operands that are 0 or 1.
bool IsBinaryOperand(OperandKind kind);

// Resolves `name` for `use`; an empty error means success.
QString ResolveSimOperand(const QString& name, OperandUse use, SimOperand& operand);

// The operand's value after the latest scan: 0 or 1 for a binary one, seconds for the live
// values, volts for a slider.
double ReadSimOperand(const PcSimulation& sim, const SimOperand& operand);
// Writes an input, a Z key (0 or 1) or a slider (hundredths of a volt); read at the next scan.
void WriteSimOperand(PcSimulation& sim, const SimOperand& operand, double value);

// Seconds with at most two decimals, the clock's resolution, as hundredths.
std::optional<std::int64_t> ParseHundredths(const QString& text);
// Hundredths as seconds without trailing zeros: 0, 4.9, 12.05.
QString FormatSimTime(std::int64_t hundredths);
// A value as print shows it: up to four decimals (counters show that many), no trailing zeros.
QString FormatSimValue(double value);

}  // namespace bdx
