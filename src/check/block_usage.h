#pragma once

#include <array>

#include "ladder/program.h"

// Which function blocks the ladder uses, and where.
namespace bdx {

struct BlockUse {
    bool coil = false;     // in the coil column, whatever input the coil drives
    bool contact = false;  // as a contact, normally open or closed

    bool used() const { return coil || contact; }
};

struct BlockUsage {
    std::array<BlockUse, kTimers> timers{};
    std::array<BlockUse, kCounters> counters{};
    std::array<BlockUse, kCompareCounters> compareCounters{};
    std::array<BlockUse, kHourMeters> hourMeters{};
    std::array<BlockUse, kTimeSwitches> timeSwitches{};
    std::array<BlockUse, kAnalogBlocks> analogBlocks{};
    std::array<BlockUse, kSoftTexts> softTexts{};
};

// Where every block appears in the grid. Number words may use either coding; a number outside
// the block kind's range is no use of any block.
BlockUsage FindBlockUsage(const Program& program);

// Marks each block record in use (bit 0 of its flags) exactly when the block appears in the
// grid, as a contact or in the coil column, and sets SoftTextUsed the same way. Nothing else
// changes, not even ProgramModified: the flags are derived from the grid.
BlockUsage UpdateBlockUsage(Program& program);

}  // namespace bdx
