#pragma once

#include <QStringList>
#include <QTextStream>

namespace bdx::cli {
// Shows the stored communication settings, or changes the ones the options name and stores them.
int SettingsCommand(const QStringList& args, QTextStream& out, QTextStream& err);
}  // namespace bdx::cli
