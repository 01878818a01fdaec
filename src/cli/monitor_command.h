#pragma once

#include <QStringList>
#include <QTextStream>

namespace bdx::cli {
// monitor FILE [--seconds N] DEVICE-OPTIONS: runs the program on the PC against the device's
// inputs and outputs, printing every input and output change as "t=1.23 I1=1". Ends after N
// seconds, or at Ctrl+C / the end of standard input; the device is always left stopped.
int MonitorCommand(const QStringList& args, QTextStream& out, QTextStream& err);
}  // namespace bdx::cli
