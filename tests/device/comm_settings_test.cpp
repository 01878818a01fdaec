#include "comm/comm_settings.h"

#include <gtest/gtest.h>

#include "../comm/fake_transport.h"
#include "comm/modbus_requests.h"
#include "shell/language_table.h"
#include "shell/scripted_prompter.h"

namespace bdx {
namespace {

TEST(CommSettings, ModbusIdAndEthernetFieldChecks) {
    for (const char* good : {"1", "247", " 12 "}) {
        EXPECT_FALSE(CheckModbusId(QString::fromLatin1(good))) << good;
    }
    for (const char* bad : {"0", "248", "", "1a", "-1", "99999999999"}) {
        EXPECT_EQ(CheckModbusId(QString::fromLatin1(bad)),
                  QStringLiteral("Modbus ID should be within 1 to 247"))
            << bad;
    }

    struct Case {
        std::array<const char*, 4> ip;
        const char* port;
        std::optional<EthernetField> field;
        const char* message;
    };
    const char* ip1 = "Please enter a valid IP Address between 1 to 223.";
    const char* ip23 = "Please enter a valid IP Address between 0 to 255.";
    const char* ip4 = "Please enter a valid IP Address between 1 to 254.";
    const char* port = "Please enter a valid Port Number between 1 to 65535.";
    const char* empty = "Please enter valid IP Address and/or Port Number";
    // clang-format off
    const Case cases[] = {
        {{"10", "0", "0", "1"}, "502", std::nullopt, ""},
        {{"223", "255", "255", "254"}, "65535", std::nullopt, ""},
        {{"224", "1", "1", "1"}, "502", EthernetField::IpPart1, ip1},
        {{"0", "1", "1", "1"}, "502", EthernetField::IpPart1, ip1},
        {{"10", "256", "0", "1"}, "502", EthernetField::IpPart2, ip23},
        {{"10", "0", "x", "1"}, "502", EthernetField::IpPart3, ip23},
        {{"10", "0", "0", "255"}, "502", EthernetField::IpPart4, ip4},
        {{"10", "0", "0", "0"}, "502", EthernetField::IpPart4, ip4},
        {{"10", "0", "0", "1"}, "0", EthernetField::Port, port},
        {{"10", "0", "0", "1"}, "65536", EthernetField::Port, port},
        {{"10", "", "0", "1"}, "502", EthernetField::IpPart2, empty},
        {{"300", "0", "0", "1"}, "", EthernetField::Port, empty},
    };
    // clang-format on
    for (const Case& c : cases) {
        const std::array<QString, 4> ip{QString::fromLatin1(c.ip[0]), QString::fromLatin1(c.ip[1]),
                                        QString::fromLatin1(c.ip[2]), QString::fromLatin1(c.ip[3])};
        const auto error = CheckEthernetFields(ip, QString::fromLatin1(c.port));
        ASSERT_EQ(error.has_value(), c.field.has_value()) << c.ip[0] << '.' << c.ip[3] << ':' << c.port;
        if (error) {
            EXPECT_EQ(error->field, *c.field) << c.message;
            EXPECT_EQ(error->message, QString::fromLatin1(c.message));
        }
    }
}

TEST(CommSettings, CommPortEncodingAndLineSettings) {
    EXPECT_EQ(EncodeCommPort(CommKind::Serial, 3), 3);
    EXPECT_EQ(EncodeCommPort(CommKind::UsbCable), 0x8000);
    EXPECT_EQ(EncodeCommPort(CommKind::UsbCable, 5), 0x8005);
    EXPECT_EQ(EncodeCommPort(CommKind::Ethernet, 7), 1000);
    EXPECT_EQ(CommKindOf(0), CommKind::NotConfigured);
    EXPECT_EQ(CommKindOf(4), CommKind::Serial);
    EXPECT_EQ(CommKindOf(1000), CommKind::Ethernet);
    EXPECT_EQ(CommKindOf(0x8000 | 1000), CommKind::UsbCable);  // a USB port numbered 1000 is still USB
    EXPECT_EQ(CommPortNumber(0x8005), 5);
    EXPECT_EQ(CommPortNumber(1000), 0);

    EXPECT_EQ(LineSettingsFromIndexes(0, 0, 0), QStringLiteral("9600,N,8,1"));
    EXPECT_EQ(LineSettingsFromIndexes(3, 1, 1), QStringLiteral("1200,E,8,2"));
    EXPECT_EQ(LineSettingsFromIndexes(1, 2, 0), QStringLiteral("4800,O,8,1"));
    EXPECT_EQ(LineSettingsFromIndexes(5, -1, 9), QStringLiteral("9600,N,8,1"));
    LineSettings parsed;
    EXPECT_TRUE(ParseLineSettings(LineSettingsFromIndexes(2, 1, 1), parsed));
    EXPECT_EQ(parsed.baud, 2400);
    EXPECT_EQ(parsed.parity, QSerialPort::EvenParity);
    EXPECT_EQ(parsed.stopBits, QSerialPort::TwoStop);
    ASSERT_TRUE(ParseLineSettings(QString::fromLatin1(kFixedLineSettings), parsed));
    EXPECT_EQ(parsed.parity, QSerialPort::NoParity);
    for (const char* bad : {"9600", "9600,X,8,1", "x,N,8,1"}) {
        EXPECT_FALSE(ParseLineSettings(QString::fromLatin1(bad), parsed)) << bad;
    }
    CommState state;
    state.BaudRateText = QStringLiteral("4800");
    state.ParityText = QStringLiteral("Odd");
    state.StopBitText = QStringLiteral("2");
    EXPECT_EQ(state.lineSettings(), QStringLiteral("4800,O,8,2"));
}

// The settings file and the shared state: every transport survives the trip through the file
// text, with the serial device kept as a path in the "Port:=" line.
TEST(CommSettings, SettingsFileRoundTripKeepsTheTransport) {
    struct Case {
        std::uint16_t commPort;
        const char* path;
        const char* portLine;
    };
    for (const Case& c : {Case{1, "/dev/ttyUSB0", "Port:= /dev/ttyUSB0"}, Case{0x8000, "", "Port:= 32768"},
                          Case{1000, "", "Port:= 1000"}, Case{0, "", "Port:= 0"}}) {
        CommState state;
        state.CommPort = c.commPort;
        state.SerialPortPath = QString::fromLatin1(c.path);
        state.ModbusID = 17;
        state.BaudRateText = QStringLiteral("2400");
        state.ParityText = QStringLiteral("ODD");
        state.StopBitText = QStringLiteral("2");
        state.TcpHost = QStringLiteral("10.0.0.1");
        state.TcpPort = 8502;
        AppSettings settings;
        StoreCommSettings(state, settings);
        const QByteArray text = FormatSettings(settings);
        EXPECT_TRUE(text.contains(QByteArray(c.portLine) + "\r\n")) << c.portLine;
        EXPECT_TRUE(text.contains("BaudRate:= 2\r\n"));

        CommState back;
        LoadCommSettings(ParseSettings(text), back);
        EXPECT_EQ(back.CommPort, c.commPort) << c.portLine;
        EXPECT_EQ(back.SerialPortPath, state.SerialPortPath) << c.portLine;
        EXPECT_EQ(back.lineSettings(), QStringLiteral("2400,O,8,2"));
        EXPECT_EQ(back.ModbusID, 17);
        EXPECT_EQ(back.TcpHost, state.TcpHost);
        EXPECT_EQ(back.TcpPort, 8502);
    }

    // The file's own code for the cable; indexes stand in for missing texts; an empty address
    // reads as not configured.
    CommState state;
    LoadCommSettings(ParseSettings("[APPLICATION SETTINGS]\nPort:= 128\nBaudRate:= 3\nParity:= 1\n"), state);
    EXPECT_EQ(CommKindOf(state.CommPort), CommKind::UsbCable);
    EXPECT_EQ(state.lineSettings(), QStringLiteral("1200,E,8,1"));
    EXPECT_EQ(state.TcpHost, QString::fromLatin1(kUnsetIpAddress));
    EXPECT_EQ(state.ModbusID, 254);  // the settings' default, the point-to-point address
}

TEST(CommSettings, FindUsbPortNeedsExactlyOneOpenableCable) {
    const SerialPortEntry cable{QStringLiteral("/dev/ttyUSB2"), true, 0x10C4, 0xEA60, QStringLiteral("0001")};
    const SerialPortEntry other{QStringLiteral("/dev/ttyUSB0"), true, 0x0403, 0x6001, {}};
    const SerialPortEntry builtIn{QStringLiteral("/dev/ttyS0"), false, 0, 0, {}};
    const SerialPortEntry secondCable{QStringLiteral("/dev/ttyUSB3"), true, 0x10C4, 0xEA70, {}};
    const QString notConnected =
        QStringLiteral("The USB cable is not connected. Please connect it and try again.");
    const QString unavailable = QStringLiteral(
        "USB Port is unavailable, it may be busy or cable driver are not properly installed.\n"
        "Please check details and try again.");
    struct Case {
        std::vector<SerialPortEntry> ports;
        bool opens;
        UsbPortResult result;
        QString message;
    };
    const Case cases[] = {
        {{other, builtIn}, true, UsbPortResult::NoCable, notConnected},
        {{cable, secondCable}, true, UsbPortResult::MultipleCables, LoadText(333) + u'\n' + LoadText(332)},
        {{cable, other}, false, UsbPortResult::Unavailable, unavailable},
        {{builtIn, cable, other}, true, UsbPortResult::Found, {}},
    };
    for (const Case& c : cases) {
        CommState state;
        state.CommPort = kCommPortUsbFlag;
        ScriptedPrompter prompter;
        QString probed;
        const UsbPortResult result = FindUsbPort(
            state, prompter, [&] { return c.ports; },
            [&](const QString& path) {
                probed = path;
                return c.opens;
            });
        EXPECT_EQ(result, c.result);
        if (c.message.isEmpty()) {
            EXPECT_TRUE(prompter.texts().isEmpty());
            EXPECT_EQ(state.SerialPortPath, cable.path);
            EXPECT_EQ(state.CommPort, 0x8000 | 3);
        } else {
            EXPECT_EQ(prompter.texts(), QStringList{c.message});
            EXPECT_TRUE(state.SerialPortPath.isEmpty());
            EXPECT_EQ(state.CommPort, kCommPortUsbFlag);
        }
        if (c.result == UsbPortResult::Found || c.result == UsbPortResult::Unavailable) {
            EXPECT_EQ(probed, cable.path);
        }
    }
}

// The device's own parameters live at the service address 1 even when its ID is another.
TEST(CommSettings, DeviceParametersAtTheServiceAddress) {
    test::DeviceLink link(test::DeviceOptions(3, 7));
    link.state.ModbusID = 99;
    const auto params = ReadDeviceCommParams(link.session);
    ASSERT_TRUE(params) << link.said();
    EXPECT_EQ(*params, (DeviceCommParams{7, 0, 0, 0}));
    EXPECT_EQ(link.last(), LoadText(4306));

    EXPECT_FALSE(WriteDeviceCommParams(link.session, {248, 0, 0, 0}));
    EXPECT_EQ(link.last(), QStringLiteral("Modbus ID should be within 1 to 247"));
    ASSERT_TRUE(WriteDeviceCommParams(link.session, {9, 0, 2, 1}));
    EXPECT_EQ(link.last(), LoadText(4298));
    EXPECT_EQ(ReadDeviceCommParams(link.session), (DeviceCommParams{9, 0, 2, 1}));
    EXPECT_FALSE(ReadDeviceIdentity(link.session)) << "the old address is gone";
    link.state.ModbusID = 9;
    EXPECT_TRUE(ReadDeviceIdentity(link.session));

    link.state.SerialPortPath.clear();
    EXPECT_FALSE(ReadDeviceCommParams(link.session));
    EXPECT_EQ(link.last(), LoadText(4289));
}

// On a real serial port the exchange runs at the fixed line settings, and the port's own
// settings are back afterwards, whatever the outcome.
TEST(CommSettings, FixedLineSettingsAreLiftedAfterTheExchange) {
    test::PtyPair pty;
    ScriptedPrompter prompter;
    CommState state;
    state.SerialPortPath = pty.path;
    state.CommPort = 1;
    state.BaudRateText = QStringLiteral("1200");
    state.replyTimeoutMs = 20;
    state.retryPauseMs = 0;
    state.lateReplyGraceMs = 0;
    SerialTransport serial(state);
    ModbusSession session(state, serial, prompter);
    EXPECT_FALSE(ReadDeviceCommParams(session));
    EXPECT_EQ(serial.effectiveLineSettings(), QStringLiteral("1200,N,8,1"));
}

}  // namespace
}  // namespace bdx
