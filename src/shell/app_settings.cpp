#include "app_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <limits>
#include <optional>

namespace bdx {

namespace {

constexpr const char* kHeader = "[APPLICATION SETTINGS]";

// The file read as a list of items: an item ends at a comma or a line end, and a
// quoted item keeps its commas and loses its quotation marks.
QStringList splitItems(const QString& text) {
    QStringList items;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i <= n) {
        while (i < n && (text[i] == u' ' || text[i] == u'\t')) {
            ++i;
        }
        QString item;
        if (i < n && text[i] == u'"') {
            const qsizetype close = text.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? n : close;
            item = text.mid(i + 1, end - i - 1);
            i = close < 0 ? n : close + 1;
            while (i < n && text[i] != u',' && text[i] != u'\n' && text[i] != u'\r') {
                ++i;
            }
        } else {
            const qsizetype start = i;
            while (i < n && text[i] != u',' && text[i] != u'\n' && text[i] != u'\r') {
                ++i;
            }
            item = text.mid(start, i - start).trimmed();
        }
        items << item;
        if (i < n && text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n') {
            ++i;
        }
        ++i;
    }
    return items;
}

bool isCommentOrEmpty(const QString& item) {
    const QString trimmed = item.trimmed();
    return trimmed.isEmpty() || trimmed.startsWith(QLatin1String("//"));
}

// The first item that contains the key, case-insensitively; its text after the first ":=".
std::optional<QString> lookup(const QStringList& items, const char* key) {
    const QString k = QString::fromLatin1(key);
    for (const QString& item : items) {
        if (isCommentOrEmpty(item) || !item.contains(k, Qt::CaseInsensitive)) {
            continue;
        }
        const qsizetype assign = item.indexOf(QLatin1String(":="));
        return assign < 0 ? QString() : item.mid(assign + 2);
    }
    return std::nullopt;
}

// Leading-number rule: leading blanks skipped, an optional sign, then digits up to the
// first character that cannot belong to the number. No digits reads as 0.
std::optional<long long> leadingNumber(const QString& value) {
    qsizetype i = 0;
    while (i < value.size() && (value[i] == u' ' || value[i] == u'\t')) {
        ++i;
    }
    bool negative = false;
    if (i < value.size() && (value[i] == u'-' || value[i] == u'+')) {
        negative = value[i] == u'-';
        ++i;
    }
    long long number = 0;
    for (; i < value.size() && value[i].isDigit() && value[i].unicode() < 128; ++i) {
        number = number * 10 + (value[i].unicode() - '0');
        if (number > std::numeric_limits<std::int32_t>::max()) {
            return std::nullopt;  // too large for any settings field
        }
    }
    return negative ? -number : number;
}

template <typename T>
void readNumber(const QStringList& items, const char* key, long long low, long long high, T& field) {
    const auto value = lookup(items, key);
    if (!value) {
        return;
    }
    const auto number = leadingNumber(*value);
    if (number && *number >= low && *number <= high) {
        field = static_cast<T>(*number);
    }
}

void readText(const QStringList& items, const char* key, QString& field) {
    if (const auto value = lookup(items, key)) {
        field = value->trimmed();
    }
}

// "Port:=" holds a number, or the device path of a serial port (a value starting with '/').
void readPort(const QStringList& items, AppSettings& s) {
    const auto value = lookup(items, "Port:=");
    if (value && value->trimmed().startsWith(u'/')) {
        s.SerialDevice = value->trimmed();
        s.CommPort = 1;
        return;
    }
    readNumber(items, "Port:=", 0, 65535, s.CommPort);
}

QString portValue(const AppSettings& s) {
    const bool serial = s.CommPort > 0 && s.CommPort < 1000;  // not Ethernet, not the USB cable
    return serial && !s.SerialDevice.isEmpty() ? s.SerialDevice : QString::number(s.CommPort);
}

bool isLanguageOffset(int offset) {
    return offset == 0 || offset == 900 || offset == 1800 || offset == 2700;
}

}  // namespace

