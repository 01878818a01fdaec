#pragma once

#include <QStringList>
#include <QTextStream>

namespace bdx::cli {

// print FILE --kind parameters|comments|short (--pdf OUT | --text): the text printouts of a
// program as text pages (form feed between pages) or as a PDF. The PDF needs a
// QGuiApplication; see NeedsGuiApplication.
int PrintCommand(const QStringList& args, QTextStream& out, QTextStream& err);

// Whether a command line (without the program name) draws, and so needs a QGuiApplication.
bool NeedsGuiApplication(const QStringList& arguments);

}  // namespace bdx::cli
