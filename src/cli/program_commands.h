#pragma once

#include <QStringList>
#include <QTextStream>

namespace bdx::cli {

// convert IN OUT: reads a program file of any generation, writes the current layout.
int ConvertCommand(const QStringList& args, QTextStream& out, QTextStream& err);
// info FILE: generation, model, extension modules, used lines and used blocks.
int InfoCommand(const QStringList& args, QTextStream& out, QTextStream& err);
// check FILE [--lang en|pt|pl|es]: the error list rows, then a compile fault as its box shows it.
int CheckCommand(const QStringList& args, QTextStream& out, QTextStream& err);

}  // namespace bdx::cli
