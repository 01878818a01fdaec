#pragma once

// Test helpers: the branteldesk-device process with its startup lines and text protocol, and
// raw RTU exchanges over TCP and over its pseudo-terminal.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>
#include <QTcpSocket>
#include <vector>

#include "../cli/run_cli.h"
#include "comm/modbus_crc.h"

namespace bdx::test {

// A request frame from its bytes before the CRC.
inline QByteArray Frame(const std::vector<int>& bytes) {
    QByteArray frame;
    for (const int b : bytes) {
        frame.append(static_cast<char>(b));
    }
    return WithCrc(frame);
}

using bdx::CliResult;

// The command-line tool run in this process.
inline CliResult RunCli(const QStringList& args) {
    return RunCliInProcess(args);
}

// The device process. Killed when the object goes, whatever the test did.
class DeviceProcess {
  public:
    ~DeviceProcess() { kill(); }

    // Starts the device and reads its startup lines up to "ready". False (with its stderr in
    // `failure`) when it exits or stays silent.
    bool start(const QStringList& arguments) {
        process_.setProgram(QStringLiteral(BDX_DEVICE_PATH));
        process_.setArguments(arguments);
        process_.start();
        for (QString line = readLine(10000); line != QLatin1String("ready"); line = readLine(10000)) {
            if (line.isNull()) {
                failure = QString::fromLocal8Bit(process_.readAllStandardError()) + process_.errorString();
                return false;
            }
            startup << line;
            if (line.startsWith(QLatin1String("pty "))) {
                ptyPath = line.mid(4);
            } else if (line.startsWith(QLatin1String("tcp "))) {
                tcpPort = static_cast<quint16>(line.section(u':', -1).toUInt());
            }
        }
        return true;
    }

    // One line of stdout; a null string when none came in time.
    QString readLine(int timeoutMs = 5000) {
        QDeadlineTimer deadline(timeoutMs);
        while (!process_.canReadLine() && !deadline.hasExpired() &&
               process_.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
        }
        return process_.canReadLine() ? QString::fromLocal8Bit(process_.readLine()).chopped(1) : QString();
    }

    // Sends a line of the text protocol; the lines it printed, up to and including "ok", an
    // "error: " line or a "NAME=VALUE" answer. A dump's own lines may look like anything: it
    // ends at "ok".
    QStringList command(const QString& line) {
        process_.write((line + u'\n').toLocal8Bit());
        const bool dump = line == QLatin1String("dump");
        QStringList out;
        for (QString l = readLine(); !l.isNull(); l = readLine()) {
            out << l;
            if (l == QLatin1String("ok") ||
                (!dump && (l.startsWith(QLatin1String("error: ")) || l.contains(u'=')))) {
                break;
            }
        }
        return out;
    }

    // The value of the dump's "name: value" line; empty when there is none.
    QString dumpValue(const QString& name) {
        const QString prefix = name + QStringLiteral(": ");
        for (const QString& line : command(QStringLiteral("dump"))) {
            if (line.startsWith(prefix)) {
                return line.mid(prefix.size());
            }
        }
        return {};
    }

    // Connects a socket of the test's own to the TCP endpoint.
    bool connect(QTcpSocket& socket) const {
        socket.connectToHost(QHostAddress::LocalHost, tcpPort);
        return socket.waitForConnected(5000);
    }

    // "127.0.0.1:PORT" of the TCP endpoint, as the command-line tool takes it.
    QString tcpAddress() const { return QStringLiteral("127.0.0.1:%1").arg(tcpPort); }

    // Ends the process at once, as a pulled cable or a power cut would.
    void kill() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    // Waits for the process to end by itself (or takes the end it came to); its exit code, or -1.
    int waitForExit(int timeoutMs = 10000) {
        if ((process_.state() != QProcess::NotRunning && !process_.waitForFinished(timeoutMs)) ||
            process_.exitStatus() != QProcess::NormalExit) {
            return -1;
        }
        return process_.exitCode();
    }

    QProcess& process() { return process_; }

    QStringList startup;
    QString ptyPath;
    quint16 tcpPort = 0;
    QString failure;

  private:
    QProcess process_;
};

// Bytes arriving on a socket until they fall silent for `gapMs` after the first, or nothing
// within `firstMs`.
inline QByteArray ReadReply(QTcpSocket& socket, int firstMs = 3000, int gapMs = 50) {
    QByteArray reply;
    if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(firstMs)) {
        return reply;
    }
    reply += socket.readAll();
    while (socket.waitForReadyRead(gapMs)) {
        reply += socket.readAll();
    }
    return reply;
}

inline QByteArray TcpExchange(QTcpSocket& socket, const QByteArray& request, int firstMs = 3000) {
    socket.write(request);
    socket.flush();
    return ReadReply(socket, firstMs);
}

// A client end of the device's pseudo-terminal, raw.
class PtyClient {
  public:
    explicit PtyClient(const QString& path) {
        fd_ = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios tio{};
        if (fd_ >= 0 && ::tcgetattr(fd_, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(fd_, TCSANOW, &tio);
        }
    }
    ~PtyClient() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    bool isOpen() const { return fd_ >= 0; }

    void write(const QByteArray& bytes) const {
        [[maybe_unused]] const ssize_t n = ::write(fd_, bytes.constData(), static_cast<size_t>(bytes.size()));
    }

    QByteArray read(int firstMs = 3000, int gapMs = 50) const {
        QByteArray reply;
        int wait = firstMs;
        for (;;) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, wait) <= 0) {
                return reply;
            }
            char chunk[512];
            const ssize_t n = ::read(fd_, chunk, sizeof chunk);
            if (n <= 0) {
                return reply;
            }
            reply.append(chunk, static_cast<qsizetype>(n));
            wait = gapMs;
        }
    }

    QByteArray exchange(const QByteArray& request, int firstMs = 3000) const {
        write(request);
        return read(firstMs);
    }

  private:
    int fd_ = -1;
};

}  // namespace bdx::test
