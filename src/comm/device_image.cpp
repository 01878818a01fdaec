#include "device_image.h"

#include <QDir>
#include <QSaveFile>
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "blocks/soft_text_record.h"
#include "blocks/timer_record.h"
#include "comm/byte_reader.h"
#include "comm/comm_texts.h"
#include "ladder/file_lock.h"
#include "ladder/grid.h"

namespace bdx {

namespace {

// ---- Element and coil codes ----------------------------------------------------------------

// One element kind: its normally open grid code, its normally closed grid code (0 when the
// device has none, as for a message output) and the device code of the open form; the closed
// form is the next code.
struct ElementRow {
    std::uint16_t open;
    std::uint16_t closed;
    std::uint8_t device;
};

constexpr std::uint16_t closedOf(char letter) {
    return static_cast<std::uint16_t>(letter + NormallyClosedShift);
}

constexpr ElementRow kElementTable[] = {
    {'I', closedOf('I'), 0},  {'J', closedOf('J'), 2},
    {'K', closedOf('K'), 4},  {'L', closedOf('L'), 6},
    {'Z', closedOf('Z'), 8},  {'T', closedOf('T'), 10},
    {'C', closedOf('C'), 12}, {ClockContactOpen, ClockContactClosed, 14},
    {'A', closedOf('A'), 16}, {'P', closedOf('P'), 18},
    {'M', closedOf('M'), 20}, {'Q', closedOf('Q'), 22},
    {'U', closedOf('U'), 24}, {'V', closedOf('V'), 26},
    {'W', closedOf('W'), 28}, {'X', 0, 30},
    {'H', closedOf('H'), 31},
};

// Letters a coil row applies to; empty for any letter.
struct Letters {
    const char* list = "";

    bool matches(std::uint16_t letter) const {
        if (*list == '\0') {
            return true;
        }
        for (const char* c = list; *c != '\0'; ++c) {
            if (letter == static_cast<std::uint16_t>(*c)) {
                return true;
            }
        }
        return false;
    }
};

// Coil function to device code; the first matching row wins, no row gives 0.
struct CoilRow {
    std::uint16_t function;
    Letters letters;
    std::uint8_t code;
};

constexpr CoilRow kCoilTable[] = {
    {CoilContactor, {}, 0},
    {CoilImpulse, {}, 1},
    {CoilSet, {}, 2},
    {CoilReset, {"TH"}, 1},
    {CoilReset, {"C"}, 2},
    {CoilReset, {}, 3},
    {CoilImpulseRetentive, {"M"}, 4},
    {CoilSetRetentive, {"M"}, 5},
    {CoilResetRetentive, {"M"}, 6},
    {CoilTrigger, {}, 0},
    {CoilCount, {}, 0},
    {CoilDirection, {}, 1},
    {CoilEnable, {}, 0},
    {CoilResetAll, {}, 2},
    {CellWire, {}, static_cast<std::uint8_t>(CellWire)},
    {CoilNone, {}, static_cast<std::uint8_t>(CoilNone)},
};

// Device code back to the coil function; the first matching row wins, no row gives 128.
struct CoilBackRow {
    std::uint8_t code;
    Letters letters;
    std::uint16_t function;
};

constexpr CoilBackRow kCoilBackTable[] = {
    {0, {"T"}, CoilTrigger},
    {0, {"C"}, CoilCount},
    {0, {"H"}, CoilEnable},
    {0, {}, CoilContactor},
    {1, {"C"}, CoilDirection},
    {1, {"TH"}, CoilReset},
    {1, {}, CoilImpulse},
    {2, {"C"}, CoilReset},
    {2, {"H"}, CoilResetAll},
    {2, {}, CoilSet},
    {3, {}, CoilReset},
    {4, {}, CoilImpulseRetentive},
    {5, {}, CoilSetRetentive},
    {6, {}, CoilResetRetentive},
    {static_cast<std::uint8_t>(CellWire), {}, CellWire},
    {static_cast<std::uint8_t>(CoilNone), {}, CoilNone},
};

// What each of the twelve words of a line holds, for the translation.
enum class WordRole { Element, Number, Junction, CoilFunction };

constexpr WordRole kWordRoles[kWordsPerLine] = {
    WordRole::Element,      WordRole::Number,  WordRole::Junction,  // column 1
    WordRole::Element,      WordRole::Number,  WordRole::Junction,  // column 2
    WordRole::Element,      WordRole::Number,  WordRole::Junction,  // column 3
    WordRole::CoilFunction, WordRole::Element, WordRole::Number,    // coil
};

// The device counts operands from 1 where the grid counts them from NumberBase.
constexpr std::uint16_t kNumberOffset = NumberBase - 1;

// ---- Byte order ----------------------------------------------------------------------------

class ImageWriter {
  public:
    ImageWriter(DeviceImage& image, int offset, bool bigEndian)
        : image_(image), at_(offset), bigEndian_(bigEndian) {}

