#include <QApplication>
#include <QStringList>

#include "application.h"
#include "bdx_version.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("BrantelDesk X"));
    QApplication::setOrganizationName(QStringLiteral("Oskarn Automation Works"));
    QApplication::setApplicationVersion(QString::fromLatin1(bdx::kVersionText));

    bdx::StartupOptions options;
    const QStringList arguments = app.arguments();
    if (arguments.size() > 1) {
        options.programPath = arguments.at(1);
    }
    bdx::Application application(options);
    application.start();
    return app.exec();
}
