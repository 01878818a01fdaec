#pragma once

#include "ladder/program.h"

namespace bdx::bench {

// All 250 lines in use: pairs of lines with two parallel contacts in every column, and coils of
// every letter and kind in turn, drawn with the editor's junction rules.
Program FullProgram();

}  // namespace bdx::bench
