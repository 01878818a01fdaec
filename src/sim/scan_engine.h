#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "check/compiled_network.h"
#include "check/rule_checker.h"
#include "check/validate_before_run.h"
#include "ladder/program.h"
#include "scan_network.h"

namespace bdx {

class Prompter;
class ScanEngine;

// The steps of a scan that belong to the function blocks. ScanOnce calls them at their fixed
// places; the block evaluation supplies them by overriding these methods, the defaults do
// nothing. Each runs inside the scan, so an implementation must not allocate either.
class BlockEvaluator {
  public:
    virtual ~BlockEvaluator() = default;

    // When a run is prepared: clear the block run-time values and convert the presets.
    virtual void PrepareRun(const Program&) {}

    virtual void EvaluateCounters(ScanEngine&) {}      // first, on last scan's OR3 values
    virtual void EvaluateTimeSwitches(ScanEngine&) {}  // after the inputs
    virtual void EvaluateAnalogBlocks(ScanEngine&) {}  // only on models with analog inputs
    virtual void EvaluateHourMeter(ScanEngine&) {}     // after the network
    virtual void EvaluateCompareCounters(ScanEngine&) {}
    virtual void EvaluateTimers(ScanEngine&) {}
    // Tidying of the run-time displays once the coils are written, before the soft texts.
    virtual void PostScanHousekeeping(ScanEngine&) {}
    // False ends the run.
    virtual bool EvaluateSoftTextBlocks(ScanEngine&) { return true; }
};

// Entries 0..440 are copied at the start of every scan for edge detection.
inline constexpr int kPreviousSignalCount = 441;
inline constexpr int kInputModules = 4;  // I, J, K, L
inline constexpr int kInputsPerModule = 8;
inline constexpr std::uint8_t kNoRetentiveRelay = 255;

// Runs a compiled ladder program scan by scan against an input image. Owns the signal table,
// the network values and the retentive relay list; they live as long as the program is open,
// so retentive relays keep their values from one simulation run to the next.
class ScanEngine {
  public:
    // Without an evaluator the block steps do nothing.
    ScanEngine();
    explicit ScanEngine(BlockEvaluator& blocks);
    ScanEngine(const ScanEngine&) = delete;
    ScanEngine& operator=(const ScanEngine&) = delete;

    // Validates and compiles the program, initialises the signal table and clears the block
    // run-time values; the network values of the last run stay for edge detection. Also rebuilds the block usage flags, the only change to `program`. The refusal,
    // with the run flag clear and the signals untouched, when the program must not run.
    std::optional<RunRefusal> Prepare(Program& program, const std::vector<ErrorRow>& errorList,
                                      const QString& dumpPath = QString());
    // The same for a window: false, after showing the refusal.
    bool PrepareSimulation(Program& program, const std::vector<ErrorRow>& errorList, Prompter& prompter,
                           const QString& dumpPath = QString()) {
        return !ShowRunRefusal(Prepare(program, errorList, dumpPath), prompter);
    }
    // One scan. With `deviceInput` 0 the inputs come from the input image, otherwise the caller
    // has written them into the signal table. 2 while the run goes on, 1 when it must end.
    int ScanOnce(int deviceInput);
    void EndSimulation() { running_ = false; }
    bool running() const { return running_; }

    // The input panel: module 'I', 'J', 'K' or 'L', input 1..8. Read at the next scan.
    void setInput(char module, int n, bool on);
    bool input(char module, int n) const;
    void clearInputs() { inputs_.fill(0); }

    // Operand by its (normally open or closed) element code and 1-based number; false for
    // anything outside the table.
    bool operandValue(std::uint16_t code, int n) const;
    bool signal(int devId) const { return devId >= 0 && devId < kSignalCount && signals_[devId] != 0; }
    bool previousSignal(int devId) const {
        return devId >= 0 && devId < kPreviousSignalCount && previous_[devId] != 0;
    }
    // Writers keep the two entries of an operand each other's inverse.
    void setOperand(std::uint16_t code, int n, bool on);
    void setSignalPair(std::uint16_t openId, std::uint16_t closedId, bool on) {
        if (openId >= kSignalCount || closedId >= kSignalCount) {
            return;
        }
        signals_[openId] = on ? 1 : 0;
        signals_[closedId] = on ? 0 : 1;
    }

    // A coil-table entry is active when it names an OR3 group that is on in this scan; a
    // rising edge when that group was also off in the previous scan.
    bool isActive(std::uint16_t coilEntry) const {
        return coilEntry < kMaxOrGroups && values_->or3[coilEntry] != 0;
    }
    bool isRisingEdge(std::uint16_t coilEntry) const {
        return isActive(coilEntry) && previousValues_->or3[coilEntry] == 0;
    }

    const NetworkValues& values() const { return *values_; }
    const NetworkValues& previousValues() const { return *previousValues_; }
    const CompiledNetwork& network() const { return network_; }
    // Numbers 1..64 of the M relays with a retentive coil, then kNoRetentiveRelay.
    const std::array<std::uint8_t, kLadderLines>& retentiveRelays() const { return retentive_; }
    int modelIndex() const { return model_; }

  private:
    // One relay or output with the OR3 groups of its coils, an absent coil naming the zero
    // entry of the OR3 vector; see applyCoils.
    struct CoilSlot {
        std::uint16_t open = 0;
        std::uint16_t closed = 0;
        std::uint8_t contactor = kMaxOrGroups;
        std::uint8_t levelChange = kMaxOrGroups;
        std::uint8_t set = kMaxOrGroups;
        std::uint8_t reset = kMaxOrGroups;
        std::uint8_t hasContactor = 0;
        std::uint8_t keep = 1;  // 0 forces the operand off: an output without any coil
    };
    static constexpr int kCoilSlots = 64 + 4 * 4;

    void initialiseSignals();
    void planCoils();
    template <std::size_t N>
    void planCoils(const RelayCoils<N>& coils, std::uint16_t openCode, bool clearWithoutCoil);
    void applyCoils();

    BlockEvaluator& blocks_;
    CompiledNetwork network_;
    ScanNetwork scanNetwork_;
    // One entry more than the table, always 0, read by network groups without inputs.
    std::array<std::uint8_t, kSignalCount + 1> signals_{};
    std::array<std::uint8_t, kPreviousSignalCount> previous_{};
    // This scan's and the previous scan's values swap places at every scan instead of copying.
    std::array<NetworkValues, 2> valueBuffers_{};
    NetworkValues* values_ = &valueBuffers_[0];
    NetworkValues* previousValues_ = &valueBuffers_[1];
    std::array<CoilSlot, kCoilSlots> coilSlots_{};
    int coilSlotCount_ = 0;
    std::array<std::uint8_t, kLadderLines> retentive_{};
    std::array<std::uint8_t, kInputModules * kInputsPerModule> inputs_{};
    int model_ = 0;
    bool analog_ = false;
    bool running_ = false;
};

}  // namespace bdx
