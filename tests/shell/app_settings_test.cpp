#include "shell/app_settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "comm/comm_settings.h"
#include "shell/startup_values.h"

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
        {"Ethernet Port:= 128\r\nPort:= 1000\r\n", true, port, 128},
        {"USBPortAbsentValue:= 1\r\nValue:= 0\r\n", true, usb, 1},
        {"BaudRate:= 7\r\n", true, baud, 0},
        {"BaudRate:= -1\r\n", true, baud, 0},
        {"BaudRate:= 5\r\n", true, baud, 5},
        {"StopBit:= 2\r\n", true, stop, 0},
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
        {"\"unterminated Port:= 4", true, port, 4},
        {":=:=:=,,,,\r\r\n\n", true, port, 1},
    };
    for (const Case& c : cases) {
        const QByteArray body(c.body);
        EXPECT_EQ(c.field(ParseSettings(c.header ? withHeader(c.body) : body)), c.expected) << c.body;
    }
    std::vector<SettingsNote> notes;  // a quoted item keeps its comma (and is then no address)
    ParseSettings(withHeader("\"IP Address:= 10.0.0.1, spare\"\n"), &notes);
    EXPECT_EQ(notes.at(0).value, QStringLiteral("10.0.0.1, spare"));
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

AppSettings parse(const char* body, std::vector<SettingsNote>* notes) {
    return ParseSettings(QByteArray("[APPLICATION SETTINGS]\r\n") + body, notes);
}

// One value per row: what the file says, what is kept, and which key the note names (none when
// the value is allowed).
TEST(SettingsValuesTest, EachValueIsCheckedAgainstItsAllowedSet) {
    using Field = QString (*)(const AppSettings&);
    const Field port = [](const AppSettings& s) { return QString::number(s.CommPort); };
    const Field ethernet = [](const AppSettings& s) { return QString::number(s.EthernetPort); };
    const Field device = [](const AppSettings& s) { return QString::number(s.CommPort) + u'/' + s.SerialDevice; };
    const Field ip = [](const AppSettings& s) { return s.IPAddress; };
    const Field id = [](const AppSettings& s) { return QString::number(s.ModbusID); };
    const Field endian = [](const AppSettings& s) { return QString::number(s.BigEndian); };
    const Field language = [](const AppSettings& s) { return QString::number(s.LanguageOffset); };
    const Field dialog = [](const AppSettings& s) { return QString::number(s.LanguageDlg); };
    const Field usb = [](const AppSettings& s) { return QString::number(s.UsbDriverFirstRun); };
    const Field baud = [](const AppSettings& s) {
        return QString::number(s.BaudRateIndex) + u'/' + s.BaudRateText;
    };
    const Field parity = [](const AppSettings& s) {
        return QString::number(s.ParityIndex) + u'/' + s.ParityText;
    };
    const Field stop = [](const AppSettings& s) {
        return QString::number(s.StopBitIndex) + u'/' + s.StopBitText;
    };
    const struct Case {
        const char* body;
        Field field;
        const char* kept;
        const char* noteKey;  // nullptr: no note
    } cases[] = {
        {"BaudRate:= 0\r\nStrBaudRate:= 1\r\n", baud, "0/", "StrBaudRate"},
        {"BaudRate:= 3\r\nStrBaudRate:= 1200\r\n", baud, "3/1200", nullptr},
        {"BaudRate:= 9\r\n", baud, "0/", "BaudRate"},
        {"Parity:= 0\r\nStrParity:= MARK\r\n", parity, "0/", "StrParity"},
        {"Parity:= 2\r\nStrParity:= odd\r\n", parity, "2/odd", nullptr},
        {"Parity:= 3\r\n", parity, "0/", "Parity"},
        {"StopBit:= 0\r\nStrStopBit:= 1.5\r\n", stop, "0/", "StrStopBit"},
        {"StopBit:= 1\r\nStrStopBit:= 2\r\n", stop, "1/2", nullptr},
        {"ModbusID:= 250\r\n", id, "254", "ModbusID"},
        {"ModbusID:= 300\r\n", id, "254", "ModbusID"},
        {"ModbusID:= 247\r\n", id, "247", nullptr},
        {"ModbusID:= 254\r\n", id, "254", nullptr},  // the default itself
        {"ModbusID:= 0\r\n", id, "1", nullptr},
        {"Port:= 21\r\n", port, "1", "Port"},
        {"Port:= 999\r\n", port, "1", "Port"},
        {"Port:= 99999999999999999999\r\n", port, "1", "Port"},
        {"Port:= 20\r\n", port, "20", nullptr},
        {"Port:= 128\r\n", port, "128", nullptr},
        {"Port:= 1000\r\n", port, "1000", nullptr},
        {"Port:= 32769\r\n", port, "32769", nullptr},  // the cable with the port last found
        {"Port:= 0\r\n", port, "0", nullptr},          // not configured
        {"Port:= /dev/serial/by-id/usb-0001\r\n", device, "1//dev/serial/by-id/usb-0001", nullptr},
        // A path that could not be written back as read: it is not taken.
        {"\"Port:= /dev/a\r\nLanguage:= 900\"\r\n", device, "1/", "Port"},
        {"Port:= /dev/a Ethernet Port:= 5\r\n", device, "1/", "Port"},
        {"Port:= 1000\r\nEthernet Port:= 502\r\n", ethernet, "502", nullptr},
        {"Port:= 1000\r\nEthernet Port:= 70000\r\n", ethernet, "0", "Ethernet Port"},
        {"IP Address:= 10.0.0.300\r\n", ip, "", "IP Address"},
        {"IP Address:= 192.168.1.10\r\n", ip, "192.168.1.10", nullptr},
        {"Endian:= 7\r\n", endian, "1", "Endian"},
        {"Endian:= 0\r\n", endian, "0", nullptr},
        {"Language:= 450\r\n", language, "0", "Language"},
        {"Language:= 900\r\n", language, "900", nullptr},
        {"LanguageDlg:= 256\r\n", dialog, "0", "LanguageDlg"},
        {"Value:= 4\r\n", usb, "0", "Value"},
        {"Value:= 1\r\n", usb, "1", nullptr},
    };
    for (const Case& c : cases) {
        std::vector<SettingsNote> notes;
        EXPECT_EQ(c.field(parse(c.body, &notes)), QString::fromLatin1(c.kept)) << c.body;
        ASSERT_EQ(notes.size(), c.noteKey ? 1u : 0u) << c.body;
        if (c.noteKey) {
            EXPECT_EQ(notes.front().key, QString::fromLatin1(c.noteKey)) << c.body;
        }
    }
}

