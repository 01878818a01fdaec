#pragma once

#include <QStringList>

#include "ladder/program.h"

// A readable comparison of two programs: what a reviewer needs to see before sending one of them
// to a device in place of the other. File name and path are not compared: they only say where
// each copy lives.
namespace bdx {

// One line per difference (plus indented detail lines) in the current language, in the order
// model, extension modules, print header texts, ladder lines, block parameters, operand comments,
// line comments. Empty when the programs are the same.
QStringList ProgramDifferences(const Program& before, const Program& after);

}  // namespace bdx
