#include "device_server.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QDir>
#include <QPointer>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "comm/byte_reader.h"
#include "comm/modbus_crc.h"
#include "comm/modbus_requests.h"
#include "sim/clock.h"

namespace bdx {

// ---------------------------------------------------------------------------------------------
// Options

namespace {

// The link faults' timing: the pause inside a split reply (well under the program's 80 ms line
// silence, so a serial reply still reads as one), one byte of an endless stream every 20 ms (a
// line never silent for long, yet slow enough that the receive buffer fills only after many
// seconds), and how long after a request the line goes away.
constexpr int kSplitPauseMs = 20;
constexpr int kStreamByteMs = 20;
constexpr char kStreamByte = static_cast<char>(0xA5);
constexpr int kVanishAfterMs = 200;

bool ParseInt(const QString& text, int low, int high, int& value) {
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (!ok || v < low || v > high) {
        return false;
    }
    value = v;
    return true;
}

// "PORT", "HOST:PORT", "[V6]:PORT". Only loopback unless an address is written out: a bare
// port and "localhost" bind 127.0.0.1; names are not resolved.
bool ParseTcpEndpoint(const QString& text, QHostAddress& address, quint16& port, QString& error) {
    QString host;
    QString portText = text;
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(QStringLiteral("]:"));
        if (close < 0) {
            error = QStringLiteral("--tcp: expected [ADDRESS]:PORT, got '%1'").arg(text);
            return false;
        }
        host = text.mid(1, close - 1);
        portText = text.mid(close + 2);
    } else if (const qsizetype colon = text.lastIndexOf(u':'); colon >= 0) {
        host = text.left(colon);
        portText = text.mid(colon + 1);
    }
    int p = 0;
    if (!ParseInt(portText, 0, 65535, p)) {
        error = QStringLiteral("--tcp: '%1' is not a port number 0..65535").arg(portText);
        return false;
    }
    port = static_cast<quint16>(p);
    if (host.isEmpty() || host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0) {
        address = QHostAddress(QHostAddress::LocalHost);
        return true;
    }
    if (!address.setAddress(host)) {
        error = QStringLiteral(
                    "--tcp: '%1' is not an IP address (names other than localhost are not "
                    "resolved)")
                    .arg(host);
        return false;
    }
    return true;
}

}  // namespace

std::optional<Fault> ParseFault(const QString& text) {
    const QString name = text.section(u':', 0, 0);
    const bool hasValue = text.contains(u':');
    const QString valueText = text.section(u':', 1);
    struct Kind {
        const char* name;
        FaultMode mode;
        int low, high;  // value range; high 0: no value
    };
    static constexpr Kind kKinds[] = {
        {"no-reply", FaultMode::NoReply, 0, 0},
        {"corrupt-crc", FaultMode::CorruptCrc, 1, 1000000},
        {"only-address-1", FaultMode::OnlyAddress1, 0, 0},
        {"stray-byte", FaultMode::StrayByte, 0, 0},
        {"slow", FaultMode::Slow, 0, 600000},
        {"drop-after", FaultMode::DropAfter, 1, 1000000},
        {"split", FaultMode::Split, 1, RtuFrameBuffer::kMaxFrame},
        {"endless", FaultMode::Endless, 0, 0},
        {"vanish", FaultMode::Vanish, 0, 0},
    };
    for (const Kind& kind : kKinds) {
        if (name != QLatin1String(kind.name)) {
            continue;
        }
        Fault fault{kind.mode, 0};
        if (kind.high == 0) {
            return hasValue ? std::nullopt : std::optional<Fault>(fault);
        }
        if (!hasValue || !ParseInt(valueText, kind.low, kind.high, fault.value)) {
            return std::nullopt;
        }
        return fault;
    }
    return std::nullopt;
}

