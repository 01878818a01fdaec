#include "app_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <algorithm>
#include <limits>
#include <optional>
#include <type_traits>

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

QString valueAsWritten(const QString& value) {
    constexpr qsizetype kShown = 40;  // enough to recognise it, not a whole line of garbage
    const QString v = value.trimmed();
    return v.size() > kShown ? v.left(kShown) + QStringLiteral("...") : v;
}

QString keyName(const char* key) {
    QString name = QString::fromLatin1(key);
    return name.left(name.indexOf(QLatin1String(":="))).trimmed();
}

template <auto Member>
long long get(const AppSettings& s) {
    return static_cast<long long>(s.*Member);
}

template <auto Member>
void set(AppSettings& s, long long value) {
    s.*Member = static_cast<std::remove_cvref_t<decltype(s.*Member)>>(value);
}

// The allowed set of one numeric key. A value outside it, or one that is not a number of a
// sensible size, leaves the default; the default itself is always allowed.
struct NumberRule {
    const char* key;
    const char* allowed;  // in words, for the note
    bool (*accepts)(long long);
    long long (*current)(const AppSettings&);
    void (*store)(AppSettings&, long long);
    // "Port:=" may hold the device path of a serial port instead (a value starting with '/').
    bool takesDevicePath = false;
};

bool isCommPort(long long v) {
    // 0 not configured, serial ports 1..20, the USB cable (128 in the file's own code, or bit 15
    // with the port last found), Ethernet.
    return (v >= 0 && v <= 20) || v == 128 || v == 1000 || (v >= 0x8000 && v <= 0xFFFF);
}

const NumberRule kNumberRules[] = {
    {"Port:=", "0, 1..20, 128, 1000, 32768..65535 or a device path", isCommPort, get<&AppSettings::CommPort>,
     set<&AppSettings::CommPort>, true},
    {"Ethernet Port:= ", "1..65535", [](long long v) { return v >= 1 && v <= 65535; },
     get<&AppSettings::EthernetPort>, set<&AppSettings::EthernetPort>},
    {"Endian:=", "0 or 1", [](long long v) { return v == 0 || v == 1; }, get<&AppSettings::BigEndian>,
     set<&AppSettings::BigEndian>},
    // 0 reads as 1.
    {"ModbusID:=", "1..247", [](long long v) { return v >= 0 && v <= 247; }, get<&AppSettings::ModbusID>,
     [](AppSettings& s, long long v) { s.ModbusID = static_cast<std::uint8_t>(v == 0 ? 1 : v); }},
    {"Language:=", "0, 900, 1800 or 2700",
     [](long long v) { return v == 0 || v == 900 || v == 1800 || v == 2700; },
     get<&AppSettings::LanguageOffset>, set<&AppSettings::LanguageOffset>},
    {"LanguageDlg:=", "0..255", [](long long v) { return v >= 0 && v <= 255; },
     get<&AppSettings::LanguageDlg>, set<&AppSettings::LanguageDlg>},
    {"Value:= ", "0 or 1", [](long long v) { return v == 0 || v == 1; }, get<&AppSettings::UsbDriverFirstRun>,
     set<&AppSettings::UsbDriverFirstRun>},
    {"USBPortAbsentValue:= ", "-32768..32767", [](long long v) { return v >= -32768 && v <= 32767; },
     get<&AppSettings::UsbPortAbsentValue>, set<&AppSettings::UsbPortAbsentValue>},
    {"BaudRate:= ", "0..5", [](long long v) { return v >= 0 && v <= 5; }, get<&AppSettings::BaudRateIndex>,
     set<&AppSettings::BaudRateIndex>},
    {"Parity:= ", "0..2", [](long long v) { return v >= 0 && v <= 2; }, get<&AppSettings::ParityIndex>,
     set<&AppSettings::ParityIndex>},
    {"StopBit:= ", "0 or 1", [](long long v) { return v == 0 || v == 1; }, get<&AppSettings::StopBitIndex>,
     set<&AppSettings::StopBitIndex>},
};

// A device path the file can keep as it is: one line without the item separators, and without
// ":=", which would let a later key take the port line for its own.
bool isDevicePath(const QString& text) {
    return !text.contains(QLatin1String(":=")) && std::ranges::none_of(text, [](QChar c) {
        return c.unicode() < 0x20 || c.unicode() == 0x7F || c == u',' || c == u'"';
    });
}

bool isListEntry(const QStringList& list, const QString& text) {
    return text.isEmpty() || list.contains(text, Qt::CaseInsensitive);
}

