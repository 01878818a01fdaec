#pragma once

#include "ladder/program.h"
#include "print_page_frame.h"

// The short printout: the whole ladder grid as text, 50 lines to a page under the header block.
namespace bdx {

inline constexpr int kShortPrintoutLineLength = 80;
inline constexpr int kShortPrintoutBlockLines = 50;

// Line `line` (0-based) of the grid as 80 characters: its number "000", the left rail, the
// three contact columns with their junctions and the coil. A contact shows as "--[I1]--",
// a normally closed one in lower case ("--[i1]--"), a junction with a vertical link as "+",
// a coil as "(Q1)" after its function ("S ", "R ", "L " for level change, "*" when retentive;
// "T ", "C ", "D ", "E ", "A " for the block inputs).
QString ShortPrintoutLine(const Program& program, int line);

// Five pages of 50 grid lines, each opened by the header block and an empty line.
PrintPages ShortPrintout(const Program& program);

}  // namespace bdx
