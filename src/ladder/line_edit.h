#pragma once

#include "program.h"

// Whole-line changes of the ladder grid.
namespace bdx {

// Takes line `line` (0-based) out of the program: every line and line comment below it moves up
// by one, the last line becomes empty and loses its comment, and the new first line gets no
// up links. The caller records the undo point and deletes the line's elements beforehand.
// A line outside the grid changes nothing.
void RemoveLine(Program& program, int line);

}  // namespace bdx
