#pragma once

#include <QStringList>
#include <QTextStream>

namespace bdx::cli {

// simulate FILE [--script FILE|-] [--start YYYY-MM-DDTHH:MM:SS] [--step SECONDS]
int SimulateCommand(const QStringList& args, QTextStream& out, QTextStream& err);

}  // namespace bdx::cli
