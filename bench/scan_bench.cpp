#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <utility>

#include "ladder/grid.h"
#include "shell/scripted_prompter.h"
#include "sim/block_evaluation.h"
#include "sim/clock.h"
#include "sim/scan_engine.h"

// Every allocation of the benchmark program goes through here; only those made while a scan
// loop runs are counted.
namespace {
std::atomic<bool> gCounting{false};
std::atomic<long> gAllocations{0};

void* allocate(std::size_t size) {
    if (gCounting.load(std::memory_order_relaxed)) {
        gAllocations.fetch_add(1, std::memory_order_relaxed);
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

using namespace bdx;

// Draws with the editor's junction rules: the left bit on a contact's junction, the right bit
// on the one before it.
class Drawing {
  public:
    explicit Drawing(Program& program) : p_(program) {}

    void contact(int line, int column, std::uint16_t code, int number) {
        p_.word(line, kContactWord[column]) = code;
        p_.word(line, kContactWord[column] + kNumberWordOffset) = OperandNumberCode(number);
        junction(line, column) |= JunctionLeft;
        if (column > 0) {
            std::uint16_t& left = junction(line, column - 1);
            left |= (left & JunctionUp) ? JunctionRight : JunctionLeft | JunctionRight;
        }
    }
    void link(int line, int column) { SetVerticalLink(p_.LadderGrid, line, column); }
    void coil(int line, char letter, std::uint16_t kind, int number) {
        junction(line, 2) |= JunctionRight;
        p_.word(line, kCoilFunctionWord) = kind;
        p_.word(line, kCoilLetterWord) = static_cast<std::uint16_t>(letter);
        p_.word(line, kCoilNumberWord) = OperandNumberCode(number);
    }

  private:
    std::uint16_t& junction(int line, int column) {
        return p_.word(line, kContactWord[column] + kJunctionWordOffset);
    }
    Program& p_;
};

// 125 rungs of two lines, two contacts in parallel in each column, both lines on to a coil:
// every relay letter with every coil kind, and every block input.
Program fullProgram() {
    static constexpr std::uint16_t kContacts[] = {'I', 'M', 'Q', 'J', 'T', 'C', 'U', 'K',
                                                  'L', 'V', 'W', 'X', 'H', 'P', 'Z', ClockContactOpen};
    static constexpr std::pair<char, std::uint16_t> kCoils[] = {
        {'Q', CoilContactor},    {'Q', CoilImpulse},        {'Q', CoilSet},
        {'Q', CoilReset},        {'U', CoilContactor},      {'U', CoilImpulse},
        {'V', CoilSet},          {'V', CoilReset},          {'W', CoilContactor},
        {'W', CoilImpulse},      {'M', CoilContactor},      {'M', CoilImpulse},
        {'M', CoilSet},          {'M', CoilReset},          {'M', CoilImpulseRetentive},
        {'M', CoilSetRetentive}, {'M', CoilResetRetentive}, {'T', CoilTrigger},
        {'T', CoilReset},        {'C', CoilCount},          {'C', CoilReset},
        {'C', CoilDirection},    {'H', CoilEnable},         {'H', CoilReset},
        {'H', CoilResetAll},     {'X', CoilContactor},      {'X', CoilReset},
    };
    Program program;
    program.ExtensionModules = {1, 1, 1};
    Drawing d(program);
    int element = 0;
    for (int top = 0; top < kLadderLines; top += 2) {
        for (int column = 0; column < kContactColumns; ++column) {
            for (int line = top; line < top + 2; ++line, ++element) {
                std::uint16_t code = kContacts[element % std::size(kContacts)];
                if (element % 5 == 0) {
                    code = NormallyClosedCode(code);
                }
                d.contact(line, column, code, 1 + element % 4);
            }
            d.link(top, column);
        }
        for (int line = top; line < top + 2; ++line) {
            const auto& [letter, kind] = kCoils[line % std::size(kCoils)];
            d.coil(line, letter, kind, 1 + line / int(std::size(kCoils)) % 4);
        }
    }
    return program;
}

// Presets that let every block switch while the benchmark runs.
void setBlockParameters(Program& program) {
    for (auto& timer : program.TimerParams) {
        timer[TimerField::OnTime + 3] = 5;  // 000.5 s
        timer[TimerField::OffTime + 3] = 5;
    }
    for (int n = 0; n < kTimers; ++n) {
        program.TimerParams[n][TimerField::Type] = static_cast<std::uint8_t>(n % 14);
    }
    for (auto& counter : program.CounterParams) {
        counter[CounterField::SetPoint + 4] = 7;
    }
    for (auto& meter : program.HourMeterParams) {
        meter[HourMeterField::Preset + 4] = 1;
    }
    for (auto& clock : program.TimeSwitchParams) {
        clock = {0, 1, 7, 0, 0, 23, 59};
    }
}

// One scan of the full program; `blocks` evaluates the blocks or, when null, nothing.
void runScans(benchmark::State& state, Program& program, BlockEvaluator* blocks, ManualClock* clock) {
    ScriptedPrompter prompter;
    BlockEvaluator none;
    ScanEngine engine(blocks ? *blocks : none);
    if (!engine.PrepareSimulation(program, {}, prompter) || engine.network().and1.count != kMaxAndEntries ||
        engine.network().and2.count != kMaxAndEntries ||
        engine.network().or3.groupCount != kLadderLines / 2) {
        state.SkipWithError("the full program does not compile to full tables");
        return;
    }
    unsigned scan = 0;
    gCounting = true;
    for (auto _ : state) {
        // Inputs change between scans as the panel would change them, so coils do switch.
        const char module = "IJKL"[scan % 4];
        engine.setInput(module, 1 + int(scan / 4 % 8), (scan & 32) != 0);
        if (clock) {
            clock->advance(1);
        }
        benchmark::DoNotOptimize(engine.ScanOnce(0));
        ++scan;
    }
    gCounting = false;
    const long allocations = gAllocations.exchange(0);
    state.counters["allocations"] = static_cast<double>(allocations);
    state.counters["scans"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    if (allocations != 0) {
        state.SkipWithError("ScanOnce allocated");
    }
}

void BM_ScanOnce(benchmark::State& state) {
    Program program = fullProgram();
    runScans(state, program, nullptr, nullptr);
}
BENCHMARK(BM_ScanOnce);

void BM_ScanOnceWithBlocks(benchmark::State& state) {
    Program program = fullProgram();
    setBlockParameters(program);
    ManualClock clock;
    ScriptedPrompter prompter;
    BlockEvaluation blocks(clock, prompter);
    runScans(state, program, &blocks, &clock);
}
BENCHMARK(BM_ScanOnceWithBlocks);

}  // namespace
