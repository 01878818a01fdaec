#pragma once

#include <QStringList>
#include <QTextStream>

#include "ladder/program.h"
#include "ladder/program_file.h"

namespace bdx::cli {

// A message box text with its line breaks as a terminal writes them.
QString PlainLineBreaks(QString text);

// Reads a program as the editor would open it; false with the user's message on err.
bool ReadProgramForCommand(const QString& path, Program& program, QTextStream& err,
                           ProgramFileStatus* status = nullptr);

// True, with the message on err, when the application holds `target` open: writing there would
// replace the file under the running editor.
bool TargetHeldOpen(const QString& target, QTextStream& err);

// convert IN OUT: reads a program file of any generation, writes the current layout.
int ConvertCommand(const QStringList& args, QTextStream& out, QTextStream& err);
// info FILE: generation, model, extension modules, used lines and used blocks.
int InfoCommand(const QStringList& args, QTextStream& out, QTextStream& err);
// check FILE [--lang en|pt|pl|es]: the error list rows, then a compile fault as its box shows it.
int CheckCommand(const QStringList& args, QTextStream& out, QTextStream& err);
// xref FILE [--lang en|pt|pl|es]: every operand the ladder uses, how, on which lines, with its comment.
int XrefCommand(const QStringList& args, QTextStream& out, QTextStream& err);

}  // namespace bdx::cli
