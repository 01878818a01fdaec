#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace bdx {

// Per-user settings kept in Config.ini: communication, device byte order and address,
// language. Held in memory while the application runs.
struct AppSettings {
    int CommPort = 1;  // 1..20 serial port, 128 USB cable, 1000 Ethernet
    // A serial port here is a device path such as /dev/ttyUSB0, not a COM number: when set, the
    // "Port:=" line holds the path and CommPort reads as serial port 1.
    QString SerialDevice;
    std::int32_t EthernetPort = 0;
    QString IPAddress;
    bool BigEndian = true;
    std::uint8_t ModbusID = 254;
    int LanguageOffset = 0;        // 0, 900, 1800 or 2700
    std::uint8_t LanguageDlg = 0;  // 0: ask for the language when the main window starts
    int UsbDriverFirstRun = 0;
    int UsbPortAbsentValue = 0;  // read when present, never written
    std::uint8_t BaudRateIndex = 0;
    QString BaudRateText;
    std::uint8_t ParityIndex = 0;
    QString ParityText;
    std::uint8_t StopBitIndex = 0;
    QString StopBitText;

    bool operator==(const AppSettings&) const = default;
};

// The serial line lists, in their order: the stored indexes point into them, and a stored text
// must be one of their entries.
const QStringList& BaudRateTexts();  // "9600", "4800", "2400", "1200"
const QStringList& ParityTexts();    // "NONE", "EVEN", "ODD"
const QStringList& StopBitTexts();   // "1", "2"

// A value of the file outside its allowed set, replaced by the default.
struct SettingsNote {
    QString key;       // as the file names it, without ":="
    QString value;     // as written
    QString fallback;  // the default used instead
    QString allowed;   // the allowed values, in words
};
// "Config.ini: ModbusID:= 250 is not allowed (1..247); the default 254 is used instead."
QString SettingsNoteText(const SettingsNote& note);

// Settings from the text of a settings file; defaults where a key is missing or the
// header line is absent. Every value is checked against its allowed set: one that is not in
// it leaves the default and, when `notes` is given, adds a note.
AppSettings ParseSettings(const QByteArray& content, std::vector<SettingsNote>* notes = nullptr);
// Settings from a file; the defaults when it cannot be read.
AppSettings ReadSettings(const QString& path, std::vector<SettingsNote>* notes = nullptr);

// The whole file text, in the fixed order that lets every key find its own line.
QByteArray FormatSettings(const AppSettings& settings);
// Rewrites the file atomically; false with a reason when it cannot be written.
bool WriteSettings(const QString& path, const AppSettings& settings, QString* error = nullptr);

}  // namespace bdx
