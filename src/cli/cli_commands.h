#pragma once

#include <QStringList>
#include <QTextStream>

namespace bdx::cli {

// Runs one command line (without the program name); returns the process exit code.
// 0 success, 1 the command failed, 2 the command line was wrong.
int Run(const QStringList& arguments, QTextStream& out, QTextStream& err);

}  // namespace bdx::cli
