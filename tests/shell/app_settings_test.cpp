#include "shell/app_settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace bdx {
namespace {

QByteArray withHeader(const char* body) {
    return QByteArray("// Comments are written like this\r\n\r\n[APPLICATION SETTINGS]\r\n") + body;
}

TEST(AppSettingsTest, DefaultsBeforeReading) {
    const AppSettings s;
    EXPECT_EQ(s.CommPort, 1);
    EXPECT_EQ(s.EthernetPort, 0);
    EXPECT_TRUE(s.IPAddress.isEmpty());
    EXPECT_TRUE(s.BigEndian);
    EXPECT_EQ(s.ModbusID, 254);
    EXPECT_EQ(s.LanguageOffset, 0);
    EXPECT_EQ(s.LanguageDlg, 0);
    EXPECT_EQ(s.BaudRateIndex, 0);
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
    const char* expected =
        "// Comments are written like this\r\n"
        "\r\n"
        "// This is a header do not delete this line\r\n"
        "[APPLICATION SETTINGS]\r\n"
        "\r\n"
        "// Language Dialog box option\r\n"
        "// 0 - If language dialog box is not shown at first run\r\n"
        "// 1 - If language dialog box is shown at first run\r\n"
        "LanguageDlg:= 1\r\n"
        "\r\n"
        "// Language Option\r\n"
        "// 0 - English\r\n"
        "// 900 - Portuguese\r\n"
        "// 1800 - Polish\r\n"
        "// 2700 - Spanish\r\n"
        "Language:= 1800\r\n"
        "\r\n"
        "// Endian Option\r\n"
        "// 0 - Little endian\r\n"
        "// 1 - Big endian\r\n"
        "Endian:= 0\r\n"
        "\r\n"
        "// Modbus ID option\r\n"
        "// Modbus ID from 1 to 247\r\n"
        "ModbusID:= 17\r\n"
        "\r\n"
        "// Communication Port number\r\n"
        "// 128 - USB to serial interface cable is used.\r\n"
        "// 1 - 20 - Serial communication Port.\r\n"
        "// 1000 - Ethernet communication.\r\n"
        "Port:= 1000\r\n"
        "\r\n"
        "// Ethernet Communication Port Number\r\n"
        "Ethernet Port:= 502\r\n"
        "\r\n"
        "// IP Address\r\n"
        "IP Address:= 127.0.0.1\r\n"
        "\r\n"
        "// First Time USB Driver Installation Setting \r\n"
        "// 0 - Driver are not Install First Time \r\n"
        "// 1 - Drivers are Install On First Run \r\n"
        "Value:= 1\r\n"
        "\r\n"
        "// Baud Rate\r\n"
        "BaudRate:= 1\r\n"
        "StrBaudRate:= 4800\r\n"
        "\r\n"
        "// Parity\r\n"
        "Parity:= 2\r\n"
        "StrParity:= ODD\r\n"
        "\r\n"
        "// StopBit\r\n"
        "StopBit:= 1\r\n"
        "StrStopBit:= 2\r\n"
        "\r\n";
    EXPECT_EQ(FormatSettings(s).toStdString(), std::string(expected));

    AppSettings back = ParseSettings(FormatSettings(s));
    EXPECT_EQ(back.UsbPortAbsentValue, 0);
    back.UsbPortAbsentValue = 9;
    EXPECT_EQ(back, s);
}

TEST(AppSettingsTest, EachKeyFindsItsOwnLineInTheWrittenOrder) {
    // "Port:=" also occurs in "Ethernet Port:= ", "BaudRate:= " in "StrBaudRate:= ".
    AppSettings s;
    s.CommPort = 1000;
    s.EthernetPort = 502;
    s.BaudRateIndex = 3;
    s.BaudRateText = QStringLiteral("1200");
    s.StopBitIndex = 1;
    s.StopBitText = QStringLiteral("2");
    const AppSettings back = ParseSettings(FormatSettings(s));
    EXPECT_EQ(back.CommPort, 1000);
    EXPECT_EQ(back.EthernetPort, 502);
    EXPECT_EQ(back.BaudRateIndex, 3);
    EXPECT_EQ(back.BaudRateText, QStringLiteral("1200"));
    EXPECT_EQ(back.StopBitIndex, 1);
}

TEST(AppSettingsTest, FirstMatchingItemWins) {
    // With the longer key first, the shorter key is found inside it.
    const AppSettings s = ParseSettings(withHeader("Ethernet Port:= 502\r\nPort:= 1000\r\n"));
    EXPECT_EQ(s.CommPort, 502);
    EXPECT_EQ(s.EthernetPort, 502);
    const AppSettings t = ParseSettings(withHeader("USBPortAbsentValue:= 4\r\nValue:= 1\r\n"));
    EXPECT_EQ(t.UsbDriverFirstRun, 4);
    EXPECT_EQ(t.UsbPortAbsentValue, 4);
}

TEST(AppSettingsTest, RangeCorrections) {
    const AppSettings s = ParseSettings(
        withHeader("ModbusID:= 0\r\nBaudRate:= 7\r\nParity:= 3\r\nStopBit:= 2\r\nLanguage:= 450\r\n"));
    EXPECT_EQ(s.ModbusID, 1);
    EXPECT_EQ(s.BaudRateIndex, 0);
    EXPECT_EQ(s.ParityIndex, 0);
    EXPECT_EQ(s.StopBitIndex, 0);
    EXPECT_EQ(s.LanguageOffset, 0);

    const AppSettings t = ParseSettings(
        withHeader("ModbusID:= 300\r\nBaudRate:= -1\r\nParity:= 2\r\nStopBit:= 1\r\nLanguage:= 2700\r\n"));
    EXPECT_EQ(t.ModbusID, 254);  // not a byte: the default stays
    EXPECT_EQ(t.BaudRateIndex, 0);
    EXPECT_EQ(t.ParityIndex, 2);
    EXPECT_EQ(t.StopBitIndex, 1);
    EXPECT_EQ(t.LanguageOffset, 2700);
}

TEST(AppSettingsTest, EndianZeroClearsAnyOtherNumberSets) {
    EXPECT_FALSE(ParseSettings(withHeader("Endian:= 0\r\n")).BigEndian);
    EXPECT_TRUE(ParseSettings(withHeader("Endian:= 5\r\n")).BigEndian);
    EXPECT_TRUE(ParseSettings(withHeader("Endian:= -1\r\n")).BigEndian);
    EXPECT_FALSE(ParseSettings(withHeader("Endian:= off\r\n")).BigEndian);  // no digits reads as 0
    EXPECT_TRUE(ParseSettings(withHeader("\r\n")).BigEndian);
}

TEST(AppSettingsTest, WithoutHeaderEveryKeyIsIgnored) {
    AppSettings s;
    s.CommPort = 1000;
    s.ModbusID = 5;
    s.LanguageOffset = 900;
    QByteArray text = FormatSettings(s);
    text.replace("[APPLICATION SETTINGS]", "[OTHER]");
    EXPECT_EQ(ParseSettings(text), AppSettings{});
    EXPECT_EQ(ParseSettings(QByteArray()), AppSettings{});
}

TEST(AppSettingsTest, KeysMatchCaseInsensitivelyAnywhereInAnItem) {
    const AppSettings s =
        ParseSettings(withHeader("PORT:= 7\r\nsome modbusid:= 9\r\n[application settings]\r\n"));
    EXPECT_EQ(s.CommPort, 7);
    EXPECT_EQ(s.ModbusID, 9);
    EXPECT_EQ(ParseSettings("[application settings]\r\nPort:= 3\r\n").CommPort, 3);
}

TEST(AppSettingsTest, CommentItemsAreSkippedEvenWithAKey) {
    const AppSettings s = ParseSettings(withHeader("// Port:= 5\r\n   //ModbusID:= 9\r\nPort:= 6\r\n"));
    EXPECT_EQ(s.CommPort, 6);
    EXPECT_EQ(s.ModbusID, 254);
    // A header that is commented out is no header.
    EXPECT_EQ(ParseSettings("// [APPLICATION SETTINGS]\r\nPort:= 5\r\n").CommPort, 1);
}

TEST(AppSettingsTest, ItemsEndAtCommasAndLoseTheirQuotes) {
    const AppSettings s =
        ParseSettings(withHeader("\"Port:= 12\", ModbusID:= 33,\"IP Address:= 10.0.0.1, spare\"\n"));
    EXPECT_EQ(s.CommPort, 12);
    EXPECT_EQ(s.ModbusID, 33);
    EXPECT_EQ(s.IPAddress, QStringLiteral("10.0.0.1, spare"));
}

TEST(AppSettingsTest, LeadingNumberRule) {
    const AppSettings s =
        ParseSettings(withHeader("Port:=   128abc\r\nModbusID:=17.5\r\nEthernet Port:= x9\r\n"));
    EXPECT_EQ(s.CommPort, 128);
    EXPECT_EQ(s.ModbusID, 17);
    EXPECT_EQ(s.EthernetPort, 0);
    // A number too large for its field leaves the default.
    EXPECT_EQ(ParseSettings(withHeader("Port:= 99999999999999999999\r\n")).CommPort, 1);
}

TEST(AppSettingsTest, HostileContentGivesDefaultsOrValues) {
    QByteArray binary;
    for (int i = 0; i < 4096; ++i) {
        binary.append(static_cast<char>((i * 131) & 0xff));
    }
    EXPECT_NO_FATAL_FAILURE(ParseSettings(binary));
    EXPECT_NO_FATAL_FAILURE(ParseSettings(withHeader("\"unterminated Port:= 4")));
    EXPECT_EQ(ParseSettings(withHeader("\"unterminated Port:= 4")).CommPort, 4);
    EXPECT_EQ(ParseSettings(withHeader(":=:=:=,,,,\r\r\n\n")).CommPort, 1);
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