QString DeviceServerUsage() {
    return QStringLiteral(
        "Usage: branteldesk-device [options]\n"
        "A virtual programmable relay answering Modbus RTU frames on a pseudo-terminal and/or TCP.\n"
        "\n"
        "  --model N          device model code 0..15 (default 9)\n"
        "  --id N             Modbus address 1..247 (default 1)\n"
        "  --tcp [HOST:]PORT  serve RTU frames over TCP; a bare port or localhost binds 127.0.0.1,\n"
        "                     port 0 lets the system choose\n"
        "  --pty              serve RTU on a new pseudo-terminal\n"
        "  --firmware TEXT    firmware text of the identity reply (up to 9 characters)\n"
        "  --password NNNN    program password (four digits)\n"
        "  --state DIR        load the device memory from DIR at start, keep it there\n"
        "  --fault MODE       misbehave, repeatable: no-reply, corrupt-crc:N, only-address-1,\n"
        "                     stray-byte, slow:MS (a late reply), drop-after:K (TCP),\n"
        "                     split:N (a reply in two writes, N bytes first), endless (a stream\n"
        "                     of bytes that never ends), vanish (the pty / connection closes\n"
        "                     while the program waits)\n"
        "  --no-stdin         ignore standard input (runs in the background until a signal)\n"
        "  --help             this text\n"
        "\n"
        "Prints \"pty PATH\" (first line), \"tcp HOST:PORT\" and \"ready\" once serving.\n"
        "Standard input takes: set I3=1 | set Z1=1 | set V1=5.00 | get Q1 | dump | run | stop | quit.\n");
}

