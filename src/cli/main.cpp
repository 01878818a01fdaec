#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <memory>

#include "cli_commands.h"
#include "print_command.h"

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    std::unique_ptr<QCoreApplication> app;
    if (bdx::cli::NeedsGuiApplication(arguments)) {
        // Drawing a PDF needs fonts, not a screen: run the same without a display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = bdx::cli::Run(app->arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return code;
}
