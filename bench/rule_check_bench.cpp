#include <benchmark/benchmark.h>

#include "check/rule_checker.h"
#include "ladder/grid.h"

namespace {

using bdx::OperandNumberCode;

struct Element {
    std::uint16_t code;
    int count;
};

// Every line used: three contacts joined up to a coil, contacts and coils cycling through every
// block kind, and every soft text message showing block values. The checker runs after every
// edit, so this is the program it must never make the editor wait for.
bdx::Program fullProgram() {
    bdx::Program p;
    p.ModelIndex = 9;  // display and analog inputs
    p.ExtensionModules = {1, 1, 1};
    const Element contacts[] = {{'I', 6}, {'T', 16}, {'C', 16}, {'P', 16},
                                {'H', 4}, {'A', 12}, {'X', 16}, {'M', 64},
                                {'Q', 4}, {'Z', 4},  {'J', 6},  {bdx::ClockContactOpen, 16}};
    const Element coils[] = {{'T', 16}, {'C', 16}, {'H', 4}, {'X', 16}, {'M', 64}, {'Q', 4}, {'U', 4}};
    const std::uint16_t coilFunctions[] = {bdx::CoilTrigger,   bdx::CoilCount,     bdx::CoilEnable,
                                           bdx::CoilContactor, bdx::CoilContactor, bdx::CoilContactor,
                                           bdx::CoilContactor};
    int next = 0;
    for (int line = 0; line < bdx::kLadderLines; ++line) {
        for (int column = 0; column < bdx::kContactColumns; ++column) {
            const Element& e = contacts[next % std::size(contacts)];
            const int word = bdx::kContactWord[column];
            p.word(line, word) = e.code;
            p.word(line, word + 1) = OperandNumberCode(next / int(std::size(contacts)) % e.count + 1);
            p.word(line, word + 2) = bdx::JunctionBase | bdx::JunctionLeft | bdx::JunctionRight;
            ++next;
        }
        const int kind = line % int(std::size(coils));
        p.word(line, bdx::kCoilFunctionWord) = coilFunctions[kind];
        p.word(line, bdx::kCoilLetterWord) = coils[kind].code;
        p.word(line, bdx::kCoilNumberWord) =
            OperandNumberCode(line / int(std::size(coils)) % coils[kind].count + 1);
    }
    // Parallel branches in column 1 every few lines.
    for (int line = 0; line + 1 < bdx::kLadderLines; line += 5) {
        bdx::SetVerticalLink(p.LadderGrid, line, 0);
    }
    for (auto& message : p.SoftTextParams) {
        const std::uint8_t fields[][4] = {
            {96, 1, 1, 1}, {96, 2, 3, 0}, {96, 8, 2, 2}, {96, 4, 5, 'x'}, {96, 7, 0, 1}};
        for (int f = 0; f < 5; ++f) {
            std::copy(std::begin(fields[f]), std::end(fields[f]), message.begin() + f * 7);
        }
    }
    return p;
}

void BM_RunRuleCheck(benchmark::State& state) {
    bdx::Program p = fullProgram();
    for (auto _ : state) {
        benchmark::DoNotOptimize(bdx::RunRuleCheck(p));
    }
}
BENCHMARK(BM_RunRuleCheck);

}  // namespace
