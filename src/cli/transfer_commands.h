#pragma once

#include <QStringList>
#include <QTextStream>

namespace bdx::cli {
int WriteCommand(const QStringList& args, QTextStream& out, QTextStream& err);
int ReadCommand(const QStringList& args, QTextStream& out, QTextStream& err);
}  // namespace bdx::cli
