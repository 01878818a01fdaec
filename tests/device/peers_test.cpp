// The virtual device against peers nobody here wrote (libmodbus, mbpoll), and against the
// program's own communication code end to end.

#include <gtest/gtest.h>
#include <modbus.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <cstdio>

#include "comm/device_image.h"
#include "comm/modbus_requests.h"
#include "comm/transport.h"
#include "pc_link.h"
#include "shell/scripted_prompter.h"

namespace bdx {
namespace {

using test::DeviceProcess;
using test::Frame;
using test::TcpExchange;

struct ModbusContext {
    modbus_t* ctx = nullptr;
    ~ModbusContext() {
        if (ctx != nullptr) {
            modbus_close(ctx);
            modbus_free(ctx);
        }
    }
};

int GetBit(DeviceProcess& device, const QString& name) {
    const QStringList out = device.command(QStringLiteral("get ") + name);
    if (out.size() != 1 || !out[0].startsWith(name + u'=')) {
        return -1;
    }
    return out[0].section(u'=', 1).toInt();
}

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

    // Discrete inputs: what the panel sets is what a Modbus master reads.
    for (const char* line : {"set I1=1", "set I3=1", "set J2=1", "set K8=1", "set L1=1", "set Z4=1"}) {
        ASSERT_EQ(device.command(QString::fromLatin1(line)), QStringList{"ok"}) << line;
    }
    uint8_t bits[40] = {};
    ASSERT_EQ(modbus_read_input_bits(m.ctx, 0, 40, bits), 40) << modbus_strerror(errno);
    for (int module = 0; module < 4; ++module) {
        for (int n = 1; n <= 8; ++n) {
            const QString name = QString(QStringLiteral("IJKL").at(module)) + QString::number(n);
            EXPECT_EQ(bits[module * 8 + n - 1], GetBit(device, name)) << name.toStdString();
        }
    }
    EXPECT_EQ(bits[35], 1);  // Z4
    EXPECT_EQ(bits[32] + bits[33] + bits[34], 0);

    // Analog inputs in hundredths of a volt.
    ASSERT_EQ(device.command(QStringLiteral("set V1=5.00")), QStringList{"ok"});
    ASSERT_EQ(device.command(QStringLiteral("set V2=2.37")), QStringList{"ok"});
    uint16_t analog[8] = {};
    ASSERT_EQ(modbus_read_input_registers(m.ctx, 64, 8, analog), 8) << modbus_strerror(errno);
    EXPECT_EQ(analog[0], 500);
    EXPECT_EQ(analog[1], 237);

    // The daylight-saving block and the clock, written and read back as holding registers.
    const uint16_t dst[13] = {1, 4, 0, 2, 2, 0, 4, 0, 9, 3, 0, 1, 0};
    ASSERT_EQ(modbus_write_registers(m.ctx, 390, 13, dst), 13) << modbus_strerror(errno);
    uint16_t dstBack[13] = {};
    ASSERT_EQ(modbus_read_registers(m.ctx, 390, 13, dstBack), 13) << modbus_strerror(errno);
    EXPECT_TRUE(std::equal(std::begin(dst), std::end(dst), std::begin(dstBack)));
    uint16_t clock[6] = {};
    ASSERT_EQ(modbus_read_registers(m.ctx, 384, 6, clock), 6) << modbus_strerror(errno);
    ASSERT_EQ(modbus_write_registers(m.ctx, 384, 6, clock), 6) << modbus_strerror(errno);

