// libFuzzer target for the settings file reader: any text must give settings inside their
// allowed sets, and the settings it gives must come back unchanged, without a complaint, once
// written and read again (the program writes the file it read on every change).
#include <cstdint>

#include "fuzz_require.h"
#include "shell/app_settings.h"

namespace {

using namespace bdx;

bool isListed(const QStringList& list, const QString& text) {
    return text.isEmpty() || list.contains(text, Qt::CaseInsensitive);
}

void requireAllowed(const AppSettings& s) {
    const int port = s.CommPort;
    FUZZ_REQUIRE((port >= 0 && port <= 20) || port == 128 || port == 1000 || (port >= 0x8000 && port <= 0xFFFF));
    FUZZ_REQUIRE(s.SerialDevice.isEmpty() || (s.SerialDevice.startsWith(u'/') && port == 1));
    FUZZ_REQUIRE(s.EthernetPort >= 0 && s.EthernetPort <= 65535);
    FUZZ_REQUIRE((s.ModbusID >= 1 && s.ModbusID <= 247) || s.ModbusID == 254);
    FUZZ_REQUIRE(s.LanguageOffset == 0 || s.LanguageOffset == 900 || s.LanguageOffset == 1800 ||
                 s.LanguageOffset == 2700);
    FUZZ_REQUIRE(s.UsbDriverFirstRun == 0 || s.UsbDriverFirstRun == 1);
    FUZZ_REQUIRE(s.UsbPortAbsentValue >= -32768 && s.UsbPortAbsentValue <= 32767);
    FUZZ_REQUIRE(s.BaudRateIndex <= 5 && s.ParityIndex <= 2 && s.StopBitIndex <= 1);
    FUZZ_REQUIRE(isListed(BaudRateTexts(), s.BaudRateText) && isListed(ParityTexts(), s.ParityText) &&
                 isListed(StopBitTexts(), s.StopBitText));
    FUZZ_REQUIRE(s.IPAddress.isEmpty() || s.IPAddress.split(u'.').size() == 4);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray content =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    std::vector<SettingsNote> notes;
    const AppSettings settings = ParseSettings(content, &notes);
    requireAllowed(settings);
    for (const SettingsNote& note : notes) {
        FUZZ_REQUIRE(!note.key.isEmpty() && !note.allowed.isEmpty() && note.value.size() <= 43);
        FUZZ_REQUIRE(SettingsNoteText(note).startsWith(QLatin1String("Config.ini: ")));
    }
    // Without notes the reader must give the same settings.
    FUZZ_REQUIRE(ParseSettings(content) == settings);

    std::vector<SettingsNote> againNotes;
    const AppSettings again = ParseSettings(FormatSettings(settings), &againNotes);
    FUZZ_REQUIRE(again == settings);
    FUZZ_REQUIRE(againNotes.empty());
    return 0;
}