    void byte(unsigned value) { image_[at_++] = static_cast<std::uint8_t>(value); }
    void word(unsigned value) { bytes(value, 2); }
    void longWord(std::uint32_t value) { bytes(value, 4); }

  private:
    void bytes(std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i) {
            const int shift = 8 * (bigEndian_ ? count - 1 - i : i);
            byte((value >> shift) & 0xFF);
        }
    }

    DeviceImage& image_;
    int at_;
    bool bigEndian_;
};

// Walks the fields of one table entry; the image's fixed size keeps every read inside.
class ImageReader {
  public:
    ImageReader(const DeviceImage& image, int offset, bool bigEndian)
        : reader_(QByteArrayView(image.data(), image.size())), at_(offset), order_(OrderOf(bigEndian)) {}

    std::uint8_t byte() { return reader_.u8(advance(1)).value_or(0); }
    std::uint16_t word() { return reader_.u16(advance(2), order_).value_or(0); }
    std::int16_t signedWord() { return static_cast<std::int16_t>(word()); }
    std::uint32_t longWord() { return reader_.u32(advance(4), order_).value_or(0); }

  private:
    int advance(int count) {
        const int at = at_;
        at_ += count;
        return at;
    }

    ByteReader reader_;
    int at_;
    ByteOrder order_;
};

// ---- Field helpers -------------------------------------------------------------------------

constexpr std::uint8_t kMinus = '-';
constexpr std::uint8_t kPlus = '+';

template <std::size_t N>
std::uint32_t digitsValue(const std::array<std::uint8_t, N>& row, int first, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = value * 10 + row[first + i];
    }
    return value;
}

// A value beyond what the digits can show reads as all nines.
template <std::size_t N>
void setDigits(std::array<std::uint8_t, N>& row, int first, int count, std::uint32_t value) {
    std::uint32_t largest = 1;
    for (int i = 0; i < count; ++i) {
        largest *= 10;
    }
    value = std::min(value, largest - 1);
    for (int i = count - 1; i >= 0; --i) {
        row[first + i] = static_cast<std::uint8_t>(value % 10);
        value /= 10;
    }
}

template <std::size_t N>
std::int32_t signedDigits(const std::array<std::uint8_t, N>& row, int signField, int first) {
    const auto magnitude = static_cast<std::int32_t>(digitsValue(row, first, 5));
    return row[signField] == kMinus ? -magnitude : magnitude;
}

template <std::size_t N>
void setSignedDigits(std::array<std::uint8_t, N>& row, int signField, int first, std::int32_t value) {
    row[signField] = value < 0 ? kMinus : kPlus;
    setDigits(row, first, 5, static_cast<std::uint32_t>(std::abs(value)));
}

std::uint8_t swapNibbles(std::uint8_t value) {
    return static_cast<std::uint8_t>((value << 4) | (value >> 4));
}

// Seconds keep four digits of tenths; the clock units keep two 2-digit numbers, one per byte.
bool pairedUnit(unsigned unit) {
    return unit == static_cast<unsigned>(TimeUnit::MinutesSeconds) ||
           unit == static_cast<unsigned>(TimeUnit::HoursMinutes);
}

std::uint16_t setTimeValue(const std::array<std::uint8_t, kTimerFields>& row, int first, unsigned unit) {
    if (!pairedUnit(unit)) {
        return static_cast<std::uint16_t>(digitsValue(row, first, 4));
    }
    const auto high = digitsValue(row, first, 2);
    const auto low = digitsValue(row, first + 2, 2);
    return static_cast<std::uint16_t>(high * 256 + low);
}

void setSetTime(std::array<std::uint8_t, kTimerFields>& row, int first, unsigned unit, std::uint16_t value) {
    if (!pairedUnit(unit)) {
        setDigits(row, first, 4, value);
        return;
    }
    setDigits(row, first, 2, value >> 8);
    setDigits(row, first + 2, 2, value & 0xFF);
}

