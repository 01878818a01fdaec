#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <algorithm>
#include <iterator>

#include "ladder/program_file.h"
#include "ladder/undo_redo.h"

namespace {

// A program with every line and comment in use, the largest a file gets in practice.
bdx::Program fullProgram() {
    bdx::Program p;
    // Every line full: three contacts, their junctions and a coil (the reader takes grid codes only).
    for (int line = 0; line < bdx::kLadderLines; ++line) {
        const auto n = static_cast<std::uint16_t>(bdx::NumberBase + line % 4);
        const std::uint16_t words[bdx::kWordsPerLine] = {'I', n, 133, 'M' + 26, n,   133,
                                                         146, n, 133, 148,      'Q', n};
        std::copy(std::begin(words), std::end(words), p.LadderGrid.begin() + line * bdx::kWordsPerLine);
    }
    for (QString& c : p.OperandComments) {
        c = QStringLiteral("operand comment of some length");
    }
    for (QString& c : p.LineComments) {
        c = QStringLiteral("line comment\r\nwith a second line");
    }
    return p;
}

void BM_FormatProgramFile(benchmark::State& state) {
    const bdx::Program p = fullProgram();
    for (auto _ : state) {
        benchmark::DoNotOptimize(bdx::FormatProgramFile(p));
    }
}
BENCHMARK(BM_FormatProgramFile);

void BM_ParseProgramFile(benchmark::State& state) {
    const QByteArray content = bdx::FormatProgramFile(fullProgram());
    bdx::Program p;
    for (auto _ : state) {
        benchmark::DoNotOptimize(bdx::ParseProgramFile(content, p));
    }
    state.SetBytesProcessed(state.iterations() * content.size());
}
BENCHMARK(BM_ParseProgramFile);

// Every edit stores a snapshot before it changes the program.
void BM_AddUndoAction(benchmark::State& state) {
    QTemporaryDir dir;
    bdx::ClassUndoRedo store(dir.path());
    store.StartFolders(QStringLiteral("Bench.h53"));
    const bdx::Program p = fullProgram();
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.AddUndoAction(p, 0, 0));
    }
}
BENCHMARK(BM_AddUndoAction);

}  // namespace
