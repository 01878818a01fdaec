#pragma once

#include <QStringList>
#include <QTextStream>

namespace bdx::cli {

// diff A B [--lang en|pt|pl|es]: the differences between two program files on out, in the language
// given. 0 when the programs are the same, 1 when they differ, 2 for a wrong command line or a file
// that cannot be read.
int DiffCommand(const QStringList& args, QTextStream& out, QTextStream& err);

}  // namespace bdx::cli
