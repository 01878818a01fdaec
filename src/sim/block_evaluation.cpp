#include "block_evaluation.h"

namespace bdx {

BlockEvaluation::BlockEvaluation(const Clock& clock)
    : timers(clock), timeSwitches(clock), hourMeters(clock), softTexts(clock, hourMeters, analog, this) {}

void BlockEvaluation::PrepareRun(const Program& program) {
    timers.PrepareRun(program);
    counters.PrepareRun(program);
    timeSwitches.PrepareRun(program);
    hourMeters.PrepareRun(program);
    analog.PrepareRun(program);
    softTexts.PrepareRun(program);
}

void BlockEvaluation::ParametersStored(const Program& program, Operand kind, int number) {
    switch (kind) {
        case Operand::T:
            timers.ParametersChanged(program, number);
            break;
        case Operand::C:
            counters.ParametersChanged(program, number);
            break;
        case Operand::P:
            counters.CompareParametersChanged(program, number);
            break;
        case Operand::H:
            hourMeters.ReloadPreset(number);
            break;
        case Operand::X:
            softTexts.MessageChanged(number);
            break;
        default:
            break;
    }
}

double BlockEvaluation::timerPresetSeconds(int timer, bool offTime) const {
    return offTime ? timers.presetOffSeconds(timer) : timers.presetOnSeconds(timer);
}

double BlockEvaluation::timerCurrentSeconds(int timer) const {
    return timers.elapsedSeconds(timer);
}

double BlockEvaluation::counterSetPoint(int counter) const {
    return counters.setPoint(counter);
}

double BlockEvaluation::counterValue(int counter) const {
    return counters.displayedValue(counter);
}

}  // namespace bdx
