#include "line_edit.h"

#include <algorithm>

#include "grid.h"

namespace bdx {

void RemoveLine(Program& program, int line) {
    if (line < 0 || line >= kLadderLines) {
        return;
    }
    auto& grid = program.LadderGrid;
    const auto lineStart = grid.begin() + line * kWordsPerLine;
    std::copy(lineStart + kWordsPerLine, grid.end(), lineStart);
    std::fill(grid.end() - kWordsPerLine, grid.end(), CellEmpty);

    auto& comments = program.LineComments;
    std::move(comments.begin() + line + 1, comments.end(), comments.begin() + line);
    comments.back().clear();

    // Nothing lies above the first line, so it can have no link up to it.
    for (int column = 0; column < kContactColumns; ++column) {
        grid[JunctionWordIndex(0, column)] &= static_cast<std::uint16_t>(~JunctionUp);
    }
}

}  // namespace bdx
