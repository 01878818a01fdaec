#include "pc_simulation.h"

#include "blocks/device_model.h"
#include "shell/prompter.h"

namespace bdx {

PcSimulation::PcSimulation(const Clock& clock) : blocks_(clock), engine_(blocks_) {}

PcSimulation::PcSimulation(const Clock& clock, Prompter& prompter) : PcSimulation(clock) {
    prompter_ = &prompter;
}

std::optional<RunRefusal> PcSimulation::Prepare(Program& program, const std::vector<ErrorRow>& errorList) {
    // The text display opens with the run on models that have one, and its view entry is
    // checked; the window may uncheck it later through blocks().
    blocks_.softTexts.setDisplayShown(HasDisplay(program.ModelIndex));
    return engine_.Prepare(program, errorList, dumpPath_);
}

bool PcSimulation::PrepareSimulation(Program& program, const std::vector<ErrorRow>& errorList) {
    std::optional<RunRefusal> refusal = Prepare(program, errorList);
    if (prompter_ != nullptr) {
        ShowRunRefusal(refusal, *prompter_);
    }
    return !refusal;
}

int PcSimulation::ScanOnce(int deviceInput) {
    const int result = engine_.ScanOnce(deviceInput);
    if (result != 2 && prompter_ != nullptr && !endMessage().isEmpty()) {
        prompter_->inform(endMessage());
    }
    return result;
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
