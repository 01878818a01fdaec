#pragma once

#include <QStringList>
#include <QTextStream>

namespace bdx::cli {
int ClockCommand(const QStringList& args, QTextStream& out, QTextStream& err);
int RunCommand(const QStringList& args, QTextStream& out, QTextStream& err);
int StopCommand(const QStringList& args, QTextStream& out, QTextStream& err);
int ScanIdCommand(const QStringList& args, QTextStream& out, QTextStream& err);
}  // namespace bdx::cli
