#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <utility>

#include "full_program.h"
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
    BlockEvaluator none;
    ScanEngine engine(blocks ? *blocks : none);
    if (engine.Prepare(program, {}) || engine.network().and1.count != kMaxAndEntries ||
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
    Program program = bench::FullProgram();
    runScans(state, program, nullptr, nullptr);
}
BENCHMARK(BM_ScanOnce);

void BM_ScanOnceWithBlocks(benchmark::State& state) {
    Program program = bench::FullProgram();
    setBlockParameters(program);
    ManualClock clock;
    BlockEvaluation blocks(clock);
    runScans(state, program, &blocks, &clock);
}
BENCHMARK(BM_ScanOnceWithBlocks);

}  // namespace
