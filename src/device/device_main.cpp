// branteldesk-device: the virtual device as a process. See DeviceServerUsage() and the README.

#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>

#include "device/device_server.h"

namespace {

int gSignalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(gSignalPipe[1], &byte, 1);
}

// Tests and scripts read stdout through a pipe: every line goes out at once.
void PrintLine(const QString& line) {
    const QByteArray bytes = line.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

void PrintError(const QString& message) {
    std::fprintf(stderr, "branteldesk-device: %s\n", message.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const bdx::DeviceArguments parsed = bdx::ParseDeviceArguments(arguments);
    if (parsed.help) {
        std::fputs(bdx::DeviceServerUsage().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (!parsed.error.isEmpty()) {
        PrintError(QStringLiteral("error: ") + parsed.error + QStringLiteral(" (see --help)"));
        return 2;
    }

    // A reader that went away must not kill the device before it saves its state.
    std::signal(SIGPIPE, SIG_IGN);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gSignalPipe) != 0) {
        PrintError(QStringLiteral("error: cannot set up signal handling"));
        return 1;
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);

    bdx::DeviceServer server(parsed.options);
    QString error;
    QStringList warnings;
    if (!server.start(&error, &warnings)) {
        PrintError(QStringLiteral("error: ") + error);
        return 1;
    }
    for (const QString& warning : warnings) {
        PrintError(QStringLiteral("warning: ") + warning);
    }
    for (const QString& line : server.startupLines()) {
        PrintLine(line);
    }
    PrintLine(QStringLiteral("ready"));

    QSocketNotifier signalNotifier(gSignalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [] { QCoreApplication::quit(); });

    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    input.setEnabled(parsed.options.readStdin);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char chunk[4096];
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n <= 0) {
            input.setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        pending.append(chunk, static_cast<qsizetype>(n));
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromLocal8Bit(pending.left(end));
            pending.remove(0, end + 1);
            bool quit = false;
            for (const QString& out : server.executeLine(line, &quit)) {
                PrintLine(out);
            }
            if (quit) {
                input.setEnabled(false);
                QCoreApplication::quit();
                return;
            }
        }
        // A line without an end that keeps growing is not a command.
        if (pending.size() > 4096) {
            pending.clear();
            PrintLine(QStringLiteral("error: line too long"));
        }
    });

    const int code = QCoreApplication::exec();
    server.stop();
    for (const QString& saveError : server.saveErrors()) {
        PrintError(QStringLiteral("warning: state not saved: ") + saveError);
    }
    return code;
}