bool hasOffTime(int type) {
    return type >= 3 && type <= 7;
}

std::uint8_t bitsMoved(unsigned value, int from, int count, int to) {
    return static_cast<std::uint8_t>(((value >> from) & ((1u << count) - 1)) << to);
}

// ---- Program code ----------------------------------------------------------------------------

void buildProgramCode(const Program& program, DeviceImage& image) {
    for (int line = 0; line < kLadderLines; ++line) {
        for (int w = 0; w < kWordsPerLine; ++w) {
            const std::uint16_t word = program.word(line, w);
            std::uint8_t& out = image[ImageOffset::ProgramCode + line * kWordsPerLine + w];
            switch (kWordRoles[w]) {
                case WordRole::Element:
                    out = ElementCode(word);
                    break;
                case WordRole::Number:
                    out = static_cast<std::uint8_t>(word > kNumberOffset ? word - kNumberOffset : word);
                    break;
                case WordRole::Junction:
                    out = static_cast<std::uint8_t>(word);
                    break;
                case WordRole::CoilFunction:
                    out = CoilCode(word, program.word(line, kCoilLetterWord));
                    break;
            }
        }
    }
}

void readProgramCode(const DeviceImage& image, Program& program) {
    for (int line = 0; line < kLadderLines; ++line) {
        const auto byteAt = [&image, line](int w) {
            return image[ImageOffset::ProgramCode + line * kWordsPerLine + w];
        };
        // Elements first: the numbers and the coil function depend on them.
        for (int w = 0; w < kWordsPerLine; ++w) {
            if (kWordRoles[w] == WordRole::Element) {
                program.word(line, w) = GridElementCode(byteAt(w)).value_or(CellEmpty);
            } else if (kWordRoles[w] == WordRole::Junction) {
                program.word(line, w) = byteAt(w);
            }
        }
        for (int w = 0; w < kWordsPerLine; ++w) {
            if (kWordRoles[w] == WordRole::Number) {
                const std::uint16_t element = program.word(line, w - 1);
                const bool operand = element != CellWire && element != CellEmpty;
                program.word(line, w) = operand ? std::uint16_t(byteAt(w) + kNumberOffset) : byteAt(w);
            } else if (kWordRoles[w] == WordRole::CoilFunction) {
                program.word(line, w) = CoilFunctionOf(byteAt(w), program.word(line, kCoilLetterWord));
            }
        }
    }
}

// ---- Block tables --------------------------------------------------------------------------

void buildTimers(const Program& program, DeviceImage& image, bool bigEndian) {
    ImageWriter out(image, ImageOffset::Timers, bigEndian);
    for (const auto& row : program.TimerParams) {
        const std::uint8_t units = row[TimerField::Units];
        const int type = row[TimerField::Type];
        const std::uint16_t on = setTimeValue(row, TimerField::OnTime, units & 0x0F);
        out.byte(row[TimerField::Flags] & (kFlagInUse | kFlagLocked));
        if (hasOffTime(type)) {
            // The device keeps the OFF phase first for the two-time types.
            out.byte(swapNibbles(units));
            out.byte(type);
            out.word(setTimeValue(row, TimerField::OffTime, units >> 4));
            out.word(on);
        } else {
            out.byte(units);
            out.byte(type);
            out.word(on);
            out.word(0);
        }
    }
}

void readTimers(const DeviceImage& image, bool bigEndian, Program& program) {
    ImageReader in(image, ImageOffset::Timers, bigEndian);
    for (auto& row : program.TimerParams) {
        row[TimerField::Flags] = in.byte() & (kFlagInUse | kFlagLocked);
        const std::uint8_t units = in.byte();
        const std::uint8_t type = in.byte();
        const std::uint16_t first = in.word();
        const std::uint16_t second = in.word();
        row[TimerField::Type] = type;
        if (hasOffTime(type)) {
            row[TimerField::Units] = swapNibbles(units);
            setSetTime(row, TimerField::OffTime, units & 0x0F, first);
            setSetTime(row, TimerField::OnTime, units >> 4, second);
        } else {
            row[TimerField::Units] = units;
            setSetTime(row, TimerField::OnTime, units & 0x0F, first);
            setDigits(row, TimerField::OffTime, 4, 0);
        }
    }
}

