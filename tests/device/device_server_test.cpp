#include "device/device_server.h"

#include <gtest/gtest.h>
#include <modbus.h>

#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include "comm/device_image.h"
#include "device_process.h"

namespace bdx {
namespace {

using test::DeviceProcess;
using test::Frame;
using test::PtyClient;
using test::TcpExchange;

QByteArray IdentityRequest(int id) {
    return Frame({id, 17});
}

// Starts the device with both transports and connects a TCP client to it.
struct Served {
    DeviceProcess device;
    QTcpSocket socket;

    bool start(QStringList extra = {}) {
        extra << QStringLiteral("--pty") << QStringLiteral("--tcp") << QStringLiteral("127.0.0.1:0");
        return device.start(extra) && device.connect(socket);
    }
};

TEST(DeviceServerProcess, AnnouncesItsEndpointsAndAnswersOnBoth) {
    Served s;
    ASSERT_TRUE(s.start({"--model", "3", "--id", "7", "--firmware", "QX 1.5"}))
        << s.device.failure.toStdString();
    ASSERT_EQ(s.device.startup.size(), 2);
    EXPECT_EQ(s.device.startup[0], QStringLiteral("pty ") + s.device.ptyPath);
    EXPECT_TRUE(s.device.ptyPath.startsWith(QStringLiteral("/dev/")));
    EXPECT_TRUE(s.device.startup[1].startsWith(QStringLiteral("tcp 127.0.0.1:")));

    // The options reach the device: its identity carries the firmware text and the model.
    const QByteArray overTcp = TcpExchange(s.socket, IdentityRequest(7));
    ASSERT_GE(overTcp.size(), 50) << overTcp.toHex().constData();
    EXPECT_EQ(overTcp.mid(35, 6), QByteArray("QX 1.5"));
    EXPECT_EQ(overTcp.mid(46, 2), QByteArray("03"));
    PtyClient pty(s.device.ptyPath);
    ASSERT_TRUE(pty.isOpen());
    EXPECT_EQ(pty.exchange(IdentityRequest(7)), overTcp);
    EXPECT_TRUE(pty.exchange(IdentityRequest(8), 300).isEmpty());
    EXPECT_TRUE(TcpExchange(s.socket, IdentityRequest(8), 300).isEmpty());
}

TEST(DeviceServerProcess, FramingSurvivesSplitSegmentsGarbageAndSeveralClients) {
    Served s;
    ASSERT_TRUE(s.start()) << s.device.failure.toStdString();
    const QByteArray request = IdentityRequest(1);

    // A frame split over two TCP segments is put back together.
    s.socket.write(request.left(1));
    s.socket.flush();
    QThread::msleep(20);
    const QByteArray split = TcpExchange(s.socket, request.mid(1));
    EXPECT_TRUE(HasValidCrc(split));

    // A second client is served while the first stays connected, and after it has gone.
    QTcpSocket second;
    ASSERT_TRUE(s.device.connect(second));
    EXPECT_EQ(TcpExchange(second, request), split);
    s.socket.disconnectFromHost();
    EXPECT_EQ(TcpExchange(second, request), split);

    // An endless stream of garbage on the line: no answer, and the first frame after a pause
    // is read cleanly.
    PtyClient pty(s.device.ptyPath);
    const QByteArray garbage(64 * 1024, '\x55');
    pty.write(garbage);
    pty.write(garbage);
    EXPECT_TRUE(pty.read(200).isEmpty());
    EXPECT_EQ(pty.exchange(request), split);
    ASSERT_EQ(s.device.process().state(), QProcess::Running);
}

// The text protocol on standard input; what "set" does to the frames is the peers' test.
TEST(DeviceServerProcess, PanelLines) {
    DeviceProcess device;
    ASSERT_TRUE(device.start({"--pty"})) << device.failure.toStdString();
    const std::pair<const char*, const char*> lines[] = {
        {"set I3=1", "ok"}, {"get I3", "I3=1"}, {"get I2", "I2=0"}, {"set V1=5.00", "ok"},
        {"get Q1", "Q1=0"}, {"stop", "ok"},     {"run", "ok"},
    };
    for (const auto& [line, answer] : lines) {
        EXPECT_EQ(device.command(QString::fromLatin1(line)), QStringList{QString::fromLatin1(answer)})
            << line;
    }
    // Nonsense is answered with an error line.
    for (const char* bad : {"frobnicate", "set I9=1", "set I1=2", "set Z5=1", "get Q5", "set V1=volts"}) {
        const QStringList out = device.command(QString::fromLatin1(bad));
        ASSERT_EQ(out.size(), 1) << bad;
        EXPECT_TRUE(out[0].startsWith(QStringLiteral("error: "))) << bad;
    }
    const QStringList dump = device.command(QStringLiteral("dump"));
    EXPECT_TRUE(dump.join(u'\n').contains(QStringLiteral("mode: run"))) << dump.join(u'\n').toStdString();
    EXPECT_EQ(dump.last(), QStringLiteral("ok"));
    EXPECT_EQ(device.command(QStringLiteral("quit")), QStringList{"ok"});
    EXPECT_EQ(device.waitForExit(), 0);
}

// Each fault mode once, over TCP. Silence and slow replies are the link faults' test, where the
// command-line tool must tell them apart.
TEST(DeviceServerProcess, FaultModes) {
    const QByteArray request = IdentityRequest(1);
    {
        Served s;
        ASSERT_TRUE(s.start({"--fault", "corrupt-crc:2"}));
        const QByteArray first = TcpExchange(s.socket, request);
        const QByteArray second = TcpExchange(s.socket, request);
        EXPECT_TRUE(HasValidCrc(first));
        ASSERT_EQ(second.size(), first.size());
        EXPECT_FALSE(HasValidCrc(second));
        EXPECT_EQ(second.chopped(2), first.chopped(2));
        EXPECT_TRUE(HasValidCrc(TcpExchange(s.socket, request)));
    }
    {
        Served s;
        ASSERT_TRUE(s.start({"--id", "5", "--fault", "only-address-1"}));
        EXPECT_TRUE(TcpExchange(s.socket, IdentityRequest(5), 300).isEmpty());
        const QByteArray reply = TcpExchange(s.socket, IdentityRequest(1));
        EXPECT_TRUE(HasValidCrc(reply));
        EXPECT_EQ(reply.left(2), QByteArray("\x01\x11"));
        // A broken frame to address 1 is not mended on the way.
        QByteArray broken = IdentityRequest(1);
        broken[2] = static_cast<char>(broken[2] ^ 1);
        EXPECT_TRUE(TcpExchange(s.socket, broken, 300).isEmpty());
    }
    {
        Served s;
        ASSERT_TRUE(s.start({"--fault", "stray-byte"}));
        EXPECT_EQ(TcpExchange(s.socket, request), QByteArray(1, '\x01'));
        PtyClient pty(s.device.ptyPath);
        EXPECT_EQ(pty.exchange(request), QByteArray(1, '\x01'));
    }
    {
        Served s;
        ASSERT_TRUE(s.start({"--fault", "drop-after:2"}));
        EXPECT_TRUE(HasValidCrc(TcpExchange(s.socket, request)));
        EXPECT_TRUE(HasValidCrc(TcpExchange(s.socket, request)));
        EXPECT_TRUE(s.socket.state() == QAbstractSocket::UnconnectedState ||
                    s.socket.waitForDisconnected(5000));
        // The device itself goes on serving new connections.
        QTcpSocket again;
        ASSERT_TRUE(s.device.connect(again));
        EXPECT_TRUE(HasValidCrc(TcpExchange(again, request)));
    }
}

TEST(DeviceServerProcess, StateSurvivesRestartWhateverEndsTheProcess) {
    QTemporaryDir dir;
    const QStringList args = {"--state", dir.path()};
    // The daylight-saving block: kept by the device between runs.
    const QByteArray write = Frame({1, 16, 1, 134, 0, 2, 4, 0, 1, 0, 3});
    {
        Served s;
        ASSERT_TRUE(s.start(args)) << s.device.failure.toStdString();
        ASSERT_TRUE(HasValidCrc(TcpExchange(s.socket, write)));
        s.device.process().terminate();  // SIGTERM
        EXPECT_EQ(s.device.waitForExit(), 0);
    }
    {
        Served s;
        ASSERT_TRUE(s.start(args)) << s.device.failure.toStdString();
        const QByteArray reply = TcpExchange(s.socket, Frame({1, 3, 1, 134, 0, 2}));
        ASSERT_EQ(reply.size(), 9) << reply.toHex().constData();
        EXPECT_EQ(reply.mid(3, 4), QByteArray::fromHex("00010003"));
        s.device.process().closeWriteChannel();  // end of input
        EXPECT_EQ(s.device.waitForExit(), 0);
    }
}

TEST(DeviceServerOptions, BadOptionsAreRefused) {
    for (const QStringList& args : QList<QStringList>{{"--tcp", "0", "--model", "16"},
                                                      {"--tcp", "0", "--id", "248"},
                                                      {"--tcp", "0", "--fault", "corrupt-crc:0"},
                                                      {"--tcp", "device.example:502"},
                                                      {"--pty", "--password", "12a4"},
                                                      {"--pty", "--state"},
                                                      {"--frobnicate"},
                                                      {}}) {
        EXPECT_FALSE(ParseDeviceArguments(args).error.isEmpty()) << args.join(u' ').toStdString();
    }
    // The process turns a refusal into exit code 2 and --help into the usage text.
    DeviceProcess refused, help;
    EXPECT_FALSE(refused.start({"--frobnicate"}));
    EXPECT_EQ(refused.waitForExit(), 2);
    EXPECT_TRUE(refused.failure.contains("error:")) << refused.failure.toStdString();
    EXPECT_FALSE(help.start({"--help"}));
    EXPECT_EQ(help.waitForExit(), 0);
    EXPECT_TRUE(help.startup.join(u'\n').contains("--fault"));
}

TEST(DeviceServerOptions, TcpEndpointsStayOnLoopbackUnlessWrittenOut) {
    struct Case {
        const char* tcp;
        const char* address;
        int port;
    };
    for (const Case& c : {Case{"0", "127.0.0.1", 0}, Case{"localhost:1502", "127.0.0.1", 1502},
                          Case{"[::1]:0", "::1", 0}, Case{"0.0.0.0:502", "0.0.0.0", 502}}) {
        const DeviceArguments a = ParseDeviceArguments({"--tcp", c.tcp});
        ASSERT_TRUE(a.error.isEmpty()) << c.tcp << ": " << a.error.toStdString();
        EXPECT_EQ(a.options.tcpAddress, QHostAddress(QString::fromLatin1(c.address))) << c.tcp;
        EXPECT_EQ(a.options.tcpPort, c.port) << c.tcp;
    }
    const DeviceArguments a = ParseDeviceArguments({"--pty", "--fault", "slow:250", "--fault=drop-after:3"});
    EXPECT_EQ(a.options.faults, (QList<Fault>{{FaultMode::Slow, 250}, {FaultMode::DropAfter, 3}}));
}

TEST(RtuFrameBuffer, OverflowDiscardsUntilTheNextSilence) {
    RtuFrameBuffer buffer;
    const QByteArray frame = IdentityRequest(1);
    for (int i = 0; i < 4096; ++i) {
        buffer.append(QByteArray(100, '\xAA'));
        ASSERT_LE(buffer.size(), RtuFrameBuffer::kMaxFrame);
    }
    buffer.append(frame);  // still inside the same burst: lost with it
    EXPECT_FALSE(buffer.looksComplete());
    EXPECT_TRUE(buffer.take().isEmpty());
    buffer.append(frame.left(3));
    EXPECT_FALSE(buffer.looksComplete());
    buffer.append(frame.mid(3));
    EXPECT_TRUE(buffer.looksComplete());
    EXPECT_EQ(buffer.take(), frame);
    EXPECT_TRUE(buffer.isEmpty());
}

// The virtual device against a Modbus master nobody here wrote (libmodbus) on its pty: every
// standard function code the program uses is understood as the master frames it.
struct ModbusContext {
    modbus_t* ctx = nullptr;
    ~ModbusContext() {
        if (ctx != nullptr) {
            modbus_close(ctx);
            modbus_free(ctx);
        }
    }
};

TEST(DevicePeers, LibmodbusRtuClientOnThePty) {
    DeviceProcess device;
    ASSERT_TRUE(device.start({"--pty", "--tcp", "127.0.0.1:0", "--id", "3", "--model", "9"}))
        << device.failure.toStdString();
    ModbusContext m;
    m.ctx = modbus_new_rtu(device.ptyPath.toLocal8Bit().constData(), 9600, 'N', 8, 1);
    ASSERT_NE(m.ctx, nullptr);
    ASSERT_EQ(modbus_set_slave(m.ctx, 3), 0);
    modbus_set_response_timeout(m.ctx, 2, 0);
    ASSERT_EQ(modbus_connect(m.ctx), 0) << modbus_strerror(errno);

    // What the panel sets is what a Modbus master reads: discrete inputs, analog in 1/100 V.
    for (const char* line : {"set I3=1", "set K8=1", "set Z4=1", "set V2=2.37"}) {
        ASSERT_EQ(device.command(QString::fromLatin1(line)), QStringList{"ok"}) << line;
    }
    uint8_t bits[40] = {};
    ASSERT_EQ(modbus_read_input_bits(m.ctx, 0, 40, bits), 40) << modbus_strerror(errno);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(bits[i], i == 2 || i == 23 || i == 35 ? 1 : 0) << i;
    }
    uint16_t analog[8] = {};
    ASSERT_EQ(modbus_read_input_registers(m.ctx, 64, 8, analog), 8) << modbus_strerror(errno);
    EXPECT_EQ(analog[1], 237);