    // Outputs, once the device is under the PC's control (a custom function code, which
    // libmodbus cannot read the answer of: sent over TCP instead).
    QTcpSocket socket;
    ASSERT_TRUE(device.connect(socket));
    ASSERT_TRUE(HasValidCrc(TcpExchange(socket, Frame({3, 101, 0, Area::Command}))));
    const uint8_t coils[16] = {1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(modbus_write_bits(m.ctx, 0, 16, coils), 16) << modbus_strerror(errno);
    EXPECT_EQ(GetBit(device, QStringLiteral("Q1")), 1);
    EXPECT_EQ(GetBit(device, QStringLiteral("Q2")), 0);
    EXPECT_EQ(GetBit(device, QStringLiteral("Q3")), 1);
    EXPECT_EQ(GetBit(device, QStringLiteral("Q4")), 0);
}

TEST(DevicePeers, MbpollReadsTheDiscreteInputs) {
    const QString mbpoll = QStringLiteral("/usr/bin/mbpoll");
    if (!QFileInfo(mbpoll).isExecutable()) {
        GTEST_SKIP() << "mbpoll is not installed";
    }
    DeviceProcess device;
    ASSERT_TRUE(device.start({"--pty"})) << device.failure.toStdString();
    ASSERT_EQ(device.command(QStringLiteral("set I1=1")), QStringList{"ok"});
    ASSERT_EQ(device.command(QStringLiteral("set I3=1")), QStringList{"ok"});

    QProcess poll;
    poll.start(mbpoll, {"-m", "rtu", "-a", "1", "-b", "9600", "-P", "none", "-t", "1", "-r", "1", "-c", "8",
                        "-1", device.ptyPath});
    ASSERT_TRUE(poll.waitForFinished(20000));
    const QString out = QString::fromLocal8Bit(poll.readAllStandardOutput());
    ASSERT_EQ(poll.exitCode(), 0) << out.toStdString() << poll.readAllStandardError().constData();
    // Lines such as "[3]: 	1".
    static const QRegularExpression line(QStringLiteral(R"(^\[(\d+)\]:\s+(\d+)\s*$)"),
                                         QRegularExpression::MultilineOption);
    QList<int> values(9, -1);
    for (QRegularExpressionMatchIterator it = line.globalMatch(out); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const int ref = match.captured(1).toInt();
        if (ref >= 1 && ref <= 8) {
            values[ref] = match.captured(2).toInt();
        }
    }
    EXPECT_EQ(values.mid(1), (QList<int>{1, 0, 1, 0, 0, 0, 0, 0})) << out.toStdString();
}

// The program's own transaction and packet transfer against the device: the image goes out in
// 200-byte packets and comes back unchanged. The time taken is printed for the record.
void TransferImage(ModbusSession& session, const DeviceImage& image, const char* transport) {
    const QByteArray code(reinterpret_cast<const char*>(image.data()), kProgramCodeSize);
    const QByteArray blocks(reinterpret_cast<const char*>(image.data()) + kProgramCodeSize, kBlockDataSize);
    QElapsedTimer timer;
    timer.start();
    const int before = session.transactionCount();
    ASSERT_TRUE(WriteDeviceSetting(session, 3));  // stopped, as before any transfer
    ASSERT_TRUE(WriteDeviceArea(session, Area::ProgramCode, code));
    ASSERT_TRUE(WriteDeviceArea(session, Area::BlockData, blocks));
    const qint64 written = timer.elapsed();
    const int writes = session.transactionCount() - before;
    QByteArray codeBack, blocksBack;
    ASSERT_EQ(ReadDeviceArea(session, Area::ProgramCode, codeBack), kProgramCodeSize);
    ASSERT_EQ(ReadDeviceArea(session, Area::BlockData, blocksBack), kBlockDataSize);
    const qint64 total = timer.elapsed();
    EXPECT_EQ(codeBack + blocksBack, code + blocks);
    std::printf(
        "[   INFO   ] %s: 4190 bytes written in %lld ms (%d round trips), read back in %lld ms "
        "(%d round trips)\n",
        transport, static_cast<long long>(written), writes, static_cast<long long>(total - written),
        session.transactionCount() - before - writes);
}

TEST(DevicePeers, OwnTransferOverTcpAndPty) {
    const DeviceImage image = BuildImage(test::Example("batching_counter.h53"), false);
    DeviceProcess device;
    ASSERT_TRUE(device.start({"--pty", "--tcp", "127.0.0.1:0"})) << device.failure.toStdString();
    ScriptedPrompter prompter;
    {
        CommState state;
        state.IsEthernet = true;
        state.TcpHost = QStringLiteral("127.0.0.1");
        state.TcpPort = device.tcpPort;
        TcpTransport transport(state, prompter);
        ASSERT_TRUE(transport.connectToDevice(5000));
        ModbusSession session(state, transport, prompter);
        TransferImage(session, image, "TCP");
    }
    {
        // The serial side with the silence time every caller uses (80 ms at 9600 baud).
        CommState state;
        state.SerialPortPath = device.ptyPath;
        SerialTransport transport(state);
        ModbusSession session(state, transport, prompter);
        TransferImage(session, image, "pty");
    }
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join(u'\n').toStdString();
}

}  // namespace
}  // namespace bdx