// Counter flags: in use, locked, retentive (bit 4 -> 2), decimal position (bits 5-7 -> 4-6).
std::uint8_t counterFlagsToDevice(std::uint8_t f) {
    return static_cast<std::uint8_t>((f & 0x03) | bitsMoved(f, 4, 1, 2) | bitsMoved(f, 5, 3, 4));
}
std::uint8_t counterFlagsFromDevice(std::uint8_t b) {
    return static_cast<std::uint8_t>((b & 0x03) | bitsMoved(b, 2, 1, 4) | bitsMoved(b, 4, 3, 5));
}

void buildCounters(const Program& program, DeviceImage& image, bool bigEndian) {
    ImageWriter out(image, ImageOffset::Counters, bigEndian);
    for (const auto& row : program.CounterParams) {
        out.byte(counterFlagsToDevice(row[CounterField::Flags]));
        out.longWord(digitsValue(row, CounterField::SetPoint, 5));
        out.word(digitsValue(row, CounterField::Pulses, 5));
        out.word(digitsValue(row, CounterField::DisplayUnits, 5));
    }
}

void readCounters(const DeviceImage& image, bool bigEndian, Program& program) {
    ImageReader in(image, ImageOffset::Counters, bigEndian);
    for (auto& row : program.CounterParams) {
        row[CounterField::Flags] = counterFlagsFromDevice(in.byte());
        setDigits(row, CounterField::SetPoint, 5, in.longWord());
        setDigits(row, CounterField::Pulses, 5, in.word());
        setDigits(row, CounterField::DisplayUnits, 5, in.word());
    }
}

void buildTimeSwitches(const Program& program, DeviceImage& image, bool bigEndian) {
    using namespace TimeSwitchField;
    ImageWriter out(image, ImageOffset::TimeSwitches, bigEndian);
    for (const auto& row : program.TimeSwitchParams) {
        out.byte(row[Flags] & (kFlagInUse | kFlagLocked));
        out.byte(row[StartDay]);
        out.byte(row[EndDay]);
        out.word(row[OnHour] * 256u + row[OnMinute]);
        out.word(row[OffHour] * 256u + row[OffMinute]);
    }
}

void readTimeSwitches(const DeviceImage& image, bool bigEndian, Program& program) {
    using namespace TimeSwitchField;
    ImageReader in(image, ImageOffset::TimeSwitches, bigEndian);
    for (auto& row : program.TimeSwitchParams) {
        row[Flags] = in.byte() & (kFlagInUse | kFlagLocked);
        row[StartDay] = in.byte();
        row[EndDay] = in.byte();
        const std::uint16_t on = in.word();
        const std::uint16_t off = in.word();
        row[OnHour] = static_cast<std::uint8_t>(on >> 8);
        row[OnMinute] = static_cast<std::uint8_t>(on & 0xFF);
        row[OffHour] = static_cast<std::uint8_t>(off >> 8);
        row[OffMinute] = static_cast<std::uint8_t>(off & 0xFF);
    }
}

// The second operand 8 is the reference value, which the device flags in bit 3.
constexpr unsigned kReferenceOperand = 8;
constexpr std::uint8_t kDeviceReferenceFlag = 0x08;

void buildAnalog(const Program& program, DeviceImage& image, bool bigEndian) {
    using namespace AnalogField;
    ImageWriter out(image, ImageOffset::Analog, bigEndian);
    for (const auto& row : program.AnalogParams) {
        const std::uint8_t operands = row[Operands];
        const bool reference = (operands >> 4) == kReferenceOperand;
        out.byte((row[Flags] & 0x03) | bitsMoved(row[Flags], 5, 3, 4) |
                 (reference ? kDeviceReferenceFlag : 0));
        out.byte(((operands & 0x0E) >> 1) + 1);
        out.byte(((operands & 0x70) >> 4) + 1);
        out.byte(row[Function]);
        const int magnitude = row[RefHigh] * 256 + row[RefLow];
        out.word(static_cast<std::uint16_t>(row[Sign] == kMinus ? -magnitude : magnitude));
    }
}