    // The daylight-saving block written and read back as holding registers.
    const uint16_t dst[13] = {1, 4, 0, 2, 2, 0, 4, 0, 9, 3, 0, 1, 0};
    ASSERT_EQ(modbus_write_registers(m.ctx, 390, 13, dst), 13) << modbus_strerror(errno);
    uint16_t dstBack[13] = {};
    ASSERT_EQ(modbus_read_registers(m.ctx, 390, 13, dstBack), 13) << modbus_strerror(errno);
    EXPECT_TRUE(std::equal(std::begin(dst), std::end(dst), std::begin(dstBack)));

    // Outputs, once the device is under the PC's control (a custom function code, which
    // libmodbus cannot read the answer of: sent over TCP instead).
    QTcpSocket socket;
    ASSERT_TRUE(device.connect(socket));
    ASSERT_TRUE(HasValidCrc(test::TcpExchange(socket, test::Frame({3, 101, 0, Area::Command}))));
    const uint8_t coils[16] = {1, 0, 1};
    ASSERT_EQ(modbus_write_bits(m.ctx, 0, 16, coils), 16) << modbus_strerror(errno);
    for (const char* q : {"Q1=1", "Q2=0", "Q3=1", "Q4=0"}) {
        EXPECT_EQ(device.command(QStringLiteral("get ") + QString::fromLatin1(q).left(2)),
                  QStringList{QString::fromLatin1(q)});
    }
}

}  // namespace
}  // namespace bdx
