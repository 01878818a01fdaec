#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "cli_commands.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = bdx::cli::Run(app.arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return code;
}
