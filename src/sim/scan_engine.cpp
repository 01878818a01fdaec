#include "scan_engine.h"

#include <algorithm>

#include "blocks/device_model.h"
#include "check/block_usage.h"
#include "check/validate_before_run.h"
#include "ladder/grid.h"

namespace bdx {

namespace {

// The input panel's modules, in the order of its check boxes.
constexpr const SignalRange* inputRange(char module) {
    for (int m = 0; m < kInputModules; ++m) {
        if (kSignalRanges[m].openCode == static_cast<std::uint16_t>(module)) {
            return &kSignalRanges[m];
        }
    }
    return nullptr;
}

struct SignalPair {
    std::uint16_t own = 0;    // the entry the code names
    std::uint16_t other = 0;  // its inverse
};

bool findPair(std::uint16_t code, int n, SignalPair& pair) {
    for (const SignalRange& range : kSignalRanges) {
        if (n < 1 || n > range.entries) {
            continue;
        }
        const auto index = static_cast<std::uint16_t>(n - 1);
        if (code == range.openCode) {
            pair = {static_cast<std::uint16_t>(range.openBase + index),
                    static_cast<std::uint16_t>(range.closedBase + index)};
            return true;
        }
        if (code == range.closedCode) {
            pair = {static_cast<std::uint16_t>(range.closedBase + index),
                    static_cast<std::uint16_t>(range.openBase + index)};
            return true;
        }
    }
    return false;
}

// Relays whose coil column holds a retentive coil anywhere, each once, in line order.
std::array<std::uint8_t, kLadderLines> findRetentiveRelays(const Program& program) {
    std::array<std::uint8_t, kLadderLines> list{};
    list.fill(kNoRetentiveRelay);
    std::array<bool, 64> seen{};
    int count = 0;
    for (int line = 0; line < kLadderLines; ++line) {
        const std::uint16_t kind = program.word(line, kCoilFunctionWord);
        if (program.word(line, kCoilLetterWord) != 'M' ||
            (kind != CoilImpulseRetentive && kind != CoilSetRetentive && kind != CoilResetRetentive)) {
            continue;
        }
        const int index = DecodeOperandNumber(program.word(line, kCoilNumberWord));
        if (index >= 0 && index < int(seen.size()) && !seen[index]) {
            seen[index] = true;
            list[count++] = static_cast<std::uint8_t>(index + 1);
        }
    }
    return list;
}

BlockEvaluator& noBlocks() {
    static BlockEvaluator none;
    return none;
}

}  // namespace

ScanEngine::ScanEngine() : ScanEngine(noBlocks()) {}

ScanEngine::ScanEngine(BlockEvaluator& blocks) : blocks_(blocks) {
    retentive_.fill(kNoRetentiveRelay);
    initialiseSignals();
}

std::optional<RunRefusal> ScanEngine::Prepare(Program& program, const std::vector<ErrorRow>& errorList,
                                              const QString& dumpPath) {
    // Compiled aside by the gate: a failed compilation leaves half-written tables, and a refused
    // start must leave the engine as it was. The gate's network is the one that runs.
    CompiledNetwork compiled;
    std::optional<RunRefusal> refusal = ValidateBeforeRun(program, errorList, compiled, dumpPath);
    if (!refusal && !scanNetwork_.Load(compiled)) {
        refusal = RunRefusal{};  // a network the scan tables cannot hold: nothing to tell
    }
    if (refusal) {
        EndSimulation();
        return refusal;
    }
    // The list comes from the program about to run: a relay made retentive since the last run
    // keeps its value, one that no longer is starts from 0.
    retentive_ = findRetentiveRelays(program);
    initialiseSignals();
    // The network values stay as the last run left them: an input held on across a restart is
    // no new edge for a level-change coil or a counter.
    UpdateBlockUsage(program);
    blocks_.PrepareRun(program);
    network_ = compiled;
    planCoils();
    model_ = program.ModelIndex;
    analog_ = HasAnalog(model_);
    running_ = true;
    return std::nullopt;
}

void ScanEngine::initialiseSignals() {
    const SignalRange& m = SignalRangeOf('M');
    const auto kept = signals_;
    signals_.fill(0);
    for (const SignalRange& range : kSignalRanges) {
        std::fill_n(signals_.begin() + range.closedBase, range.entries, std::uint8_t{1});
    }
    for (const std::uint8_t number : retentive_) {
        if (number >= 1 && number <= m.entries) {
            signals_[m.openBase + number - 1] = kept[m.openBase + number - 1];
            signals_[m.closedBase + number - 1] = kept[m.closedBase + number - 1];
        }
    }
    signals_[kWireDevId] = 1;
    std::copy_n(signals_.begin(), kPreviousSignalCount, previous_.begin());
}

int ScanEngine::ScanOnce(int deviceInput) {
    // Counters, time switches, analog blocks, hour meters, compare counters, timers and soft
    // texts are supplied by the block evaluation through blocks_; only their places are fixed here.
    blocks_.EvaluateCounters(*this);

    std::swap(values_, previousValues_);
    values_->or1.fill(0);
    values_->or2.fill(0);
    values_->or3.fill(0);

    std::copy_n(signals_.begin(), kPreviousSignalCount, previous_.begin());
    signals_[kWireDevId] = 1;

    if (deviceInput == 0) {
        for (int m = 0; m < kInputModules; ++m) {
            const SignalRange& range = kSignalRanges[m];
            for (int k = 0; k < kInputsPerModule; ++k) {
                const std::uint8_t on = inputs_[m * kInputsPerModule + k];
                signals_[range.openBase + k] = on;
                signals_[range.closedBase + k] = on ^ 1;
            }
        }
    }

    blocks_.EvaluateTimeSwitches(*this);
    if (analog_) {
        blocks_.EvaluateAnalogBlocks(*this);
    }

    // Reads a signal table that does not change meanwhile: a coil written in this scan reaches
    // the contacts in the next one.
    scanNetwork_.Evaluate(signals_.data(), *values_);

    blocks_.EvaluateHourMeter(*this);
    blocks_.EvaluateCompareCounters(*this);
    blocks_.EvaluateTimers(*this);

    applyCoils();

    blocks_.PostScanHousekeeping(*this);
    return blocks_.EvaluateSoftTextBlocks(*this) ? 2 : 1;
}

void ScanEngine::planCoils() {
    coilSlotCount_ = 0;
    const CoilTables& coils = network_.coils;
    planCoils(coils.M, 'M', false);
    planCoils(coils.Q, 'Q', true);
    planCoils(coils.U, 'U', true);
    planCoils(coils.V, 'V', true);
    planCoils(coils.W, 'W', true);
}

template <std::size_t N>
void ScanEngine::planCoils(const RelayCoils<N>& coils, std::uint16_t openCode, bool clearWithoutCoil) {
    const SignalRange& range = SignalRangeOf(openCode);
    auto group = [](std::uint16_t entry) {
        return static_cast<std::uint8_t>(entry < kMaxOrGroups ? entry : kMaxOrGroups);
    };
    for (std::size_t i = 0; i < N; ++i) {
        CoilSlot slot;
        slot.open = static_cast<std::uint16_t>(range.openBase + i);
        slot.closed = static_cast<std::uint16_t>(range.closedBase + i);
        slot.contactor = group(coils.contactor[i]);
        slot.levelChange = group(coils.levelChange[i]);
        slot.set = group(coils.set[i]);
        slot.reset = group(coils.reset[i]);
        slot.hasContactor = slot.contactor != kMaxOrGroups;
        const bool anyCoil = slot.hasContactor || slot.levelChange != kMaxOrGroups ||
                             slot.set != kMaxOrGroups || slot.reset != kMaxOrGroups;
        if (!anyCoil && !clearWithoutCoil) {
            continue;  // an M relay without a coil keeps its value: nothing to do
        }
        slot.keep = anyCoil ? 1 : 0;
        coilSlots_[coilSlotCount_++] = slot;
    }
}

// The coil rules from the lowest priority up, without branches: a level-change edge inverts,
// a contactor overrides that, set overrides both and reset overrides everything. An absent
// coil reads the always-0 OR3 entry and so changes nothing.
void ScanEngine::applyCoils() {
    const std::uint8_t* now = values_->or3.data();
    const std::uint8_t* before = previousValues_->or3.data();
    for (int i = 0; i < coilSlotCount_; ++i) {
        const CoilSlot& c = coilSlots_[i];
        unsigned value = signals_[c.open];
        value ^= now[c.levelChange] & (before[c.levelChange] ^ 1u);
        value = (value & (c.hasContactor ^ 1u)) | (now[c.contactor] & c.hasContactor);
        value = (value | now[c.set]) & (now[c.reset] ^ 1u) & c.keep;
        signals_[c.open] = static_cast<std::uint8_t>(value);
        signals_[c.closed] = static_cast<std::uint8_t>(value ^ 1);
    }
}

void ScanEngine::setInput(char module, int n, bool on) {
    const SignalRange* range = inputRange(module);
    if (range != nullptr && n >= 1 && n <= kInputsPerModule) {
        inputs_[(range - kSignalRanges.data()) * kInputsPerModule + n - 1] = on ? 1 : 0;
    }
}

bool ScanEngine::input(char module, int n) const {
    const SignalRange* range = inputRange(module);
    return range != nullptr && n >= 1 && n <= kInputsPerModule &&
           inputs_[(range - kSignalRanges.data()) * kInputsPerModule + n - 1] != 0;
}

bool ScanEngine::operandValue(std::uint16_t code, int n) const {
    SignalPair pair;
    return findPair(code, n, pair) && signals_[pair.own] != 0;
}

void ScanEngine::setOperand(std::uint16_t code, int n, bool on) {
    SignalPair pair;
    if (findPair(code, n, pair)) {
        setSignalPair(pair.own, pair.other, on);
    }
}

}  // namespace bdx