void readAnalog(const DeviceImage& image, bool bigEndian, Program& program) {
    using namespace AnalogField;
    ImageReader in(image, ImageOffset::Analog, bigEndian);
    for (auto& row : program.AnalogParams) {
        const std::uint8_t flags = in.byte();
        const unsigned first = (in.byte() - 1u) & 0x07;
        const unsigned secondInput = (in.byte() - 1u) & 0x07;
        const bool reference = (flags & kDeviceReferenceFlag) != 0;
        row[Flags] = static_cast<std::uint8_t>((flags & 0x03) | bitsMoved(flags, 4, 3, 5));
        row[Operands] =
            static_cast<std::uint8_t>(first * 2 + (reference ? kReferenceOperand : secondInput) * 16);
        row[Function] = in.byte();
        const int value = in.signedWord();
        const int magnitude = std::abs(value);
        row[RefHigh] = static_cast<std::uint8_t>(magnitude >> 8);
        row[RefLow] = static_cast<std::uint8_t>(magnitude & 0xFF);
        row[Sign] = value < 0 ? kMinus : kPlus;
    }
}

constexpr std::uint8_t kCompareUnusedBit = 0x04;

void buildCompare(const Program& program, DeviceImage& image, bool bigEndian) {
    using namespace CompareField;
    ImageWriter out(image, ImageOffset::Compare, bigEndian);
    for (const auto& row : program.CompareParams) {
        out.byte(row[Flags] & ~kCompareUnusedBit);
        out.byte((row[Counters] & 0x0F) + 1);
        out.byte((row[Counters] >> 4) + 1);
        out.longWord(digitsValue(row, Constant, 5));
    }
}

void readCompare(const DeviceImage& image, bool bigEndian, Program& program) {
    using namespace CompareField;
    ImageReader in(image, ImageOffset::Compare, bigEndian);
    for (auto& row : program.CompareParams) {
        row[Flags] = in.byte() & ~kCompareUnusedBit;
        const unsigned first = (in.byte() - 1u) & 0x0F;
        const unsigned second = (in.byte() - 1u) & 0x0F;
        row[Counters] = static_cast<std::uint8_t>(second << 4 | first);
        setDigits(row, Constant, 5, in.longWord());
    }
}

// Resolution codes 0..2 sit in bits 2-3 in both forms; code 3 does not exist on the device.
std::uint8_t hourMeterResolutionBits(std::uint8_t flags) {
    const unsigned code = flags & 0x0C;
    return code == 0x0C ? 0 : static_cast<std::uint8_t>(code);
}

void buildHourMeters(const Program& program, DeviceImage& image, bool bigEndian) {
    ImageWriter out(image, ImageOffset::HourMeters, bigEndian);
    for (const auto& row : program.HourMeterParams) {
        const std::uint8_t flags = row[HourMeterField::Flags];
        out.byte((flags & 0x03) | hourMeterResolutionBits(flags));
        out.longWord(digitsValue(row, HourMeterField::Preset, 5));
    }
}

void readHourMeters(const DeviceImage& image, bool bigEndian, Program& program) {
    ImageReader in(image, ImageOffset::HourMeters, bigEndian);
    for (auto& row : program.HourMeterParams) {
        const std::uint8_t flags = in.byte();
        row[HourMeterField::Flags] =
            static_cast<std::uint8_t>((flags & 0x03) | hourMeterResolutionBits(flags));
        setDigits(row, HourMeterField::Preset, 5, in.longWord());
    }
}

// Soft text: the device shows 128 as a blank and counts the block of an embedded field from 0.
constexpr std::uint8_t kDeviceBlank = 128;
constexpr std::uint8_t kBlank = ' ';
constexpr int kEmbeddedFieldLength = 4;

bool countedSource(std::uint8_t source) {
    return source == 1 || source == 2 || source == 4 || source == 8;
}

// Positions of a message that hold a block number of an embedded field. `bytes` is either the
// message or its image; both agree on markers and sources, so the two directions find the same.
std::array<bool, kSoftTextFields> blockNumberPositions(const std::uint8_t* bytes) {
    std::array<bool, kSoftTextFields> numbers{};
    for (int j = 0; j < kSoftTextFields; ++j) {
        if (bytes[j] != kEmbeddedDataMarker) {
            continue;
        }
        if (j + 2 < kSoftTextFields && countedSource(bytes[j + 1])) {
            numbers[j + 2] = true;
        }
        j += kEmbeddedFieldLength - 1;  // data positions may hold any code, the marker's included
    }
    return numbers;
}

void buildSoftTexts(const Program& program, DeviceImage& image) {
    int at = ImageOffset::SoftTexts;
    for (const auto& row : program.SoftTextParams) {
        const auto numbers = blockNumberPositions(row.data());
        for (int j = 0; j < kSoftTextFields; ++j) {
            const std::uint8_t c = row[j];
            image[at++] = numbers[j] ? std::uint8_t(c - 1) : c == kBlank ? kDeviceBlank : c;
        }
    }
}

