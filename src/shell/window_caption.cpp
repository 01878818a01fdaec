#include "window_caption.h"

#include "prompter.h"

namespace bdx {

QString MainWindowCaption(const QString& programFileName, const QString& programFilePath) {
    return QString::fromLatin1(kProductTitle) + QStringLiteral("      ( ") + programFileName +
           QStringLiteral(" )  ( ") + programFilePath + QStringLiteral(" )");
}

}  // namespace bdx
