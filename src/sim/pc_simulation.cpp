#include "pc_simulation.h"

#include "blocks/device_model.h"

namespace bdx {

PcSimulation::PcSimulation(const Clock& clock, Prompter& prompter)
    : prompter_(prompter), blocks_(clock, prompter), engine_(blocks_) {}

bool PcSimulation::PrepareSimulation(Program& program, const std::vector<ErrorRow>& errorList) {
    // The text display opens with the run on models that have one, and its view entry is
    // checked; the window may uncheck it later through blocks().
    blocks_.softTexts.setDisplayShown(HasDisplay(program.ModelIndex));
    return engine_.PrepareSimulation(program, errorList, prompter_, dumpPath_);
}

bool PcSimulation::setSlider(int channel, int hundredths) {
    if (channel < 0 || channel >= kAnalogChannels) {
        return false;
    }
    blocks_.analog.setSlider(channel, hundredths);
    const int value = blocks_.analog.slider(channel);
    const SliderInput twin = SliderInputOf(channel);
    const bool before = engine_.input(twin.module, twin.n);
    bool after = before;
    if (value >= kSliderDigitalOn) {
        after = true;
    } else if (value < kSliderDigitalOff) {
        after = false;
    }
    if (after == before) {
        return false;
    }
    engine_.setInput(twin.module, twin.n, after);
    return true;
}

}  // namespace bdx