void readSoftTexts(const DeviceImage& image, Program& program) {
    int at = ImageOffset::SoftTexts;
    for (auto& row : program.SoftTextParams) {
        const auto numbers = blockNumberPositions(image.data() + at);
        for (int j = 0; j < kSoftTextFields; ++j) {
            const std::uint8_t b = image[at++];
            row[j] = numbers[j] ? std::uint8_t(b + 1) : b == kDeviceBlank ? kBlank : b;
        }
    }
}

void buildAnalogScaling(const Program& program, DeviceImage& image, bool bigEndian) {
    using namespace AnalogScalingField;
    ImageWriter out(image, ImageOffset::AnalogScaling, bigEndian);
    for (const auto& row : program.AnalogScalingParams) {
        out.byte(row[DecimalPoint]);
        out.word(static_cast<std::uint16_t>(signedDigits(row, MinSign, Min)));
        out.word(static_cast<std::uint16_t>(signedDigits(row, MaxSign, Max)));
    }
}

void readAnalogScaling(const DeviceImage& image, bool bigEndian, Program& program) {
    using namespace AnalogScalingField;
    ImageReader in(image, ImageOffset::AnalogScaling, bigEndian);
    for (auto& row : program.AnalogScalingParams) {
        row[DecimalPoint] = in.byte();
        setSignedDigits(row, MinSign, Min, in.signedWord());
        setSignedDigits(row, MaxSign, Max, in.signedWord());
    }
}

// Configuration record flags: the extension modules in bits 0-2, the rest kept.
constexpr int kConfigFlagsByte = ConfigLayout::FlagsByte;
constexpr std::uint8_t kConfigKeptBits = static_cast<std::uint8_t>(~ConfigLayout::ModuleBits);
constexpr int kSecondWordByte = ConfigLayout::Level2Password;
constexpr int kLargeConfigRecord = ConfigLayout::LargeSize;
constexpr int kSmallConfigRecord = ConfigLayout::SmallSize;
constexpr int kFirstLargeRecordModel = ConfigLayout::FirstLargeModel;

}  // namespace

std::uint8_t ElementCode(std::uint16_t gridCode) {
    if (gridCode == CellWire || gridCode == CellEmpty) {
        return static_cast<std::uint8_t>(gridCode);
    }
    for (const ElementRow& row : kElementTable) {
        if (gridCode == row.open) {
            return row.device;
        }
        if (row.closed != 0 && gridCode == row.closed) {
            return static_cast<std::uint8_t>(row.device + 1);
        }
    }
    return static_cast<std::uint8_t>(CellEmpty);
}

std::optional<std::uint16_t> GridElementCode(std::uint8_t deviceCode) {
    if (deviceCode == CellWire || deviceCode == CellEmpty) {
        return deviceCode;
    }
    for (const ElementRow& row : kElementTable) {
        if (deviceCode == row.device) {
            return row.open;
        }
        if (row.closed != 0 && deviceCode == row.device + 1) {
            return row.closed;
        }
    }
    return std::nullopt;
}

std::uint8_t CoilCode(std::uint16_t coilFunction, std::uint16_t coilLetter) {
    for (const CoilRow& row : kCoilTable) {
        if (row.function == coilFunction && row.letters.matches(coilLetter)) {
            return row.code;
        }
    }
    return 0;
}

std::uint16_t CoilFunctionOf(std::uint8_t coilCode, std::uint16_t coilLetter) {
    for (const CoilBackRow& row : kCoilBackTable) {
        if (row.code == coilCode && row.letters.matches(coilLetter)) {
            return row.function;
        }
    }
    return CoilNone;
}

int UnknownImageWord(const Program& program) {
    if (const int unknown = FirstUnknownGridWord(program.LadderGrid); unknown >= 0) {
        return unknown;
    }
    for (int i = 0; i < kGridWords; ++i) {
        const std::uint16_t word = program.LadderGrid[i];
        if (kWordRoles[i % kWordsPerLine] == WordRole::Element && word != CellEmpty &&
            ElementCode(word) == CellEmpty) {
            return i;
        }
    }
    return -1;
}

QString UnknownImageWordText(const Program& program, int word) {
    return LoadText(CommText::NoDeviceCode)
        .arg(word / kWordsPerLine + 1)
        .arg(word % kWordsPerLine + 1)
        .arg(program.LadderGrid[word]);
}