DeviceArguments ParseDeviceArguments(const QStringList& arguments) {
    DeviceArguments result;
    DeviceServerOptions& o = result.options;
    auto fail = [&result](const QString& error) {
        result.error = error;
        return result;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString option = arguments[i];
        QString value;
        bool inlineValue = false;
        if (option.startsWith(QStringLiteral("--")) && option.contains(u'=')) {
            value = option.section(u'=', 1);
            option = option.section(u'=', 0, 0);
            inlineValue = true;
        }
        auto takeValue = [&](QString& out) {
            if (inlineValue) {
                out = value;
                return true;
            }
            if (i + 1 >= arguments.size()) {
                return false;
            }
            out = arguments[++i];
            return true;
        };
        const bool takesValue = option == QLatin1String("--model") || option == QLatin1String("--id") ||
                                option == QLatin1String("--tcp") || option == QLatin1String("--firmware") ||
                                option == QLatin1String("--password") || option == QLatin1String("--state") ||
                                option == QLatin1String("--fault");
        if (takesValue && !takeValue(value)) {
            return fail(QStringLiteral("%1 needs a value").arg(option));
        }
        if (!takesValue && inlineValue) {
            return fail(QStringLiteral("%1 takes no value").arg(option));
        }
        if (option == QLatin1String("--help") || option == QLatin1String("-h")) {
            result.help = true;
        } else if (option == QLatin1String("--model")) {
            if (!ParseInt(value, 0, 15, o.device.model)) {
                return fail(QStringLiteral("--model: '%1' is not a model code 0..15").arg(value));
            }
        } else if (option == QLatin1String("--id")) {
            if (!ParseInt(value, DeviceAddress::FirstId, DeviceAddress::LastId, o.device.id)) {
                return fail(QStringLiteral("--id: '%1' is not a Modbus address 1..247").arg(value));
            }
        } else if (option == QLatin1String("--tcp")) {
            QString error;
            if (!ParseTcpEndpoint(value, o.tcpAddress, o.tcpPort, error)) {
                return fail(error);
            }
            o.tcp = true;
        } else if (option == QLatin1String("--pty")) {
            o.pty = true;
        } else if (option == QLatin1String("--no-stdin")) {
            o.readStdin = false;
        } else if (option == QLatin1String("--firmware")) {
            if (value.size() > 9 || value.isEmpty()) {
                return fail(QStringLiteral("--firmware: 1 to 9 characters, got '%1'").arg(value));
            }
            o.device.firmware = value;
        } else if (option == QLatin1String("--password")) {
            static const QRegularExpression fourDigits(QStringLiteral("^[0-9]{4}$"));
            if (!fourDigits.match(value).hasMatch()) {
                return fail(QStringLiteral("--password: four digits, got '%1'").arg(value));
            }
            o.device.password = value;
        } else if (option == QLatin1String("--state")) {
            if (value.isEmpty()) {
                return fail(QStringLiteral("--state needs a folder"));
            }
            o.stateDir = value;
        } else if (option == QLatin1String("--fault")) {
            const std::optional<Fault> fault = ParseFault(value);
            if (!fault) {
                return fail(QStringLiteral("--fault: unknown mode '%1'").arg(value));
            }
            o.faults.append(*fault);
        } else {
            return fail(QStringLiteral("unknown option '%1'").arg(arguments[i]));
        }
    }
    if (!result.help && !o.tcp && !o.pty) {
        return fail(QStringLiteral("nothing to serve: give --tcp and/or --pty"));
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Framing

void RtuFrameBuffer::append(const QByteArray& bytes) {
    if (overflowed_) {
        return;
    }
    if (bytes_.size() + bytes.size() > kMaxFrame) {
        bytes_.clear();
        bytes_.squeeze();
        overflowed_ = true;
        return;
    }
    bytes_.append(bytes);
}

QByteArray RtuFrameBuffer::take() {
    QByteArray frame;
    frame.swap(bytes_);
    if (overflowed_) {
        frame.clear();
    }
    overflowed_ = false;
    return frame;
}

bool RtuFrameBuffer::looksComplete() const {
    return !overflowed_ && HasValidCrc(bytes_);
}

// ---------------------------------------------------------------------------------------------
// Endpoints

// The device end of a pseudo-terminal. The server keeps the slave side open itself, so that
// the master does not report a hang-up each time a client closes it.
class DeviceServer::PtyEndpoint : public QObject {
  public:
    PtyEndpoint(DeviceServer& server, int gapMs) : server_(server) {
        gap_.setSingleShot(true);
        gap_.setTimerType(Qt::PreciseTimer);
        gap_.setInterval(gapMs);
        connect(&gap_, &QTimer::timeout, this, [this] { onSilence(); });
    }
    ~PtyEndpoint() override {
        notifier_.reset();
        if (slave_ >= 0) {
            ::close(slave_);
        }
        if (master_ >= 0) {
            ::close(master_);
        }
    }

    bool open(QString* error) {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
            *error = QStringLiteral("cannot create a pseudo-terminal: %1")
                         .arg(QString::fromLocal8Bit(strerror(errno)));
            return false;
        }
        const char* name = ::ptsname(master_);
        if (name == nullptr) {
            *error = QStringLiteral("cannot name the pseudo-terminal");
            return false;
        }
        path_ = QString::fromLocal8Bit(name);
        slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (slave_ < 0) {
            *error = QStringLiteral("cannot open %1: %2").arg(path_, QString::fromLocal8Bit(strerror(errno)));
            return false;
        }
        // Raw bytes both ways: no echo (a reply would come back as a request), no line editing,
        // no newline or flow-control translation of binary frames.
        termios tio{};
        if (::tcgetattr(slave_, &tio) == 0) {
            ::cfmakeraw(&tio);
            tio.c_cflag |= CLOCAL | CREAD;
            tio.c_cc[VMIN] = 1;
            tio.c_cc[VTIME] = 0;
            ::tcsetattr(slave_, TCSANOW, &tio);
        }
        notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
        connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { onReadable(); });
        return true;
    }

    const QString& path() const { return path_; }

    void write(const QByteArray& bytes) {
        if (master_ < 0) {
            return;
        }
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                ::write(master_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
            if (n <= 0) {
                if (n < 0 && errno == EINTR) {
                    continue;
                }
                return;  // nobody reads and the terminal is full: the reply is lost, as on a line
            }
            done += n;
        }
    }

  private:
    void onReadable() {
        char chunk[512];
        for (;;) {
            const ssize_t n = ::read(master_, chunk, sizeof chunk);
            if (n > 0) {
                buffer_.append(QByteArray(chunk, static_cast<qsizetype>(n)));
                gap_.start();
                continue;
            }
            if (n < 0 && errno == EINTR) {
                continue;
            }
            return;
        }
    }

    void onSilence() {
        const QByteArray frame = buffer_.take();
        if (frame.isEmpty()) {
            return;
        }
        playReply(
            this, server_.respond(frame), [this](const QByteArray& bytes) { write(bytes); },
            [this] { closeLine(); });
    }

    // Both ends closed, as a cable pulled out: the program's side reads a hang-up.
    void closeLine() {
        gap_.stop();
        notifier_.reset();
        for (int* fd : {&slave_, &master_}) {
            if (*fd >= 0) {
                ::close(*fd);
                *fd = -1;
            }
        }
    }

    DeviceServer& server_;
    int master_ = -1;
    int slave_ = -1;
    QString path_;
    std::unique_ptr<QSocketNotifier> notifier_;
    RtuFrameBuffer buffer_;
    QTimer gap_;
};

