#pragma once

#include <array>
#include <cstdint>

#include "blocks/analog_record.h"
#include "ladder/program.h"

// Run-time evaluation of the analog function blocks A1..A12 against the eight analog inputs.
namespace bdx {

class ScanEngine;

// The panel's sliders are 16-bit values in hundredths of a volt; their range is 0..10.00 V.
inline constexpr int kAnalogSliderMaximum = 1000;

class AnalogEvaluation {
  public:
    // Clears the block outputs; the slider values stay, as the panel keeps them between runs.
    // The program must outlive the run.
    void PrepareRun(const Program& program);
    void Evaluate(ScanEngine& engine);

    // Slider of channel 0..7 (V1..V8) in hundredths of a volt, limited to the slider's range.
    void setSlider(int channel, int hundredthsOfVolt);
    int slider(int channel) const { return valid(channel) ? sliders_[channel] : 0; }

    // The channel's value converted by its scaling, in engineering units: unrounded, and
    // rounded to the channel's decimal places.
    double scaledValue(int channel) const;
    double roundedValue(int channel) const;
    // The rounded value as a count without its decimal point, and the channel's decimal places.
    int roundedCount(int channel) const;
    int decimalPlaces(int channel) const;

    // The band, in engineering units of a channel scaled by `scaling`, inside which an output
    // keeps its state: five slider steps. The analog dialog shows it as the hysteresis.
    static double SwitchOffBand(const AnalogScalingRecord& scaling);

    bool output(int block) const { return block >= 0 && block < kAnalogBlocks && outputs_[block]; }

  private:
    static bool valid(int channel) { return channel >= 0 && channel < kAnalogChannels; }
    double scaledCount(int channel) const;

    const Program* program_ = nullptr;
    std::array<int, kAnalogChannels> sliders_{};
    std::array<bool, kAnalogBlocks> outputs_{};
};

}  // namespace bdx
