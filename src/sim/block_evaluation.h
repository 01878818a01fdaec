#pragma once

#include "analog_evaluation.h"
#include "clock_block_evaluation.h"
#include "counter_evaluation.h"
#include "scan_engine.h"
#include "soft_text_evaluation.h"
#include "timer_evaluation.h"

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
