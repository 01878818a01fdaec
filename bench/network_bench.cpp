#include <benchmark/benchmark.h>

#include <utility>
#include <vector>

#include "check/network_compiler.h"
#include "check/rule_checker.h"
#include "full_program.h"
#include "ladder/grid.h"

namespace {

using namespace bdx;

void BM_CompileNetwork(benchmark::State& state) {
    const Program program = bench::FullProgram();
    CompiledNetwork network;
    if (CompileNetwork(program, network) || network.and1.count != kMaxAndEntries ||
        network.and2.count != kMaxAndEntries || network.or3.groupCount != kLadderLines / 2) {
        state.SkipWithError("the full program does not compile to full tables");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(CompileNetwork(program, network));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CompileNetwork);

// What runs after every edit of the grid: the rule check, and the compilation the gates need.
void BM_CompileAndRuleCheck(benchmark::State& state) {
    Program program = bench::FullProgram();
    CompiledNetwork network;
    std::size_t rows = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(CompileNetwork(program, network));
        rows = RunRuleCheck(program).size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_CompileAndRuleCheck);

}  // namespace
