#include "shell/app_settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

namespace bdx {
namespace {

QByteArray withHeader(const char* body) {
    return QByteArray("// Comments are written like this\r\n\r\n[APPLICATION SETTINGS]\r\n") + body;
}

TEST(AppSettingsTest, DefaultsBeforeReading) {
    const AppSettings s;
    EXPECT_EQ(std::make_tuple(s.CommPort, s.EthernetPort, s.IPAddress, s.BigEndian, s.ModbusID,
                              s.LanguageOffset, s.LanguageDlg, s.BaudRateIndex),
              std::make_tuple(1, 0, QString(), true, 254, 0, 0, 0));
}

TEST(AppSettingsTest, WrittenFileHasTheFixedLayout) {
    AppSettings s;
    s.LanguageDlg = 1;
    s.LanguageOffset = 1800;
    s.BigEndian = false;
    s.ModbusID = 17;
    s.CommPort = 1000;
    s.EthernetPort = 502;
    s.IPAddress = QStringLiteral("127.0.0.1");
    s.UsbDriverFirstRun = 1;
    s.UsbPortAbsentValue = 9;  // never written
    s.BaudRateIndex = 1;
    s.BaudRateText = QStringLiteral("4800");
    s.ParityIndex = 2;
    s.ParityText = QStringLiteral("ODD");
    s.StopBitIndex = 1;
    s.StopBitText = QStringLiteral("2");
    // One group per line, each followed by its empty line.
    const char* expected =
        "// Comments are written like this\r\n\r\n// This is a header do not delete this line\r\n"
        "[APPLICATION SETTINGS]\r\n\r\n"
        "// Language Dialog box option\r\n// 0 - If language dialog box is not shown at first run\r\n"
        "// 1 - If language dialog box is shown at first run\r\nLanguageDlg:= 1\r\n\r\n"
        "// Language Option\r\n// 0 - English\r\n// 900 - Portuguese\r\n// 1800 - Polish\r\n"
        "// 2700 - Spanish\r\nLanguage:= 1800\r\n\r\n"
        "// Endian Option\r\n// 0 - Little endian\r\n// 1 - Big endian\r\nEndian:= 0\r\n\r\n"
        "// Modbus ID option\r\n// Modbus ID from 1 to 247\r\nModbusID:= 17\r\n\r\n"
        "// Communication Port number\r\n// 128 - USB to serial interface cable is used.\r\n"
        "// 1 - 20 - Serial communication Port.\r\n// 1000 - Ethernet communication.\r\nPort:= 1000\r\n\r\n"
        "// Ethernet Communication Port Number\r\nEthernet Port:= 502\r\n\r\n"
        "// IP Address\r\nIP Address:= 127.0.0.1\r\n\r\n"
        "// First Time USB Driver Installation Setting \r\n// 0 - Driver are not Install First Time \r\n"
        "// 1 - Drivers are Install On First Run \r\nValue:= 1\r\n\r\n"
        "// Baud Rate\r\nBaudRate:= 1\r\nStrBaudRate:= 4800\r\n\r\n"
        "// Parity\r\nParity:= 2\r\nStrParity:= ODD\r\n\r\n"
        "// StopBit\r\nStopBit:= 1\r\nStrStopBit:= 2\r\n\r\n";
    EXPECT_EQ(FormatSettings(s).toStdString(), std::string(expected));

    AppSettings back = ParseSettings(FormatSettings(s));
    EXPECT_EQ(back.UsbPortAbsentValue, 0);
    back.UsbPortAbsentValue = 9;
    EXPECT_EQ(back, s);
}

// One reading rule per row: the file body, the field read, the value expected.
TEST(AppSettingsTest, ReadingRules) {
    using Field = int (*)(const AppSettings&);
    const Field port = [](const AppSettings& s) { return s.CommPort; };
    const Field ethernet = [](const AppSettings& s) { return int(s.EthernetPort); };
    const Field id = [](const AppSettings& s) { return int(s.ModbusID); };
    const Field baud = [](const AppSettings& s) { return int(s.BaudRateIndex); };
    const Field parity = [](const AppSettings& s) { return int(s.ParityIndex); };
    const Field stop = [](const AppSettings& s) { return int(s.StopBitIndex); };
    const Field language = [](const AppSettings& s) { return s.LanguageOffset; };
    const Field endian = [](const AppSettings& s) { return int(s.BigEndian); };
    const Field usb = [](const AppSettings& s) { return s.UsbDriverFirstRun; };
    const struct Case {
        const char* body;
        bool header;
        Field field;
        int expected;
    } cases[] = {
        // With the longer key first, the shorter key is found inside it: the first match wins.
        {"Ethernet Port:= 502\r\nPort:= 1000\r\n", true, port, 502},
        {"USBPortAbsentValue:= 4\r\nValue:= 1\r\n", true, usb, 4},
        {"ModbusID:= 0\r\n", true, id, 1},
        {"ModbusID:= 300\r\n", true, id, 254},  // not a byte: the default stays
        {"BaudRate:= 7\r\n", true, baud, 0},
        {"BaudRate:= -1\r\n", true, baud, 0},
        {"BaudRate:= 5\r\n", true, baud, 5},
        {"Parity:= 3\r\n", true, parity, 0},
        {"StopBit:= 2\r\n", true, stop, 0},
        {"Language:= 450\r\n", true, language, 0},
        {"Language:= 2700\r\n", true, language, 2700},
        {"Endian:= 0\r\n", true, endian, 0},
        {"Endian:= -1\r\n", true, endian, 1},
        {"Endian:= off\r\n", true, endian, 0},  // no digits reads as 0
        {"\r\n", true, endian, 1},
        {"Port:= 5\r\n", false, port, 1},  // no header: no key is read
        {"[application settings]\r\nPORT:= 7\r\n", false, port, 7},
        {"some modbusid:= 9\r\n", true, id, 9},
        {"// Port:= 5\r\n   //ModbusID:= 9\r\nPort:= 6\r\n", true, port, 6},
        {"   //ModbusID:= 9\r\n", true, id, 254},
        {"// [APPLICATION SETTINGS]\r\nPort:= 5\r\n", false, port, 1},
        {"\"Port:= 12\", ModbusID:= 33\n", true, port, 12},
        {"\"Port:= 12\", ModbusID:= 33\n", true, id, 33},
        {"Port:=   128abc\r\n", true, port, 128},
        {"ModbusID:=17.5\r\n", true, id, 17},
        {"Ethernet Port:= x9\r\n", true, ethernet, 0},
        {"Port:= 99999999999999999999\r\n", true, port, 1},
        {"\"unterminated Port:= 4", true, port, 4},
        {":=:=:=,,,,\r\r\n\n", true, port, 1},
    };
    for (const Case& c : cases) {
        const QByteArray body(c.body);
        EXPECT_EQ(c.field(ParseSettings(c.header ? withHeader(c.body) : body)), c.expected) << c.body;
    }
    EXPECT_EQ(ParseSettings(withHeader("\"IP Address:= 10.0.0.1, spare\"\n")).IPAddress,
              QStringLiteral("10.0.0.1, spare"));
    QByteArray binary;
    for (int i = 0; i < 4096; ++i) {
        binary.append(static_cast<char>((i * 131) & 0xff));
    }
    EXPECT_EQ(ParseSettings(binary), AppSettings{});
}

TEST(AppSettingsTest, FilesAreWrittenAtomicallyAndReadBack) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("a/b/Config.ini"));
    EXPECT_EQ(ReadSettings(path), AppSettings{});  // missing file: defaults

    AppSettings s;
    s.IPAddress = QStringLiteral("192.0.2.1");
    s.ModbusID = 7;
    QString error;
    ASSERT_TRUE(WriteSettings(path, s, &error)) << error.toStdString();
    EXPECT_EQ(ReadSettings(path), s);

    // A target that cannot be replaced reports why.
    const QString blocked = dir.filePath(QStringLiteral("dir"));
    ASSERT_TRUE(QDir().mkpath(blocked));
    EXPECT_FALSE(WriteSettings(blocked, s, &error));
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
}  // namespace bdx
