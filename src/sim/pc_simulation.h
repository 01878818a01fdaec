#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "block_evaluation.h"
#include "check/rule_checker.h"
#include "ladder/program.h"
#include "scan_engine.h"

namespace bdx {

class Clock;
class Prompter;

// Inputs 7 and 8 of every module are also analog inputs: a slider at or above 8.19 V reads as a
// ticked input, one below 4.09 V as an unticked one, and in between the input keeps its state.
inline constexpr int kSliderDigitalOn = 819;
inline constexpr int kSliderDigitalOff = 409;
inline constexpr int kSlidersPerModule = 2;

// The digital input that shares its terminal with analog slider `channel` 0..7.
struct SliderInput {
    char module;  // 'I', 'J', 'K', 'L'
    int n;        // 7 or 8
};
constexpr SliderInput SliderInputOf(int channel) {
    return {"IJKL"[(channel / kSlidersPerModule) & 3], 7 + channel % kSlidersPerModule};
}

// Simulation with the PC without its windows: the scan engine and the block evaluation on one
// clock, with the input image and the analog sliders that the input/output panel (or a script)
// drives. The image and the sliders survive from one run to the next, as do retentive relays.
class PcSimulation {
  public:
    // Refusals and the reason a run ended are left as values for the caller.
    explicit PcSimulation(const Clock& clock);
    // A window's simulation: PrepareSimulation and ScanOnce also show them through the prompter.
    PcSimulation(const Clock& clock, Prompter& prompter);
    PcSimulation(const PcSimulation&) = delete;
    PcSimulation& operator=(const PcSimulation&) = delete;

    // Validates and compiles the program and prepares the engine and the blocks. The refusal,
    // with nothing running, when the program must not run.
    std::optional<RunRefusal> Prepare(Program& program, const std::vector<ErrorRow>& errorList);
    // The same, true when the run may start; a refusal is shown through the prompter, if any.
    bool PrepareSimulation(Program& program, const std::vector<ErrorRow>& errorList);
    // One scan, with the panel's inputs when `deviceInput` is 0: 2 while the run goes on, 1 when
    // it must end. The end message is shown through the prompter, if any.
    int ScanOnce(int deviceInput = 0);
    // Why the latest run was ended by the program itself; empty while it goes on.
    const QString& endMessage() const { return blocks_.softTexts.endMessage(); }
    void EndSimulation() { engine_.EndSimulation(); }
    bool running() const { return engine_.running(); }

    // Module 'I', 'J', 'K' or 'L', input 1..8; read at the next scan.
    void setInput(char module, int n, bool on) { engine_.setInput(module, n, on); }
    bool input(char module, int n) const { return engine_.input(module, n); }

    // Analog slider `channel` 0..7 in hundredths of a volt, held to 0..10.00 V. Ticks or unticks
    // the digital twin of the channel by the hysteresis above; true when that input changed.
    bool setSlider(int channel, int hundredths);
    int slider(int channel) const { return blocks_.analog.slider(channel); }

    // Where the compilation writes its diagnostic dump; empty for none.
    void setDumpPath(const QString& path) { dumpPath_ = path; }

    ScanEngine& engine() { return engine_; }
    const ScanEngine& engine() const { return engine_; }
    BlockEvaluation& blocks() { return blocks_; }
    const BlockEvaluation& blocks() const { return blocks_; }

  private:
    Prompter* prompter_ = nullptr;
    BlockEvaluation blocks_;
    ScanEngine engine_;
    QString dumpPath_;
};

}  // namespace bdx
