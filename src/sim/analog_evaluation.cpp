#include "analog_evaluation.h"

#include <algorithm>
#include <cmath>

#include "blocks/analog_record.h"
#include "sim/scan_engine.h"

namespace bdx {

namespace {

constexpr SignalRange kAnalogSignals = SignalRangeOf('A');

// Slider steps a channel moves before an output that has switched on may switch off again.
constexpr double kBandSteps = 5.0;

double powerOfTen(int places) {
    double factor = 1.0;
    for (int i = 0; i < places; ++i) {
        factor *= 10.0;
    }
    return factor;
}

// Rounded values are compared as whole counts of 10^-5, so that channels with different
// decimal places compare exactly.
std::int64_t fixedPoint(double value) {
    return std::llround(value * 1e5);
}

enum Function { Greater = 0, Less = 1, GreaterEqual = 2, LessEqual = 3, Equal = 4, NotEqual = 5 };

}  // namespace

void AnalogEvaluation::PrepareRun(const Program& program) {
    program_ = &program;
    outputs_ = {};
}

void AnalogEvaluation::setSlider(int channel, int hundredthsOfVolt) {
    if (valid(channel)) {
        sliders_[channel] = std::clamp(hundredthsOfVolt, 0, kAnalogSliderMaximum);
    }
}

double AnalogEvaluation::SwitchOffBand(const AnalogScalingRecord& scaling) {
    return kBandSteps * std::abs(double(scaling.maximum - scaling.minimum)) / kAnalogSliderMaximum /
           powerOfTen(std::clamp(scaling.decimalPoint, 0, kAnalogScalingDigits - 1));
}

int AnalogEvaluation::decimalPlaces(int channel) const {
    if (program_ == nullptr || !valid(channel)) {
        return 0;
    }
    return std::clamp(ReadAnalogScaling(*program_, channel).decimalPoint, 0, kAnalogScalingDigits - 1);
}

// The slider's share of the full range laid linearly over minimum..maximum.
double AnalogEvaluation::scaledCount(int channel) const {
    if (program_ == nullptr || !valid(channel)) {
        return 0.0;
    }
    const AnalogScalingRecord s = ReadAnalogScaling(*program_, channel);
    return s.minimum + double(s.maximum - s.minimum) * sliders_[channel] / kAnalogSliderMaximum;
}

int AnalogEvaluation::roundedCount(int channel) const {
    return static_cast<int>(std::lround(scaledCount(channel)));
}

double AnalogEvaluation::scaledValue(int channel) const {
    return scaledCount(channel) / powerOfTen(decimalPlaces(channel));
}

double AnalogEvaluation::roundedValue(int channel) const {
    return roundedCount(channel) / powerOfTen(decimalPlaces(channel));
}

void AnalogEvaluation::Evaluate(ScanEngine& engine) {
    if (program_ == nullptr) {
        return;
    }
    for (int n = 0; n < kAnalogBlocks; ++n) {
        if ((program_->AnalogParams[n][AnalogField::Flags] & kFlagInUse) == 0) {
            continue;
        }
        const AnalogRecord block = ReadAnalog(*program_, n);
        const int first = block.firstInput & 7;
        const double s1 = scaledValue(first);
        const std::int64_t r1 = fixedPoint(roundedValue(first));
        double s2 = 0.0;
        std::int64_t r2 = 0;
        if (block.secondOperand < kVref) {
            const int second = block.secondOperand & 7;
            s2 = scaledValue(second);
            r2 = fixedPoint(roundedValue(second));
        } else {
            s2 = block.reference / powerOfTen(std::clamp(block.decimalPosition, 0, 7));
            r2 = fixedPoint(s2);
        }
        const double band = SwitchOffBand(ReadAnalogScaling(*program_, first));

        bool& out = outputs_[n];
        switch (block.function) {
            case Greater:
                out = r1 > r2 ? true : s1 <= s2 - band ? false : out;
                break;
            case Less:
                out = r1 < r2 ? true : s2 <= s1 - band ? false : out;
                break;
            case GreaterEqual:
                out = r1 >= r2 ? true : s1 < s2 - band ? false : out;
                break;
            case LessEqual:
                out = r1 <= r2 ? true : s2 < s1 - band ? false : out;
                break;
            case Equal:
            case NotEqual: {
                // Both as the state of "="; unequal rounded values switch it off only once the
                // values are a band apart.
                const bool notEqual = block.function == NotEqual;
                const bool wasEqual = out != notEqual;
                const bool equal = r1 == r2 || (std::abs(s1 - s2) < band && wasEqual);
                out = equal != notEqual;
                break;
            }
            default:
                out = false;
                break;
        }
        engine.setSignalPair(static_cast<std::uint16_t>(kAnalogSignals.openBase + n),
                             static_cast<std::uint16_t>(kAnalogSignals.closedBase + n), out);
    }
}

}  // namespace bdx
