#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>
#include <memory>
#include <utility>

#include "comm/comm_state.h"

class QEventLoop;
class QTcpSocket;

namespace bdx {

class Prompter;

// One of the two ways a request frame reaches the device. The transport sends frames and feeds
// what comes back into the shared CommState: its receive buffer and ReplyReady. It never
// judges a reply; the transaction does.
class Transport : public QObject {
    Q_OBJECT
  public:
    explicit Transport(CommState& state, QObject* parent = nullptr);

    virtual bool isEthernet() const = 0;
    // Serial: (re)open the port with the current settings, buffers emptied. TCP: nothing to
    // open here (the link is connected once and kept); true when connected.
    virtual bool openPort() = 0;
    // Serial: close the port. TCP: nothing (the link stays up between operations).
    virtual void closePort() = 0;
    virtual bool isOpen() const = 0;
    // Copies the frame to TxBuffer and sends it, dropping anything received before. False
    // when nothing could be sent.
    virtual bool sendFrame(const QByteArray& frame) = 0;
    // Empties the receive buffer and any input still pending in the device driver.
    virtual void discardInput() = 0;
    // Serial only: the line silence after which a reply counts as complete.
    virtual void setSilenceInterval(int ms);
    virtual int silenceInterval() const { return 0; }

    CommState& state() { return state_; }
    // SerialRx or EthernetRx, as fits the transport.
    QByteArray& rxBuffer() { return isEthernet() ? state_.EthernetRx : state_.SerialRx; }

    // The port would not open, or the link went away (the serial peer hung up, the socket
    // closed): no exchange can succeed until the port is opened or the link connected again.
    bool linkFailed() const { return failed_; }
    // What the user has not been told about that failure yet (empty: already shown, or none).
    QString takeFailureMessage() { return std::exchange(failureMessage_, QString()); }
    // A new operation starts: an earlier failure has been reported and ended its own.
    void clearLinkFailure() {
        failed_ = false;
        failureMessage_.clear();
    }

  Q_SIGNALS:
    // ReplyReady has just been set.
    void replyReady();
    // Bytes arrived (the reply has started).
    void bytesArrived();
    // linkFailed() has just become true: a wait in progress ends.
    void linkFailure();

  protected:
    // Marks the link failed; `unshown` is the message still to be shown.
    void failLink(const QString& unshown);

    // Appends arrived bytes to the receive buffer, keeping at most maxReplyBytes + 1 of them
    // (one more than allowed, so an overlong reply stays recognisable as such). True when the
    // buffer overflowed: the peer is sending more than any reply can hold.
    bool appendReceived(const QByteArray& bytes);
    bool overflowed() const;
    // Sets ReplyReady and tells the waiting transaction.
    void markReplyReady();

    CommState& state_;

  private:
    bool failed_ = false;
    QString failureMessage_;
};

// Serial line settings parsed from "baud,parity,data,stop" (e.g. "9600,N,8,1").
struct LineSettings {
    qint32 baud = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};
// False for text that does not name a known setting.
bool ParseLineSettings(const QString& text, LineSettings& settings);

// A serial port, opened per operation on the device path in CommState. The end of a reply is
// the line falling silent: every arrival restarts the silence timer, and the reply is
// complete when it fires.
class SerialTransport : public Transport {
    Q_OBJECT
  public:
    explicit SerialTransport(CommState& state, QObject* parent = nullptr);
    ~SerialTransport() override;

    // Replaces the line settings of CommState (the device-parameter exchange and the firmware
    // update use the fixed "9600,n,8,1"). Empty: back to CommState's settings.
    void setLineSettingsOverride(const QString& text) { override_ = text; }
    // The settings text the next open applies.
    QString effectiveLineSettings() const;

    bool isEthernet() const override { return false; }
    bool openPort() override;
    void closePort() override;
    bool isOpen() const override;
    bool sendFrame(const QByteArray& frame) override;
    void discardInput() override;
    void setSilenceInterval(int ms) override;
    int silenceInterval() const override;

    // Last error text of the port, for the caller's own messages.
    QString errorString() const;

  private:
    void onReadyRead();
    void onSilence();
    // A port that hangs up or fails to read keeps signalling: it is closed at once.
    void onError(QSerialPort::SerialPortError error);
    QString portName() const;

    std::unique_ptr<QSerialPort> port_;
    QTimer silence_;
    QString override_;
};

// A TCP link carrying RTU frames unchanged (CRC included, no MBAP header). Connected once and
// kept until disconnected or a socket error. A reply split over several segments is gathered up
// to the length its header announces; an arrival whose length cannot be told is the reply as it
// stands.
class TcpTransport : public Transport {
    Q_OBJECT
  public:
    TcpTransport(CommState& state, Prompter& prompter, QObject* parent = nullptr);
    ~TcpTransport() override;

    // Connects to TcpHost:TcpPort of CommState and waits, processing events, until connected
    // or a socket error (reported through the Prompter). timeoutMs < 0: no time-out of its own.
    bool connectToDevice(int timeoutMs = -1);
    // Gives up a connectToDevice that is still waiting (the user's Stop); no message.
    void abortConnect();
    void disconnectFromDevice();
    bool connected() const;

    bool isEthernet() const override { return true; }
    bool openPort() override { return connected(); }
    void closePort() override {}
    bool isOpen() const override { return connected(); }
    bool sendFrame(const QByteArray& frame) override;
    void discardInput() override;

    // The message a socket error shows; empty for errors that show none.
    static QString SocketErrorMessage(QAbstractSocket::SocketError error);
    // The message when a link that was up goes down.
    static QString LinkLostMessage(const QString& host, quint16 port);

  Q_SIGNALS:
    // The link went down after an error (already reported): the settings dialog resets its
    // "Connect" caption and buttons.
    void linkLost();
    // A frame was to be sent while not connected.
    void notConnected();

  private:
    void onReadyRead();
    void onError(QAbstractSocket::SocketError error);

    Prompter& prompter_;
    std::unique_ptr<QTcpSocket> socket_;
    QEventLoop* connectWait_ = nullptr;  // set while connectToDevice waits
    bool replyComplete_ = false;  // the next arrival starts a new reply
};

}  // namespace bdx