// Four dotted numbers 0..255, as the dialog and the command line store it.
bool isIpAddress(const QString& text) {
    if (text.isEmpty()) {
        return true;
    }
    const QStringList parts = text.split(u'.');
    return parts.size() == 4 && std::ranges::all_of(parts, [](const QString& part) {
               bool ok = false;
               return part.size() <= 3 && !part.startsWith(u'+') && part.toInt(&ok) >= 0 && ok &&
                      part.toInt() <= 255;
           });
}

// The allowed set of one text key; empty is the default and always allowed.
struct TextRule {
    const char* key;
    const char* allowed;
    bool (*accepts)(const QString&);
    QString AppSettings::*field;
};

const TextRule kTextRules[] = {
    {"IP Address:= ", "four dotted numbers 0..255", isIpAddress, &AppSettings::IPAddress},
    {"StrBaudRate:= ", "9600, 4800, 2400 or 1200",
     [](const QString& t) { return isListEntry(BaudRateTexts(), t); }, &AppSettings::BaudRateText},
    {"StrParity:= ", "NONE, EVEN or ODD", [](const QString& t) { return isListEntry(ParityTexts(), t); },
     &AppSettings::ParityText},
    {"StrStopBit:= ", "1 or 2", [](const QString& t) { return isListEntry(StopBitTexts(), t); },
     &AppSettings::StopBitText},
};

class Reader {
  public:
    Reader(const QStringList& items, std::vector<SettingsNote>* notes) : items_(items), notes_(notes) {}

    void read(const NumberRule& rule, AppSettings& s) {
        const auto value = lookup(items_, rule.key);
        if (!value) {
            return;
        }
        if (rule.takesDevicePath && value->trimmed().startsWith(u'/')) {
            if (isDevicePath(value->trimmed())) {
                s.SerialDevice = value->trimmed();
                s.CommPort = 1;  // a serial port
            } else {
                note(rule.key, *value, QString::number(rule.current(s)), rule.allowed);
            }
            return;
        }
        const auto number = leadingNumber(*value);
        if (number && (rule.accepts(*number) || *number == rule.current(s))) {
            rule.store(s, *number);
        } else {
            note(rule.key, *value, QString::number(rule.current(s)), rule.allowed);
        }
    }

    void read(const TextRule& rule, AppSettings& s) {
        const auto value = lookup(items_, rule.key);
        if (!value) {
            return;
        }
        const QString text = value->trimmed();
        if (rule.accepts(text) || text == s.*rule.field) {
            s.*rule.field = text;
        } else {
            note(rule.key, text, s.*rule.field, rule.allowed);
        }
    }

  private:
    void note(const char* key, const QString& value, const QString& fallback, const char* allowed) {
        if (notes_) {
            notes_->push_back({keyName(key), valueAsWritten(value), fallback, QString::fromLatin1(allowed)});
        }
    }

    const QStringList& items_;
    std::vector<SettingsNote>* notes_;
};

QString portValue(const AppSettings& s) {
    const bool serial = s.CommPort > 0 && s.CommPort < 1000;  // not Ethernet, not the USB cable
    return serial && !s.SerialDevice.isEmpty() ? s.SerialDevice : QString::number(s.CommPort);
}

}  // namespace

const QStringList& BaudRateTexts() {
    static const QStringList list = {QStringLiteral("9600"), QStringLiteral("4800"), QStringLiteral("2400"),
                                     QStringLiteral("1200")};
    return list;
}

const QStringList& ParityTexts() {
    static const QStringList list = {QStringLiteral("NONE"), QStringLiteral("EVEN"), QStringLiteral("ODD")};
    return list;
}

const QStringList& StopBitTexts() {
    static const QStringList list = {QStringLiteral("1"), QStringLiteral("2")};
    return list;
}

QString SettingsNoteText(const SettingsNote& note) {
    return QStringLiteral("Config.ini: %1:= %2 is not allowed (%3); the default %4 is used instead.")
        .arg(note.key, note.value, note.allowed,
             note.fallback.isEmpty() ? QStringLiteral("(empty)") : note.fallback);
}

AppSettings ParseSettings(const QByteArray& content, std::vector<SettingsNote>* notes) {
    AppSettings s;
    const QStringList items = splitItems(QString::fromLocal8Bit(content));
    if (!lookup(items, kHeader)) {
        return s;
    }
    Reader reader(items, notes);
    for (const NumberRule& rule : kNumberRules) {
        reader.read(rule, s);
    }
    for (const TextRule& rule : kTextRules) {
        reader.read(rule, s);
    }
    return s;
}

AppSettings ReadSettings(const QString& path, std::vector<SettingsNote>* notes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return AppSettings{};
    }
    // A settings file is a few hundred bytes; anything far larger is not ours.
    constexpr qint64 kMaxSettingsSize = 1 << 20;
    return ParseSettings(file.read(kMaxSettingsSize), notes);
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
