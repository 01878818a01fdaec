#include <gtest/gtest.h>

#include "comm/comm_settings.h"
#include "shell/app_settings.h"

namespace bdx {
namespace {

AppSettings parse(const char* body, std::vector<SettingsNote>* notes) {
    return ParseSettings(QByteArray("[APPLICATION SETTINGS]\r\n") + body, notes);
}

// One value per row: what the file says, what is kept, and which key the note names (none when
// the value is allowed).
TEST(SettingsValuesTest, EachValueIsCheckedAgainstItsAllowedSet) {
    using Field = QString (*)(const AppSettings&);
    const Field port = [](const AppSettings& s) { return QString::number(s.CommPort); };
    const Field ethernet = [](const AppSettings& s) { return QString::number(s.EthernetPort); };
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

}  // namespace
}  // namespace bdx
