#pragma once

#include <array>
#include <cstdint>

#include "ladder/program.h"

namespace bdx {

class ScanEngine;

inline constexpr int kSimCounters = 16;
inline constexpr int kSimCompareCounters = 16;

// The sixteen counters and sixteen compare counters of a simulation run. The displayed value
// is kept as a whole number of its last decimal place (123.45 at two places is 12345), so
// scaling, the set point and comparisons are exact.
class CounterEvaluation {
  public:
    // Clears every counter and compare output and converts the parameters; the usage flags
    // must be current.
    void PrepareRun(const Program& program);
    // First step of a scan, on the previous scan's network values.
    void EvaluateCounters(ScanEngine& engine);
    // After the network, on the displayed values of this scan's counter step.
    void EvaluateCompareCounters(ScanEngine& engine);
    // A dialog stored new parameters for counter or compare counter `index` (0-based) during
    // the run. The count is kept; the new scaling applies from the next scan.
    void ParametersChanged(const Program& program, int counter);
    void CompareParametersChanged(const Program& program, int compare);

    // The value the displays show ("PV") and the set point, in display units.
    double displayedValue(int counter) const;
    double setPoint(int counter) const;
    std::int64_t rawCount(int counter) const { return at(counter).raw; }
    // The displayed value and set point in units of the last decimal place.
    std::int64_t displayedUnits(int counter) const { return at(counter).shown; }
    int setPointUnits(int counter) const { return at(counter).setPoint; }
    int decimalPosition(int counter) const { return at(counter).decimals; }
    bool output(int counter) const { return at(counter).output; }
    // Reset was applied in the latest counter step.
    bool resetSeen(int counter) const { return at(counter).resetSeen; }
    bool compareOutput(int compare) const { return compares_[static_cast<std::size_t>(compare & 15)].output; }

  private:
    struct Counter {
        bool used = false;
        int decimals = 0;
        std::int64_t pulses = 1;  // "Number of Pulses"
        std::int64_t units = 1;   // "Desired Display Units"
        int setPoint = 0;
        std::int64_t raw = 0;
        std::int64_t shown = 0;
        bool resetSeen = false;
        bool output = false;
    };
    struct Compare {
        bool used = false;
        int first = 0;
        int second = 0;
        bool constantOperand = true;
        int constant = 0;
        int function = 0;
        bool output = false;
    };

    const Counter& at(int counter) const { return counters_[static_cast<std::size_t>(counter & 15)]; }
    void load(const Program& program, int counter);
    void loadCompare(const Program& program, int compare);
    static std::int64_t scaled(const Counter& c, std::int64_t raw);

    std::array<Counter, kSimCounters> counters_{};
    std::array<Compare, kSimCompareCounters> compares_{};
};

}  // namespace bdx
