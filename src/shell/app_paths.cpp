#include "app_paths.h"

#include <QDir>
#include <QStandardPaths>

namespace bdx {

QString AppDataBase() {
    QString base = qEnvironmentVariable("AppData");
    if (base.isEmpty()) {
        base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    }
    return QDir::cleanPath(base);
}

QString ProductDataFolder() {
    return AppDataBase() + QStringLiteral("/Oskarn Automation Works/M-Desk QX II/Only Q Series");
}

QString ApplicationFolder() {
    return ProductDataFolder();
}

QString NetworkDumpPath() { return ApplicationFolder() + QStringLiteral("/x.txt"); }

QString UndoRootFolder() {
    return AppDataBase() + QStringLiteral("/Brantel Desk X/BRANTELDESK X");
}

QString SettingsFilePath() {
    return ProductDataFolder() + QStringLiteral("/Config.ini");
}

}  // namespace bdx