AppSettings ParseSettings(const QByteArray& content) {
    AppSettings s;
    const QStringList items = splitItems(QString::fromLocal8Bit(content));
    if (!lookup(items, kHeader)) {
        return s;
    }
    readPort(items, s);
    readNumber(items, "Ethernet Port:= ", std::numeric_limits<std::int32_t>::min(),
               std::numeric_limits<std::int32_t>::max(), s.EthernetPort);
    readText(items, "IP Address:= ", s.IPAddress);
    int endian = s.BigEndian ? 1 : 0;
    readNumber(items, "Endian:=", std::numeric_limits<std::int32_t>::min(),
               std::numeric_limits<std::int32_t>::max(), endian);
    s.BigEndian = endian != 0;
    readNumber(items, "ModbusID:=", 0, 255, s.ModbusID);
    if (s.ModbusID == 0) {
        s.ModbusID = 1;
    }
    readNumber(items, "Language:=", -32768, 32767, s.LanguageOffset);
    if (!isLanguageOffset(s.LanguageOffset)) {
        s.LanguageOffset = 0;
    }
    readNumber(items, "LanguageDlg:=", 0, 255, s.LanguageDlg);
    readNumber(items, "Value:= ", -32768, 32767, s.UsbDriverFirstRun);
    readNumber(items, "USBPortAbsentValue:= ", -32768, 32767, s.UsbPortAbsentValue);

    int index = 0;
    readNumber(items, "BaudRate:= ", -32768, 32767, index);
    s.BaudRateIndex = static_cast<std::uint8_t>(index >= 0 && index <= 5 ? index : 0);
    readText(items, "StrBaudRate:= ", s.BaudRateText);
    index = 0;
    readNumber(items, "Parity:= ", -32768, 32767, index);
    s.ParityIndex = static_cast<std::uint8_t>(index >= 0 && index <= 2 ? index : 0);
    readText(items, "StrParity:= ", s.ParityText);
    index = 0;
    readNumber(items, "StopBit:= ", -32768, 32767, index);
    s.StopBitIndex = static_cast<std::uint8_t>(index >= 0 && index <= 1 ? index : 0);
    readText(items, "StrStopBit:= ", s.StopBitText);
    return s;
}

AppSettings ReadSettings(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return AppSettings{};
    }
    // A settings file is a few hundred bytes; anything far larger is not ours.
    constexpr qint64 kMaxSettingsSize = 1 << 20;
    return ParseSettings(file.read(kMaxSettingsSize));
}

QByteArray FormatSettings(const AppSettings& s) {
    QStringList lines;
    auto group = [&lines](std::initializer_list<QString> entries) {
        for (const QString& e : entries) {
            lines << e;
        }
        lines << QString();
    };
    auto L = [](const char* text) { return QString::fromLatin1(text); };
    auto N = [](long long value) { return QString::number(value); };

    group({L("// Comments are written like this"), QString(),
           L("// This is a header do not delete this line"), L(kHeader)});
    group({L("// Language Dialog box option"), L("// 0 - If language dialog box is not shown at first run"),
           L("// 1 - If language dialog box is shown at first run"), L("LanguageDlg:= ") + N(s.LanguageDlg)});
    group({L("// Language Option"), L("// 0 - English"), L("// 900 - Portuguese"), L("// 1800 - Polish"),
           L("// 2700 - Spanish"), L("Language:= ") + N(s.LanguageOffset)});
    group({L("// Endian Option"), L("// 0 - Little endian"), L("// 1 - Big endian"),
           L("Endian:= ") + L(s.BigEndian ? "1" : "0")});
    group({L("// Modbus ID option"), L("// Modbus ID from 1 to 247"), L("ModbusID:= ") + N(s.ModbusID)});
    group({L("// Communication Port number"), L("// 128 - USB to serial interface cable is used."),
           L("// 1 - 20 - Serial communication Port."), L("// 1000 - Ethernet communication."),
           L("Port:= ") + portValue(s)});
    group({L("// Ethernet Communication Port Number"), L("Ethernet Port:= ") + N(s.EthernetPort)});
    group({L("// IP Address"), L("IP Address:= ") + s.IPAddress});
    group({L("// First Time USB Driver Installation Setting "),
           L("// 0 - Driver are not Install First Time "), L("// 1 - Drivers are Install On First Run "),
           L("Value:= ") + N(s.UsbDriverFirstRun)});
    group({L("// Baud Rate"), L("BaudRate:= ") + N(s.BaudRateIndex), L("StrBaudRate:= ") + s.BaudRateText});
    group({L("// Parity"), L("Parity:= ") + N(s.ParityIndex), L("StrParity:= ") + s.ParityText});
    group({L("// StopBit"), L("StopBit:= ") + N(s.StopBitIndex), L("StrStopBit:= ") + s.StopBitText});

    QByteArray out;
    for (const QString& line : lines) {
        out += line.toLocal8Bit();
        out += "\r\n";
    }
    return out;
}

bool WriteSettings(const QString& path, const AppSettings& settings, QString* error) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(FormatSettings(settings)) < 0 || !file.commit()) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    return true;
}

}  // namespace bdx