TEST(SettingsValuesTest, TheNoteNamesKeyValueAndDefault) {
    std::vector<SettingsNote> notes;
    parse("ModbusID:= 250\r\nBaudRate:= 0\r\nStrBaudRate:= 1\r\n", &notes);
    ASSERT_EQ(notes.size(), 2u);
    const QString id = SettingsNoteText(notes[0]);
    EXPECT_TRUE(id.contains(QStringLiteral("ModbusID")) && id.contains(QStringLiteral("250")) &&
                id.contains(QStringLiteral("254")))
        << id.toStdString();
    EXPECT_TRUE(SettingsNoteText(notes[1]).contains(QStringLiteral("StrBaudRate")))
        << notes[1].value.toStdString();
    EXPECT_EQ(notes[1].value, QStringLiteral("1"));

    // The application's own file never draws a note.
    notes.clear();
    ParseSettings(FormatSettings(AppSettings{}), &notes);
    EXPECT_TRUE(notes.empty());
}

// A baud rate of 1 made every reply wait minutes: the line falls back to the list's rate.
TEST(SettingsValuesTest, ABadLineTextGivesWayToTheIndex) {
    CommState state;
    LoadCommSettings(parse("BaudRate:= 1\r\nStrBaudRate:= 1\r\nStrParity:= X\r\nStrStopBit:= 0\r\n", nullptr),
                     state);
    EXPECT_EQ(state.lineSettings(), QStringLiteral("4800,N,8,1"));
}

TEST(StartupValuesTest, DecimalSeparatorFollowsTheLocale) {
    const QDate day(2026, 12, 6);
    EXPECT_EQ(RecordStartupValues(QLocale(QLocale::English, QLocale::UnitedStates), day).decimalSeparator,
              u'.');
    EXPECT_EQ(RecordStartupValues(QLocale(QLocale::Polish, QLocale::Poland), day).decimalSeparator, u',');
    EXPECT_EQ(RecordStartupValues(QLocale(QLocale::Portuguese, QLocale::Brazil), day).decimalSeparator, u',');
    EXPECT_EQ(RecordStartupValues(QLocale::c(), day).today, day);
}

}  // namespace
}  // namespace bdx
