#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "device/virtual_device.h"

class QTcpServer;
class QTimer;

// The server around the virtual device: serves Modbus RTU frames on a pseudo-terminal and on
// TCP (the RTU frame carried as is), injects faults on request, runs the device's scans from a
// timer on the wall clock and takes panel actions as text lines (the process's standard input).
namespace bdx {

// Misbehaviour a test can ask of the device, to exercise the program's failure handling.
enum class FaultMode {
    NoReply,       // never answers
    CorruptCrc,    // every Nth reply with a broken CRC
    OnlyAddress1,  // answers at address 1 only, whatever its own address
    StrayByte,     // answers with a single byte
    Slow,          // delays every reply by N ms
    DropAfter,     // TCP: closes the connection after N frames
    // Faults of the link itself rather than of the device.
    Split,    // sends each reply in two writes: the first N bytes, a short pause, the rest
    Endless,  // answers with a stream of bytes that never ends
    Vanish,   // closes the pty / the connection while the program waits for a reply
};

struct Fault {
    FaultMode mode = FaultMode::NoReply;
    int value = 0;
    bool operator==(const Fault&) const = default;
};

// "no-reply", "corrupt-crc:N", "only-address-1", "stray-byte", "slow:MS", "drop-after:K",
// "split:N", "endless", "vanish".
std::optional<Fault> ParseFault(const QString& text);

struct DeviceServerOptions {
    VirtualDeviceOptions device;
    bool tcp = false;
    QHostAddress tcpAddress = QHostAddress(QHostAddress::LocalHost);
    quint16 tcpPort = 0;  // 0: the system chooses
    bool pty = false;
    bool readStdin = true;  // false: a background run, where standard input is /dev/null
    QString stateDir;       // empty: nothing kept between runs
    QList<Fault> faults;
    // A pty has no baud rate, so the end of a frame is a short fixed silence instead of
    // 3.5 character times.
    int ptyFrameGapMs = 5;
    // TCP carries a whole frame per segment; a frame whose CRC does not check yet waits this
    // long for the rest before it is taken as it is.
    int tcpPartialFrameMs = 100;
    int scanIntervalMs = 10;
};

// The command line without the program name. `help` for --help; `error` says what is wrong.
struct DeviceArguments {
    DeviceServerOptions options;
    bool help = false;
    QString error;
};
DeviceArguments ParseDeviceArguments(const QStringList& arguments);
QString DeviceServerUsage();

// Collects received bytes into one RTU frame. The buffer never holds more than the largest
// frame: on overflow everything up to the next silence is thrown away, so that a stream of
// garbage costs no memory and the next frame after a pause is read cleanly.
class RtuFrameBuffer {
  public:
    static constexpr int kMaxFrame = 256;

    void append(const QByteArray& bytes);
    // The frame collected so far (empty after an overflow); the buffer starts over.
    QByteArray take();
    bool isEmpty() const { return bytes_.isEmpty() && !overflowed_; }
    // A frame of at least 4 bytes whose CRC checks: over TCP it need not wait for silence.
    bool looksComplete() const;
    qsizetype size() const { return bytes_.size(); }

  private:
    QByteArray bytes_;
    bool overflowed_ = false;
};

class DeviceServer : public QObject {
    Q_OBJECT
  public:
    explicit DeviceServer(DeviceServerOptions options, QObject* parent = nullptr);
    ~DeviceServer() override;

    // Loads the kept state, opens the endpoints and starts the scan timer. False with `error`
    // when an endpoint cannot be opened. `warnings` gets what did not stop the start (a state
    // that could not be loaded).
    bool start(QString* error, QStringList* warnings = nullptr);
    // Saves the state and closes the endpoints.
    void stop();

    QString ptyPath() const;
    quint16 tcpPort() const;
    // The lines announcing the endpoints: "pty PATH" first, then "tcp HOST:PORT".
    QStringList startupLines() const;

    // One line of the text protocol; the lines to print. `quit` is set by "quit".
    QStringList executeLine(const QString& line, bool* quit = nullptr);

    // Why saving the state failed, when it did (at most a few distinct reasons).
    const QStringList& saveErrors() const { return saveErrors_; }

  private:
    // One request as it arrived on any transport; the reply after the fault modes (empty for
    // silence), how long to hold it back and how the link plays it out.
    struct Reply {
        QByteArray bytes;
        int delayMs = 0;
        int splitAt = 0;          // > 0: two writes, this many bytes first
        bool endless = false;     // a stream of bytes instead of the reply
        bool vanish = false;      // the line closed instead of the reply
        bool closeAfter = false;  // drop-after: the line closed once the reply is out
    };
    Reply respond(const QByteArray& request);
    // Writes `reply` through `write` as its fault modes say; `close` ends the line. `owner` keeps
    // the timers of a split or endless reply: they die with it.
    static void playReply(QObject* owner, const Reply& reply,
                          const std::function<void(const QByteArray&)>& write,
                          const std::function<void()>& close);

    class PtyEndpoint;
    class TcpConnection;

    void saveState();
    bool setRunMode(bool run);
    void acceptConnections();

    DeviceServerOptions options_;
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<VirtualDevice> device_;
    std::unique_ptr<PtyEndpoint> pty_;
    QTcpServer* tcpServer_ = nullptr;
    QTimer* scanTimer_ = nullptr;
    int repliesSent_ = 0;  // for corrupt-crc:N
    QStringList saveErrors_;
};

}  // namespace bdx
