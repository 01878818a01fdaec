#pragma once

#include <QStringList>
#include <QTextStream>

namespace bdx::cli {
int FirmwareCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);
}  // namespace bdx::cli
