#include "block_usage.h"

#include "ladder/grid.h"

namespace bdx {

namespace {

template <std::size_t N>
void mark(std::array<BlockUse, N>& uses, int index, bool coil) {
    if (index < 0 || index >= static_cast<int>(N)) {
        return;
    }
    (coil ? uses[index].coil : uses[index].contact) = true;
}

// Records one element: a contact code, or a coil letter when `coil` is set.
void markElement(BlockUsage& usage, std::uint16_t code, std::uint16_t numberWord, bool coil) {
    const auto kind = OperandForCode(code);
    if (!kind) {
        return;
    }
    const int index = DecodeOperandNumber(numberWord);
    switch (*kind) {
        case Operand::T:
            mark(usage.timers, index, coil);
            break;
        case Operand::C:
            mark(usage.counters, index, coil);
            break;
        case Operand::P:
            mark(usage.compareCounters, index, coil);
            break;
        case Operand::H:
            mark(usage.hourMeters, index, coil);
            break;
        case Operand::Clock:
            mark(usage.timeSwitches, index, coil);
            break;
        case Operand::A:
            mark(usage.analogBlocks, index, coil);
            break;
        case Operand::X:
            mark(usage.softTexts, index, coil);
            break;
        default:
            break;
    }
}

template <typename Table, std::size_t N>
void setInUse(Table& table, const std::array<BlockUse, N>& uses) {
    for (std::size_t i = 0; i < N; ++i) {
        std::uint8_t& flags = table[i][0];
        flags = static_cast<std::uint8_t>(uses[i].used() ? flags | kFlagInUse : flags & ~kFlagInUse);
    }
}

}  // namespace

BlockUsage FindBlockUsage(const Program& program) {
    BlockUsage usage;
    for (int line = 0; line < kLadderLines; ++line) {
        for (const int word : kContactWord) {
            const std::uint16_t code = program.word(line, word);
            if (IsContactCode(code)) {
                markElement(usage, code, program.word(line, word + kNumberWordOffset), false);
            }
        }
        const std::uint16_t letter = program.word(line, kCoilLetterWord);
        if (IsCoilLetter(letter)) {
            markElement(usage, letter, program.word(line, kCoilNumberWord), true);
        }
    }
    return usage;
}

BlockUsage UpdateBlockUsage(Program& program) {
    const BlockUsage usage = FindBlockUsage(program);
    setInUse(program.TimerParams, usage.timers);
    setInUse(program.CounterParams, usage.counters);
    setInUse(program.CompareParams, usage.compareCounters);
    setInUse(program.HourMeterParams, usage.hourMeters);
    setInUse(program.TimeSwitchParams, usage.timeSwitches);
    setInUse(program.AnalogParams, usage.analogBlocks);
    for (int i = 0; i < kSoftTexts; ++i) {
        program.SoftTextUsed[i] = usage.softTexts[i].used() ? 1 : 0;
    }
    return usage;
}

}  // namespace bdx
