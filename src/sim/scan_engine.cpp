#include "scan_engine.h"

#include <algorithm>

#include "blocks/device_model.h"
#include "check/block_usage.h"
#include "check/validate_before_run.h"
#include "ladder/grid.h"

namespace bdx {

namespace {

using GroupValues = std::array<std::uint8_t, kMaxOrGroups>;

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

// The tables were checked when the run was prepared (wellFormed), so no entry is checked here.
template <typename Read>
void evaluateOr(const OrTable& table, GroupValues& out, Read read) {
    const int groups = table.groupCount;
    const std::uint16_t* input = table.inputs.data();
    std::uint8_t* result = out.data();
    for (int g = 0; g < groups; ++g) {
        const int count = table.groups[g].inputCount;
        std::uint8_t value = 0;
        for (int i = 0; i < count; ++i) {
            value |= read(input[i]);
        }
        input += count;
        result[g] = value;
    }
}

void evaluateAnd(const AndTable& table, const GroupValues& feeding,
                 const std::array<std::uint8_t, kSignalCount>& signals,
                 std::array<std::uint8_t, kMaxAndEntries>& out) {
    const int count = table.count;
    const AndEntry* entry = table.entries.data();
    std::uint8_t* result = out.data();
    for (int i = 0; i < count; ++i) {
        result[i] = feeding[entry[i].orGroup] & signals[entry[i].devId];
    }
}

// Every count and index of the tables within bounds, so that a scan can evaluate them without
// a check per entry. The compiler only produces such tables; this keeps a damaged one out.
bool orTableWellFormed(const OrTable& table, int inputLimit) {
    if (table.groupCount > kMaxOrGroups || table.inputTotal > kMaxOrInputs) {
        return false;
    }
    int total = 0;
    for (int g = 0; g < table.groupCount; ++g) {
        total += table.groups[g].inputCount;
    }
    return total == table.inputTotal && std::all_of(table.inputs.begin(), table.inputs.begin() + total,
                                                    [inputLimit](std::uint16_t i) { return i < inputLimit; });
}

bool andTableWellFormed(const AndTable& table, const OrTable& feeding) {
    return table.count <= kMaxAndEntries &&
           std::all_of(table.entries.begin(), table.entries.begin() + table.count,
                       [&feeding](const AndEntry& e) {
                           return e.orGroup < feeding.groupCount && e.devId < kSignalCount;
                       });
}

bool wellFormed(const CompiledNetwork& n) {
    return orTableWellFormed(n.or1, kSignalCount) && andTableWellFormed(n.and1, n.or1) &&
           orTableWellFormed(n.or2, n.and1.count) && andTableWellFormed(n.and2, n.or2) &&
           orTableWellFormed(n.or3, n.and2.count);
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

bool ScanEngine::PrepareSimulation(Program& program, const std::vector<ErrorRow>& errorList,
                                   Prompter& prompter, const QString& dumpPath) {
    // Compiled aside by the gate: a failed compilation leaves half-written tables, and a refused
    // start must leave the engine as it was. The gate's network is the one that runs.
    CompiledNetwork compiled;
    if (ValidateBeforeRun(program, errorList, compiled, prompter, dumpPath) || !wellFormed(compiled)) {
        EndSimulation();
        return false;
    }
    // The list comes from the program about to run: a relay made retentive since the last run
    // keeps its value, one that no longer is starts from 0.
    retentive_ = findRetentiveRelays(program);
    initialiseSignals();
    values_ = {};
    previousValues_ = {};
    UpdateBlockUsage(program);
    blocks_.PrepareRun(program);
    network_ = compiled;
    model_ = program.ModelIndex;
    analog_ = HasAnalog(model_);
    running_ = true;
    return true;
}

void ScanEngine::initialiseSignals() {
    const SignalRange& m = SignalRangeOf('M');
    std::array<std::uint8_t, kSignalCount> kept = signals_;
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

    previousValues_ = values_;
    values_.or1.fill(0);
    values_.or2.fill(0);
    values_.or3.fill(0);

    std::copy_n(signals_.begin(), kPreviousSignalCount, previous_.begin());
    signals_[kWireDevId] = 1;

    if (deviceInput == 0) {
        for (int m = 0; m < kInputModules; ++m) {
            const SignalRange& range = kSignalRanges[m];
            for (int k = 0; k < kInputsPerModule; ++k) {
                setSignalPair(static_cast<std::uint16_t>(range.openBase + k),
                              static_cast<std::uint16_t>(range.closedBase + k),
                              inputs_[m * kInputsPerModule + k] != 0);
            }
        }
    }

    blocks_.EvaluateTimeSwitches(*this);
    if (analog_) {
        blocks_.EvaluateAnalogBlocks(*this);
    }

    evaluateNetwork();

    blocks_.EvaluateHourMeter(*this);
    blocks_.EvaluateCompareCounters(*this);
    blocks_.EvaluateTimers(*this);

    constexpr SignalRange m = SignalRangeOf('M');
    constexpr SignalRange q = SignalRangeOf('Q');
    constexpr SignalRange u = SignalRangeOf('U');
    constexpr SignalRange v = SignalRangeOf('V');
    constexpr SignalRange w = SignalRangeOf('W');
    const CoilTables& coils = network_.coils;
    applyCoils(coils.M, m.openBase, m.closedBase, false);
    applyCoils(coils.Q, q.openBase, q.closedBase, true);
    applyCoils(coils.U, u.openBase, u.closedBase, true);
    applyCoils(coils.V, v.openBase, v.closedBase, true);
    applyCoils(coils.W, w.openBase, w.closedBase, true);

    blocks_.PostScanHousekeeping(*this);
    return blocks_.EvaluateSoftTextBlocks(*this) ? 2 : 1;
}

// Level by level for all rungs at once, reading a signal table that does not change meanwhile:
// a coil written in this scan reaches the contacts in the next one.
void ScanEngine::evaluateNetwork() {
    // Every index was checked once when the run was prepared (wellFormed).
    evaluateOr(network_.or1, values_.or1, [this](std::uint16_t id) { return signals_[id]; });
    evaluateAnd(network_.and1, values_.or1, signals_, values_.and1);
    evaluateOr(network_.or2, values_.or2, [this](std::uint16_t i) { return values_.and1[i]; });
    evaluateAnd(network_.and2, values_.or2, signals_, values_.and2);
    evaluateOr(network_.or3, values_.or3, [this](std::uint16_t i) { return values_.and2[i]; });
}

template <std::size_t N>
void ScanEngine::applyCoils(const RelayCoils<N>& coils, std::uint16_t openBase, std::uint16_t closedBase,
                            bool clearWithoutCoil) {
    auto present = [](std::uint16_t entry) { return entry < kMaxOrGroups; };
    for (std::size_t i = 0; i < N; ++i) {
        const std::uint16_t d = coils.contactor[i];
        const std::uint16_t p = coils.levelChange[i];
        const std::uint16_t s = coils.set[i];
        const std::uint16_t r = coils.reset[i];
        bool value = signals_[openBase + i] != 0;
        if (isActive(r)) {
            value = false;
        } else if (isActive(s)) {
            value = true;
        } else if (present(d)) {
            value = values_.or3[d] != 0;
        } else if (isRisingEdge(p)) {
            value = !value;
        } else if (clearWithoutCoil && !present(r) && !present(s) && !present(p)) {
            value = false;
        }
        setSignalPair(static_cast<std::uint16_t>(openBase + i), static_cast<std::uint16_t>(closedBase + i),
                      value);
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
