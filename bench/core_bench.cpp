#include <benchmark/benchmark.h>

#include "blocks/time_switch_conversion.h"
#include "ladder/grid.h"
#include "ladder/program.h"
#include "shell/app_settings.h"
#include "shell/language_table.h"

namespace {

// A new program is made at start-up, at New and before every file read and undo step.
void BM_ClearProgram(benchmark::State& state) {
    bdx::Program program;
    for (auto _ : state) {
        bdx::ClearProgram(program);
        benchmark::DoNotOptimize(program.LadderGrid.data());
    }
}
BENCHMARK(BM_ClearProgram);

void BM_ConvertLegacyNumberCodes(benchmark::State& state) {
    bdx::Program program;
    for (auto _ : state) {
        program.LadderGrid.fill(49);
        bdx::ConvertLegacyNumberCodes(program.LadderGrid);
        benchmark::DoNotOptimize(program.LadderGrid.data());
    }
}
BENCHMARK(BM_ConvertLegacyNumberCodes);

void BM_ParseSettings(benchmark::State& state) {
    bdx::AppSettings settings;
    settings.CommPort = 1000;
    settings.EthernetPort = 502;
    settings.IPAddress = QStringLiteral("127.0.0.1");
    const QByteArray text = bdx::FormatSettings(settings);
    for (auto _ : state) {
        benchmark::DoNotOptimize(bdx::ParseSettings(text));
    }
}
BENCHMARK(BM_ParseSettings);

void BM_LoadText(benchmark::State& state) {
    bdx::LanguageTable::builtIn();
    for (auto _ : state) {
        benchmark::DoNotOptimize(bdx::LoadText(4211, bdx::Polish));
    }
}
BENCHMARK(BM_LoadText);

void BM_ConvertTimeSwitchBlocks(benchmark::State& state) {
    bdx::Program original;
    for (int n = 0; n < bdx::kTimeSwitches; ++n) {
        original.TimeSwitchParams[n] = {1, std::uint8_t(1 + n % 7), std::uint8_t(1 + (n * 3) % 7), 22, 0, 6,
                                        0};
    }
    for (auto _ : state) {
        bdx::Program program = original;
        bdx::ConvertTimeSwitchBlocks(program);
        benchmark::DoNotOptimize(program.TimeSwitchParams.data());
    }
}
BENCHMARK(BM_ConvertTimeSwitchBlocks);

}  // namespace

BENCHMARK_MAIN();
