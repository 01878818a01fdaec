#include <QApplication>
#include <QStringList>

#include "application.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("BrantelDesk X"));
    QApplication::setOrganizationName(QStringLiteral("Oskarn Automation Works"));

    bdx::StartupOptions options;
    const QStringList arguments = app.arguments();
    if (arguments.size() > 1) {
        options.programPath = arguments.at(1);
    }
    bdx::Application application(options);
    application.start();
    return app.exec();
}