// One TCP client. Frames arrive whole in a segment as the program sends them; a frame whose
// CRC does not check yet waits a short time for the rest.
class DeviceServer::TcpConnection : public QObject {
  public:
    TcpConnection(DeviceServer& server, QTcpSocket* socket, int partialMs, int dropAfter)
        : QObject(socket), server_(server), socket_(socket), dropAfter_(dropAfter) {
        partial_.setSingleShot(true);
        partial_.setInterval(partialMs);
        connect(&partial_, &QTimer::timeout, this, [this] { handleFrame(); });
        connect(socket, &QTcpSocket::readyRead, this, [this] { onReadyRead(); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

  private:
    void onReadyRead() {
        if (closing_) {
            socket_->readAll();
            return;
        }
        buffer_.append(socket_->readAll());
        if (buffer_.looksComplete()) {
            partial_.stop();
            handleFrame();
        } else if (!buffer_.isEmpty()) {
            partial_.start();
        }
    }

    void handleFrame() {
        const QByteArray frame = buffer_.take();
        if (frame.isEmpty()) {
            return;
        }
        ++frames_;
        const bool drop = dropAfter_ > 0 && frames_ >= dropAfter_;
        if (drop) {
            closing_ = true;
        }
        Reply reply = server_.respond(frame);
        reply.closeAfter = drop;
        QPointer<QTcpSocket> socket(socket_);
        playReply(
            this, reply,
            [socket](const QByteArray& bytes) {
                if (socket) {
                    socket->write(bytes);
                    socket->flush();
                }
            },
            [socket] {
                if (socket) {
                    socket->disconnectFromHost();
                }
            });
    }

    DeviceServer& server_;
    QTcpSocket* socket_;
    RtuFrameBuffer buffer_;
    QTimer partial_;
    int dropAfter_ = 0;
    int frames_ = 0;
    bool closing_ = false;
};

// ---------------------------------------------------------------------------------------------
// The server

DeviceServer::DeviceServer(DeviceServerOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)), clock_(std::make_unique<WallClock>()) {
    device_ = std::make_unique<VirtualDevice>(options_.device, *clock_);
}

DeviceServer::~DeviceServer() {
    stop();
}

bool DeviceServer::start(QString* error, QStringList* warnings) {
    QString ignored;
    QString& err = error != nullptr ? *error : ignored;
    if (!options_.stateDir.isEmpty()) {
        QDir dir(options_.stateDir);
        if (!dir.exists() && !QDir().mkpath(options_.stateDir)) {
            err = QStringLiteral("cannot create the state folder %1").arg(options_.stateDir);
            return false;
        }
        QString loadError;
        if (!device_->loadState(options_.stateDir, &loadError) && warnings != nullptr) {
            warnings->append(QStringLiteral("state in %1 not loaded (%2); starting fresh")
                                 .arg(options_.stateDir, loadError));
        }
    }
    if (options_.pty) {
        pty_ = std::make_unique<PtyEndpoint>(*this, options_.ptyFrameGapMs);
        if (!pty_->open(&err)) {
            pty_.reset();
            return false;
        }
    }
    if (options_.tcp) {
        tcpServer_ = new QTcpServer(this);
        if (!tcpServer_->listen(options_.tcpAddress, options_.tcpPort)) {
            err = QStringLiteral("cannot listen on %1:%2: %3")
                      .arg(options_.tcpAddress.toString())
                      .arg(options_.tcpPort)
                      .arg(tcpServer_->errorString());
            delete tcpServer_;
            tcpServer_ = nullptr;
            return false;
        }
        connect(tcpServer_, &QTcpServer::newConnection, this, &DeviceServer::acceptConnections);
    }
    scanTimer_ = new QTimer(this);
    scanTimer_->setInterval(options_.scanIntervalMs);
    connect(scanTimer_, &QTimer::timeout, this, [this] { device_->tick(); });
    scanTimer_->start();
    return true;
}

void DeviceServer::stop() {
    if (scanTimer_ == nullptr && tcpServer_ == nullptr && !pty_) {
        return;
    }
    delete scanTimer_;
    scanTimer_ = nullptr;
    if (tcpServer_ != nullptr) {
        tcpServer_->close();
        delete tcpServer_;  // its sockets are its children
        tcpServer_ = nullptr;
    }
    pty_.reset();
    saveState();
}

void DeviceServer::acceptConnections() {
    int dropAfter = 0;
    for (const Fault& fault : options_.faults) {
        if (fault.mode == FaultMode::DropAfter) {
            dropAfter = fault.value;
        }
    }
    while (QTcpSocket* socket = tcpServer_->nextPendingConnection()) {
        socket->setParent(tcpServer_);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        new TcpConnection(*this, socket, options_.tcpPartialFrameMs, dropAfter);
    }
}

QString DeviceServer::ptyPath() const {
    return pty_ ? pty_->path() : QString();
}

quint16 DeviceServer::tcpPort() const {
    return tcpServer_ != nullptr ? tcpServer_->serverPort() : 0;
}

QStringList DeviceServer::startupLines() const {
    QStringList lines;
    if (pty_) {
        lines << QStringLiteral("pty ") + pty_->path();
    }
    if (tcpServer_ != nullptr) {
        const QHostAddress address = tcpServer_->serverAddress();
        const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                                 ? QStringLiteral("[%1]").arg(address.toString())
                                 : address.toString();
        lines << QStringLiteral("tcp %1:%2").arg(host).arg(tcpServer_->serverPort());
    }
    return lines;
}

DeviceServer::Reply DeviceServer::respond(const QByteArray& request) {
    bool onlyAddress1 = false, stray = false;
    int corruptEvery = 0, delay = 0, splitAt = 0;
    for (const Fault& fault : options_.faults) {
        switch (fault.mode) {
            case FaultMode::NoReply:
                return {};
            case FaultMode::OnlyAddress1:
                onlyAddress1 = true;
                break;
            case FaultMode::CorruptCrc:
                corruptEvery = fault.value;
                break;
            case FaultMode::StrayByte:
                stray = true;
                break;
            case FaultMode::Slow:
                delay = fault.value;
                break;
            case FaultMode::DropAfter:
                break;
            case FaultMode::Split:
                splitAt = fault.value;
                break;
            case FaultMode::Endless: {
                Reply stream;
                stream.endless = true;
                return stream;
            }
            case FaultMode::Vanish: {
                Reply gone;
                gone.vanish = true;
                gone.delayMs = kVanishAfterMs;
                return gone;
            }
        }
    }
    QByteArray frame = request;
    if (onlyAddress1) {
        if (!HasValidCrc(request) || ByteReader(request).u8(0) != DeviceAddress::Service) {
            return {};
        }
        // The point-to-point address reaches the device whatever its own address (which the
        // program may have changed through the communication registers); the reply goes out as
        // from the service address.
        frame[0] = static_cast<char>(DeviceAddress::PointToPoint);
        AppendCrc(frame);
    }
    QByteArray reply = device_->handleFrame(frame);
    if (reply.isEmpty()) {
        return {};
    }
    if (onlyAddress1 && reply.size() >= 4) {
        reply[0] = static_cast<char>(DeviceAddress::Service);
        AppendCrc(reply);
    }
    // Writes change the memory kept between runs.
    const std::uint8_t function = ByteReader(frame).u8(1).value_or(0);
    if (function == FunctionCode::WriteCoil || function == FunctionCode::WriteRegister ||
        function == FunctionCode::WriteCoils || function == FunctionCode::WriteRegisters ||
        function == FunctionCode::WriteArea) {
        saveState();
    }
    ++repliesSent_;
    if (corruptEvery > 0 && repliesSent_ % corruptEvery == 0) {
        reply[reply.size() - 1] = static_cast<char>(reply[reply.size() - 1] ^ 0x5A);
    }
    if (stray) {
        reply.truncate(1);
    }
    Reply out;
    out.bytes = reply;
    out.delayMs = delay;
    out.splitAt = splitAt;
    return out;
}

void DeviceServer::playReply(QObject* owner, const Reply& reply,
                             const std::function<void(const QByteArray&)>& write,
                             const std::function<void()>& close) {
    auto deliver = [owner, reply, write, close] {
        if (reply.vanish) {
            close();
            return;
        }
        if (reply.endless) {
            // One stream per line: a request during the stream does not start a second one.
            if (owner->findChild<QTimer*>(QStringLiteral("endless")) == nullptr) {
                auto* stream = new QTimer(owner);
                stream->setObjectName(QStringLiteral("endless"));
                QObject::connect(stream, &QTimer::timeout, owner,
                                 [write] { write(QByteArray(1, kStreamByte)); });
                stream->start(kStreamByteMs);
            }
            return;
        }
        if (reply.bytes.isEmpty()) {
            return;
        }
        const auto finish = [reply, close] {
            if (reply.closeAfter) {
                close();
            }
        };
        if (reply.splitAt > 0 && reply.splitAt < reply.bytes.size()) {
            write(reply.bytes.left(reply.splitAt));
            QTimer::singleShot(kSplitPauseMs, owner, [reply, write, finish] {
                write(reply.bytes.mid(reply.splitAt));
                finish();
            });
            return;
        }
        write(reply.bytes);
        finish();
    };
    if (reply.delayMs > 0) {
        QTimer::singleShot(reply.delayMs, owner, deliver);
    } else {
        deliver();
    }
}

void DeviceServer::saveState() {
    if (options_.stateDir.isEmpty()) {
        return;
    }
    QString error;
    if (!device_->saveState(options_.stateDir, &error) && !saveErrors_.contains(error) &&
        saveErrors_.size() < 10) {
        saveErrors_.append(error);
    }
}

// Run and stop reach the device as the program sends them: the one-byte run-mode setting.
bool DeviceServer::setRunMode(bool run) {
    QByteArray frame =
        ItemWriteRequest(static_cast<std::uint8_t>(options_.device.id), Area::Setting,
                         QByteArray(1, static_cast<char>(run ? DeviceMode::Run : DeviceMode::Stop)));
    AppendCrc(frame);
    const QByteArray reply = device_->handleFrame(frame);
    if (reply.size() < kMinFrameBytes || (*ByteReader(reply).u8(1) & FunctionCode::ExceptionFlag) != 0) {
        return false;
    }
    saveState();
    return true;
}

namespace {

// Operand letter to module: I/J/K/L are the inputs, Q/U/V/W the outputs of the base module
// and extension modules A, B, C.
int InputModule(QChar letter) {
    return QStringLiteral("IJKL").indexOf(letter);
}
int OutputModule(QChar letter) {
    return QStringLiteral("QUVW").indexOf(letter);
}

}  // namespace

QStringList DeviceServer::executeLine(const QString& line, bool* quit) {
    const QString text = line.trimmed();
    if (text.isEmpty() || text.startsWith(u'#')) {
        return {};
    }
    const QStringList words = text.split(u' ', Qt::SkipEmptyParts);
    const QString command = words[0].toLower();
    const QString argument = words.size() > 1 ? words[1].toUpper() : QString();
    const QString ok = QStringLiteral("ok");
    auto error = [](const QString& message) { return QStringList{QStringLiteral("error: ") + message}; };

    if (command == QLatin1String("quit") && words.size() == 1) {
        if (quit != nullptr) {
            *quit = true;
        }
        return {ok};
    }
    if (command == QLatin1String("dump") && words.size() == 1) {
        QStringList lines = device_->dump().split(u'\n');
        while (!lines.isEmpty() && lines.last().isEmpty()) {
            lines.removeLast();
        }
        lines << ok;
        return lines;
    }
    if ((command == QLatin1String("run") || command == QLatin1String("stop")) && words.size() == 1) {
        if (!setRunMode(command == QLatin1String("run"))) {
            return error(QStringLiteral("the device refused the run-mode command"));
        }
        return {ok};
    }
    if (command == QLatin1String("help") && words.size() == 1) {
        return {QStringLiteral("set I1..L8=0|1, set Z1..Z4=0|1, set V1..V8=VOLTS, get I1..L8|Q1..W4, dump, "
                               "run, stop, quit"),
                ok};
    }
    if (command == QLatin1String("get") && words.size() == 2) {
        static const QRegularExpression pattern(QStringLiteral("^([IJKLQUVW])([1-8])$"));
        const QRegularExpressionMatch m = pattern.match(argument);
        if (!m.hasMatch()) {
            return error(QStringLiteral("cannot get '%1' (I1..L8 inputs, Q1..W4 outputs)").arg(words[1]));
        }
        const QChar letter = m.captured(1).at(0);
        const int n = m.captured(2).toInt();
        bool on = false;
        if (const int module = InputModule(letter); module >= 0) {
            on = device_->input(module, n);
        } else {
            if (n > 4) {
                return error(QStringLiteral("outputs are numbered 1..4"));
            }
            on = device_->output(OutputModule(letter), n);
        }
        return {QStringLiteral("%1%2=%3").arg(letter).arg(n).arg(on ? 1 : 0)};
    }
    if (command == QLatin1String("set") && words.size() == 2) {
        static const QRegularExpression pattern(QStringLiteral("^([IJKLZV])([1-8])=(.+)$"));
        const QRegularExpressionMatch m = pattern.match(argument);
        if (!m.hasMatch()) {
            return error(QStringLiteral("cannot set '%1' (I1..L8, Z1..Z4, V1..V8)").arg(words[1]));
        }
        const QChar letter = m.captured(1).at(0);
        const int n = m.captured(2).toInt();
        const QString value = m.captured(3);
        if (letter == u'V') {
            bool number = false;
            const double volts = value.toDouble(&number);
            const double hundredths = std::round(volts * 100.0);
            if (!number || !std::isfinite(volts) || std::abs(hundredths) > 32767.0) {
                return error(QStringLiteral("'%1' is not a voltage").arg(value));
            }
            device_->setVoltage(n - 1, static_cast<int>(hundredths));
            return {ok};
        }
        if (value != QLatin1String("0") && value != QLatin1String("1")) {
            return error(QStringLiteral("'%1' is not 0 or 1").arg(value));
        }
        const bool on = value == QLatin1String("1");
        if (letter == u'Z') {
            if (n > 4) {
                return error(QStringLiteral("keys are Z1..Z4"));
            }
            device_->setKey(n, on);
        } else {
            device_->setInput(InputModule(letter), n, on);
        }
        return {ok};
    }
    return error(QStringLiteral("unknown command '%1' (try help)").arg(text));
}

}  // namespace bdx
