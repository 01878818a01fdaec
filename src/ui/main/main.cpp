#include <QApplication>
#include <QIcon>
#include <QStringList>

#include "application.h"
#include "bdx_version.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("BrantelDesk X"));
    QApplication::setOrganizationName(QStringLiteral("Oskarn Automation Works"));
    QApplication::setApplicationVersion(QString::fromLatin1(bdx::kVersionText));
    // The installed desktop entry and icons carry this id: the desktop shows the window with them.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.oskarn.BrantelDeskX"));
    QIcon icon;
    for (const char* size : {"16x16", "32x32", "48x48", "256x256"}) {
        icon.addFile(QStringLiteral(":/appicon/%1/apps/com.oskarn.BrantelDeskX.png").arg(QLatin1String(size)));
    }
    QApplication::setWindowIcon(icon);

    bdx::StartupOptions options;
    const QStringList arguments = app.arguments();
    if (arguments.size() > 1) {
        options.programPath = arguments.at(1);
    }
    bdx::Application application(options);
    application.start();
    return app.exec();
}
