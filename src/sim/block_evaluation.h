#pragma once

#include "analog_evaluation.h"
#include "clock_block_evaluation.h"
#include "counter_evaluation.h"
#include "scan_engine.h"
#include "soft_text_evaluation.h"
#include "timer_evaluation.h"

#include "ladder/operands.h"

namespace bdx {

class Clock;

// Every block kind evaluated in its place of the scan, on one clock. The parts stay reachable
// for the displays, the block dialogs (parameter changes during a run) and the analog sliders.
class BlockEvaluation : public BlockEvaluator, private TimerCounterValues {
  public:
    explicit BlockEvaluation(const Clock& clock);

    void PrepareRun(const Program& program) override;
    void EvaluateCounters(ScanEngine& engine) override { counters.EvaluateCounters(engine); }
    void EvaluateTimeSwitches(ScanEngine& engine) override { timeSwitches.Evaluate(engine); }
    void EvaluateAnalogBlocks(ScanEngine& engine) override { analog.Evaluate(engine); }
    void EvaluateHourMeter(ScanEngine& engine) override { hourMeters.Evaluate(engine); }
    void EvaluateCompareCounters(ScanEngine& engine) override { counters.EvaluateCompareCounters(engine); }
    void EvaluateTimers(ScanEngine& engine) override { timers.Evaluate(engine); }
    bool EvaluateSoftTextBlocks(ScanEngine& engine) override { return softTexts.Evaluate(engine); }

    // A block dialog stored new parameters for block `number` (0-based) of `kind` during the
    // run: the blocks that convert their presets once per run take the new ones. The others
    // read the program every scan and need nothing.
    void ParametersStored(const Program& program, Operand kind, int number);

    TimerEvaluation timers;
    CounterEvaluation counters;
    TimeSwitchEvaluation timeSwitches;
    HourMeterEvaluation hourMeters;
    AnalogEvaluation analog;
    SoftTextEvaluation softTexts;

  private:
    double timerPresetSeconds(int timer, bool offTime) const override;
    double timerCurrentSeconds(int timer) const override;
    double counterSetPoint(int counter) const override;
    double counterValue(int counter) const override;
};

}  // namespace bdx
