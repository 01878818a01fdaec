#pragma once

#include <array>
#include <cstdint>

#include "ladder/program.h"
#include "sim/clock.h"

// Run-time evaluation of the blocks that follow the clock: the 16 time switches and the 4 hour
// meters. Both read their parameter records from the running program on every scan, so a
// dialog that stores new parameters during a run takes effect at the next scan.
namespace bdx {

class ScanEngine;

class TimeSwitchEvaluation {
  public:
    explicit TimeSwitchEvaluation(const Clock& clock) : clock_(clock) {}

    // The program must outlive the run.
    void PrepareRun(const Program& program) { program_ = &program; }
    // Switches every time-switch entry off, then on for each used block whose time has come.
    void Evaluate(ScanEngine& engine) const;

    // Whether block 0..15 is on at `now`, by the program's generation; unused blocks are off.
    static bool IsOn(const Program& program, int block, const LocalDateTime& now);

  private:
    const Clock& clock_;
    const Program* program_ = nullptr;
};

class HourMeterEvaluation {
  public:
    explicit HourMeterEvaluation(const Clock& clock) : clock_(clock) {}

    // Clears all four meters and converts the presets.
    void PrepareRun(const Program& program);
    // Again after the hour meter dialog has stored new parameters for meter 0..3 during a run.
    void ReloadPreset(int meter);
    void Evaluate(ScanEngine& engine);

    // Accumulated seconds of meter 0..3, for the displays.
    double maintenanceSeconds(int meter) const { return valid(meter) ? meters_[meter].maintenance : 0.0; }
    double operateSeconds(int meter) const { return valid(meter) ? meters_[meter].operate : 0.0; }
    double presetSeconds(int meter) const { return valid(meter) ? double(meters_[meter].preset) : 0.0; }

  private:
    struct Meter {
        double maintenance = 0.0;
        double operate = 0.0;
        std::int64_t lastStamp = 0;  // hundredths
        bool enabled = false;        // enable seen in the previous scan
        std::int64_t preset = 0;     // seconds
    };
    static bool valid(int meter) { return meter >= 0 && meter < kHourMeters; }

    const Clock& clock_;
    const Program* program_ = nullptr;
    std::array<Meter, kHourMeters> meters_{};
};

}  // namespace bdx
