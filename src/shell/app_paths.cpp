#include "app_paths.h"

#include <QDir>
#include <QStandardPaths>

namespace bdx {

QString ProductDataFolder() {
    QString base = qEnvironmentVariable("AppData");
    if (base.isEmpty()) {
        base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    }
    return QDir::cleanPath(base + QStringLiteral("/Oskarn Automation Works/M-Desk QX II/Only Q Series"));
}

QString SettingsFilePath() { return ProductDataFolder() + QStringLiteral("/Config.ini"); }

}  // namespace bdx