std::optional<DeviceImage> BuildImage(const Program& program, bool bigEndian, QString* error) {
    if (const int unknown = UnknownImageWord(program); unknown >= 0) {
        if (error != nullptr) {
            *error = UnknownImageWordText(program, unknown);
        }
        return std::nullopt;
    }
    DeviceImage image{};
    buildTimeSwitches(program, image, bigEndian);
    buildCompare(program, image, bigEndian);
    buildProgramCode(program, image);
    buildTimers(program, image, bigEndian);
    buildCounters(program, image, bigEndian);
    buildAnalog(program, image, bigEndian);
    buildSoftTexts(program, image);
    buildHourMeters(program, image, bigEndian);
    buildAnalogScaling(program, image, bigEndian);
    return image;
}

void ReadImage(const DeviceImage& image, bool bigEndian, Program& program) {
    readProgramCode(image, program);
    readTimeSwitches(image, bigEndian, program);
    readTimers(image, bigEndian, program);
    readCounters(image, bigEndian, program);
    readAnalog(image, bigEndian, program);
    readCompare(image, bigEndian, program);
    readHourMeters(image, bigEndian, program);
    readSoftTexts(image, program);
    readAnalogScaling(image, bigEndian, program);
}

QByteArray ImageBytes(const DeviceImage& image) {
    return QByteArray(reinterpret_cast<const char*>(image.data()), kDeviceImageSize);
}

std::optional<DeviceImage> ImageFromBytes(const QByteArray& bytes) {
    if (bytes.size() != kDeviceImageSize) {
        return std::nullopt;
    }
    DeviceImage image{};
    std::copy(bytes.begin(), bytes.end(), image.begin());
    return image;
}

int ConfigRecordSize(int modelCode) {
    return modelCode >= kFirstLargeRecordModel ? kLargeConfigRecord : kSmallConfigRecord;
}

void SetExtensionFlags(QByteArray& record, const Program& program) {
    if (record.size() <= kConfigFlagsByte) {
        return;
    }
    auto flags = static_cast<std::uint8_t>(record[kConfigFlagsByte]) & kConfigKeptBits;
    for (int module = 0; module < kExtensionModules; ++module) {
        if (program.ExtensionModules[module] != 0) {
            flags |= 1u << module;
        }
    }
    record[kConfigFlagsByte] = static_cast<char>(flags);
}

void SwapConfigRecord(QByteArray& record, bool bigEndian) {
    if (!bigEndian) {
        return;
    }
    if (record.size() >= 2) {
        std::swap(record[0], record[1]);
    }
    if (record.size() >= kLargeConfigRecord) {
        std::swap(record[kSecondWordByte], record[kSecondWordByte + 1]);
    }
}

QByteArray BuildImageFileBytes(const Program& program, bool bigEndian, int modelCode, QString* error) {
    const std::optional<DeviceImage> image = BuildImage(program, bigEndian, error);
    if (!image) {
        return QByteArray();
    }
    const int recordSize = ConfigRecordSize(modelCode);
    QByteArray record(recordSize, '\0');
    SetExtensionFlags(record, program);
    return record + QByteArray(recordSize, '\0') + ImageBytes(*image);
}

bool BuildImageFile(const Program& program, bool bigEndian, int modelCode, const QString& path,
                    QString* error) {
    const QByteArray bytes = BuildImageFileBytes(program, bigEndian, modelCode, error);
    if (bytes.isEmpty()) {
        return false;
    }
    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (!ok && error != nullptr) {
        *error = file.errorString();
    }
    // The hidden attribute the file gets elsewhere has no counterpart here.
    return ok;
}

std::optional<DeviceImage> ImageOfImageFile(const QByteArray& bytes) {
    for (const int recordSize : {kSmallConfigRecord, kLargeConfigRecord}) {
        if (bytes.size() == 2 * recordSize + kDeviceImageSize) {
            return ImageFromBytes(bytes.right(kDeviceImageSize));
        }
    }
    return std::nullopt;
}

QString ImageFilePath(const Program& program, const QString& applicationFolder) {
    if (program.ProgramFilePath.isEmpty()) {
        return QDir(applicationFolder).filePath(QStringLiteral("LAD.LAD"));
    }
    return ImageFilePath(program.ProgramFilePath);
}

}  // namespace bdx
