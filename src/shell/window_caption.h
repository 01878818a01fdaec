#pragma once

#include <QString>

namespace bdx {

// Caption of the main window: the product title, then the program's file name and path.
QString MainWindowCaption(const QString& programFileName, const QString& programFilePath);

}  // namespace bdx
