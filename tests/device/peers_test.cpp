// The virtual device against a Modbus master nobody here wrote (libmodbus) on its pty: every
// standard function code the program uses is understood as the master frames it.

#include <gtest/gtest.h>
#include <modbus.h>

#include <QTcpSocket>

#include "comm/device_image.h"
#include "device_process.h"

namespace bdx {
namespace {

using test::DeviceProcess;

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
