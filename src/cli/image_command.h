#pragma once

#include <QStringList>
#include <QTextStream>

namespace bdx::cli {

// image FILE [--big-endian|--little-endian] [--lad] -o OUT: writes the device image of a
// program, or with --lad the image file (configuration record, zeros, image).
int ImageCommand(const QStringList& args, QTextStream& out, QTextStream& err);

}  // namespace bdx::cli
