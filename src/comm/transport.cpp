#include "transport.h"

#include <unistd.h>

#include <QEventLoop>
#include <QFileInfo>
#include <QStringList>
#include <QTcpSocket>

#include "comm/comm_texts.h"
#include "comm/port_access.h"
#include "comm/reply_framing.h"
#include "shell/language_table.h"
#include "shell/prompter.h"

namespace bdx {

namespace {
constexpr int kTextPortNotAvailable = 4223;  // "Serial communication port is not available."
}

// --- Transport -------------------------------------------------------------------------------

Transport::Transport(CommState& state, QObject* parent) : QObject(parent), state_(state) {}

void Transport::setSilenceInterval(int) {}

bool Transport::appendReceived(const QByteArray& bytes) {
    QByteArray& rx = rxBuffer();
    const qsizetype room = qsizetype(state_.maxReplyBytes) + 1 - rx.size();
    if (room > 0) {
        rx.append(bytes.left(room));
    }
    return overflowed();
}

bool Transport::overflowed() const {
    const QByteArray& rx = isEthernet() ? state_.EthernetRx : state_.SerialRx;
    return rx.size() > state_.maxReplyBytes;
}

void Transport::markReplyReady() {
    state_.ReplyReady = true;
    Q_EMIT replyReady();
}

void Transport::failLink(const QString& unshown) {
    failed_ = true;
    failureMessage_ = unshown;
    Q_EMIT linkFailure();
}

// --- Line settings ---------------------------------------------------------------------------

bool ParseLineSettings(const QString& text, LineSettings& settings) {
    const QStringList parts = text.split(u',');
    if (parts.size() != 4) {
        return false;
    }
    bool ok = false;
    const int baud = parts[0].trimmed().toInt(&ok);
    if (!ok || baud <= 0) {
        return false;
    }
    LineSettings parsed;
    parsed.baud = baud;
    const QString parity = parts[1].trimmed().toUpper();
    if (parity.isEmpty()) {
        return false;
    }
    switch (parity.at(0).unicode()) {
        case u'N':
            parsed.parity = QSerialPort::NoParity;
            break;
        case u'E':
            parsed.parity = QSerialPort::EvenParity;
            break;
        case u'O':
            parsed.parity = QSerialPort::OddParity;
            break;
        case u'M':
            parsed.parity = QSerialPort::MarkParity;
            break;
        case u'S':
            parsed.parity = QSerialPort::SpaceParity;
            break;
        default:
            return false;
    }
    const int data = parts[2].trimmed().toInt(&ok);
    if (!ok || data < 5 || data > 8) {
        return false;
    }
    parsed.dataBits = static_cast<QSerialPort::DataBits>(data);
    const QString stop = parts[3].trimmed();
    if (stop == u"1") {
        parsed.stopBits = QSerialPort::OneStop;
    } else if (stop == u"1.5") {
        parsed.stopBits = QSerialPort::OneAndHalfStop;
    } else if (stop == u"2") {
        parsed.stopBits = QSerialPort::TwoStop;
    } else {
        return false;
    }
    settings = parsed;
    return true;
}

// --- Serial ----------------------------------------------------------------------------------

SerialTransport::SerialTransport(CommState& state, QObject* parent)
    : Transport(state, parent), port_(std::make_unique<QSerialPort>()) {
    silence_.setSingleShot(true);
    silence_.setTimerType(Qt::PreciseTimer);
    silence_.setInterval(state.silenceMs);
    connect(&silence_, &QTimer::timeout, this, &SerialTransport::onSilence);
    connect(port_.get(), &QSerialPort::readyRead, this, &SerialTransport::onReadyRead);
    connect(port_.get(), &QSerialPort::errorOccurred, this, &SerialTransport::onError);
}

SerialTransport::~SerialTransport() {
    SerialTransport::closePort();
}

QString SerialTransport::effectiveLineSettings() const {
    return override_.isEmpty() ? state_.lineSettings() : override_;
}

bool SerialTransport::openPort() {
    closePort();
    state_.SerialRx.clear();
    LineSettings line;
    if (!ParseLineSettings(effectiveLineSettings(), line)) {
        line = LineSettings{};  // unreadable settings: the device's factory line settings
    }
    port_->setPortName(state_.SerialPortPath);
    port_->setBaudRate(line.baud);
    port_->setParity(line.parity);
    port_->setDataBits(line.dataBits);
    port_->setStopBits(line.stopBits);
    port_->setFlowControl(QSerialPort::NoFlowControl);
    // The port's own text, then which port and why.
    const auto refuse = [this](const QString& reason) {
        failLink(LoadText(kTextPortNotAvailable) + u'\n' + portName() + QStringLiteral(": ") + reason);
        return false;
    };
    if (state_.SerialPortPath.isEmpty()) {
        return refuse(LoadText(CommText::NoPortChosen));
    }
    // A missing device or one this user may not open: say why and how to fix it.
    const PortAccess access = CheckPortAccess(portName());
    if (access.state != PortAccessState::Ok) {
        return refuse(PortAccessMessage(access));
    }
    const QFileInfo file(portName());
    if (file.isFile()) {
        return refuse(LoadText(CommText::NotASerialPort));
    }
    if (!port_->open(QIODevice::ReadWrite)) {
        return refuse(port_->errorString());
    }
    if (::isatty(static_cast<int>(port_->handle())) == 0) {
        port_->close();
        return refuse(LoadText(CommText::NotASerialPort));
    }
    port_->clear();
    clearLinkFailure();
    return true;
}

QString SerialTransport::portName() const {
    return state_.SerialPortPath;
}

void SerialTransport::onError(QSerialPort::SerialPortError error) {
    if (!port_->isOpen() || (error != QSerialPort::ResourceError && error != QSerialPort::ReadError &&
                             error != QSerialPort::WriteError)) {
        return;
    }
    closePort();
    failLink(LoadText(CommText::SerialPortLost).arg(portName()));
}

void SerialTransport::closePort() {
    silence_.stop();
    if (port_->isOpen()) {
        port_->close();
    }
}

bool SerialTransport::isOpen() const {
    return port_->isOpen();
}

bool SerialTransport::sendFrame(const QByteArray& frame) {
    state_.TxBuffer = frame;
    if (!port_->isOpen() && !openPort()) {
        return false;
    }
    // Whatever is still on the line belongs to an earlier exchange.
    discardInput();
    return port_->write(state_.TxBuffer) == state_.TxBuffer.size();
}

void SerialTransport::discardInput() {
    silence_.stop();
    if (port_->isOpen()) {
        port_->readAll();
        port_->clear(QSerialPort::Input);
    }
    state_.SerialRx.clear();
}

void SerialTransport::setSilenceInterval(int ms) {
    silence_.setInterval(ms);
}

int SerialTransport::silenceInterval() const {
    return silence_.interval();
}

QString SerialTransport::errorString() const {
    return port_->errorString();
}

void SerialTransport::onReadyRead() {
    const QByteArray bytes = port_->readAll();
    if (bytes.isEmpty()) {
        return;
    }
    if (overflowed()) {
        return;  // already refused as overlong; the next send discards the rest
    }
    Q_EMIT bytesArrived();
    if (appendReceived(bytes)) {
        // A peer that never falls silent would keep the silence timer from firing for ever:
        // hand the overlong buffer over now and let the transaction refuse it.
        silence_.stop();
        markReplyReady();
        return;
    }
    silence_.start();  // counts from the last byte received
}

void SerialTransport::onSilence() {
    if (port_->isOpen() && port_->bytesAvailable() > 0) {
        appendReceived(port_->readAll());
    }
    if (!state_.SerialRx.isEmpty()) {
        markReplyReady();
    }
}

// --- TCP -------------------------------------------------------------------------------------

TcpTransport::TcpTransport(CommState& state, Prompter& prompter, QObject* parent)
    : Transport(state, parent), prompter_(prompter), socket_(std::make_unique<QTcpSocket>()) {
    connect(socket_.get(), &QTcpSocket::readyRead, this, &TcpTransport::onReadyRead);
    connect(socket_.get(), &QAbstractSocket::errorOccurred, this, &TcpTransport::onError);
}

TcpTransport::~TcpTransport() {
    socket_->disconnect(this);
    socket_->abort();
}

bool TcpTransport::connected() const {
    return socket_->state() == QAbstractSocket::ConnectedState;
}

bool TcpTransport::connectToDevice(int timeoutMs) {
    if (connected()) {
        return true;
    }
    socket_->abort();
    bool failed = false;
    QEventLoop loop;
    const auto onConnected = connect(socket_.get(), &QTcpSocket::connected, &loop, &QEventLoop::quit);
    const auto onFailed = connect(socket_.get(), &QAbstractSocket::errorOccurred, &loop, [&] {
        failed = true;
        loop.quit();
    });
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    socket_->connectToHost(state_.TcpHost, state_.TcpPort);
    if (!failed && socket_->state() != QAbstractSocket::UnconnectedState && !connected()) {
        if (timeoutMs >= 0) {
            limit.start(timeoutMs);
        }
        connectWait_ = &loop;
        loop.exec();
        connectWait_ = nullptr;
    }
    disconnect(onConnected);
    disconnect(onFailed);
    if (!connected()) {
        socket_->abort();
        return false;
    }
    clearLinkFailure();
    return true;
}

void TcpTransport::abortConnect() {
    if (connectWait_ != nullptr) {
        connectWait_->quit();
    }
}

void TcpTransport::disconnectFromDevice() {
    socket_->abort();
}

bool TcpTransport::sendFrame(const QByteArray& frame) {
    state_.TxBuffer = frame;
    state_.EthernetRx.clear();
    replyComplete_ = false;
    if (!connected()) {
        Q_EMIT notConnected();
        return false;
    }
    return socket_->write(state_.TxBuffer) == state_.TxBuffer.size();
}

void TcpTransport::discardInput() {
    socket_->readAll();
    state_.EthernetRx.clear();
}

void TcpTransport::onReadyRead() {
    const QByteArray bytes = socket_->readAll();
    if (bytes.isEmpty()) {
        return;
    }
    if (replyComplete_) {
        state_.EthernetRx.clear();
    }
    const bool overlong = appendReceived(bytes);
    Q_EMIT bytesArrived();
    replyComplete_ = overlong || ReplyBytesMissing(state_.EthernetRx, state_.TxBuffer) == 0;
    if (replyComplete_) {
        markReplyReady();
    }
}

QString TcpTransport::SocketErrorMessage(QAbstractSocket::SocketError error) {
    switch (error) {
        case QAbstractSocket::ConnectionRefusedError:
            return LoadText(CommText::SocketRefused);
        case QAbstractSocket::AddressInUseError:
            return LoadText(CommText::PortBusy) + u'\n' + LoadText(CommText::EnterAvailablePort);
        default:
            return LoadText(CommText::EthernetNotEstablished) + u'\n' + LoadText(CommText::IpReason) + u'\n' +
                   LoadText(CommText::CommCableReason) + u'\n' + LoadText(CommText::EthernetCableReason);
    }
}

QString TcpTransport::LinkLostMessage(const QString& host, quint16 port) {
    return LoadText(CommText::TcpLinkLost).arg(host).arg(port);
}

void TcpTransport::onError(QAbstractSocket::SocketError error) {
    // A link that was up and goes down was not refused: it was lost.
    const bool wasUp = connected() || error == QAbstractSocket::RemoteHostClosedError;
    const QString text = wasUp ? LinkLostMessage(state_.TcpHost, state_.TcpPort) : SocketErrorMessage(error);
    socket_->abort();
    if (!text.isEmpty()) {
        prompter_.critical(text);
    }
    // Only a lost link ends the operation in progress; a link never made is left to the
    // exchanges' own no-reply report.
    if (wasUp) {
        failLink({});
    }
    Q_EMIT linkLost();
}

}  // namespace bdx
