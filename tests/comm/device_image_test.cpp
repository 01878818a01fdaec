#include "comm/device_image.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <random>
#include <vector>

#include "../cli/run_cli.h"
#include "../ladder/test_programs.h"
#include "blocks/soft_text_record.h"
#include "ladder/grid.h"
#include "ladder/program_file.h"
#include "shell/app_paths.h"
#include "shell/app_settings.h"

namespace bdx {
namespace {

std::vector<int> bytesAt(const DeviceImage& image, int offset, int count) {
    return {image.begin() + offset, image.begin() + offset + count};
}

void setContact(Program& p, int line, int column, std::uint16_t code, int number) {
    p.word(line, kContactWord[column]) = code;
    p.word(line, kContactWord[column] + kNumberWordOffset) = OperandNumberCode(number);
}

void setCoil(Program& p, int line, char letter, std::uint16_t function, int number) {
    p.word(line, kCoilFunctionWord) = function;
    p.word(line, kCoilLetterWord) = static_cast<std::uint16_t>(letter);
    p.word(line, kCoilNumberWord) = OperandNumberCode(number);
}

template <std::size_t N>
void setDigits(std::array<std::uint8_t, N>& row, int first, const std::vector<int>& digits) {
    for (std::size_t i = 0; i < digits.size(); ++i) {
        row[first + i] = static_cast<std::uint8_t>(digits[i]);
    }
}

TEST(DeviceImageCodes, ElementCodesMapBothWaysAndRefuseWhatTheDeviceLacks) {
    // clang-format off
    const std::vector<std::pair<std::uint16_t, int>> cases = {
        {'I', 0}, {'I' + 26, 1}, {'Z', 8}, {'T', 10}, {ClockContactOpen, 14}, {ClockContactClosed, 15},
        {'A', 16}, {'M' + 26, 21}, {'X', 30}, {'H', 31}, {'H' + 26, 32}, {CellWire, 133}, {CellEmpty, 128},
        {'X' + 26, 128}, {'B', 128}, {300, 128}};
    // clang-format on
    for (const auto& [grid, device] : cases) {
        EXPECT_EQ(ElementCode(grid), device) << grid;
    }
    int mapped = 0;
    for (int grid = 0; grid < 400; ++grid) {
        const std::uint8_t device = ElementCode(static_cast<std::uint16_t>(grid));
        if (device != CellEmpty || grid == CellEmpty) {
            ++mapped;
            EXPECT_EQ(GridElementCode(device), grid) << grid;
        }
    }
    EXPECT_EQ(mapped, 33 + 2);  // every contact form the device knows, wire and empty
    EXPECT_FALSE(GridElementCode(33).has_value());
    EXPECT_FALSE(GridElementCode(255).has_value());
}

TEST(DeviceImageCodes, CoilCodesDependOnTheLetterWhereTheTableSaysSo) {
    struct Case {
        std::uint16_t function;
        char letter;
        int code;
    };
    // clang-format off
    const Case cases[] = {
        {CoilContactor, 'X', 0}, {CoilImpulse, 'Q', 1}, {CoilSet, 'M', 2}, {CoilReset, 'T', 1},
        {CoilReset, 'H', 1}, {CoilReset, 'C', 2}, {CoilReset, 'X', 3}, {CoilReset, 'Q', 3},
        {CoilImpulseRetentive, 'M', 4}, {CoilSetRetentive, 'M', 5}, {CoilResetRetentive, 'M', 6},
        {CoilSetRetentive, 'Q', 0}, {CoilResetRetentive, 'U', 0}, {CoilDirection, 'C', 1},
        {CoilResetAll, 'H', 2}, {CellWire, 'Q', 133}, {CoilNone, 'Q', 128}, {999, 'Q', 0}};
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(CoilCode(c.function, std::uint16_t(c.letter)), c.code) << c.function << ' ' << c.letter;
    }
    EXPECT_EQ(CoilFunctionOf(77, 'Q'), CoilNone);
}

TEST(DeviceImage, ProgramCodeTranslatesEveryWordKind) {
    Program p;
    setContact(p, 3, 0, 'M', 64);
    p.word(3, 2) = JunctionBase + JunctionLeft + JunctionRight + JunctionDown;
    p.word(3, 3) = p.word(3, 4) = CellWire;
    setContact(p, 3, 2, ClockContactClosed, 16);
    setCoil(p, 3, 'C', CoilDirection, 7);
    const DeviceImage image = BuildImage(p, false).value();
    EXPECT_EQ(bytesAt(image, 3 * kWordsPerLine, kWordsPerLine),
              (std::vector<int>{20, 64, 141, 133, 133, 128, 15, 16, 128, 1, 12, 7}));
    // Every other line is empty code; the reserved bytes stay zero.
    for (int i = 0; i < kProgramCodeSize; ++i) {
        ASSERT_TRUE(i / kWordsPerLine == 3 || image[i] == 128) << i;
    }
    EXPECT_EQ(bytesAt(image, ImageOffset::Reserved, 2), (std::vector<int>{0, 0}));
}

TEST(DeviceImage, BlockEntriesAtTheirOffsetsInEitherByteOrder) {
    Program p;
    // Type D timer with ON 00:30 (MM:SS) and OFF 012.5 s: the OFF phase goes first.
    auto& t = p.TimerParams[1];
    t[TimerField::Flags] = kFlagInUse | kFlagLocked;
    t[TimerField::Units] = 0x01;
    t[TimerField::Type] = 3;
    setDigits(t, TimerField::OnTime, {0, 0, 3, 0});
    setDigits(t, TimerField::OffTime, {0, 1, 2, 5});
    // Type A timer, 01:30 hours: one time, OFF bytes zero.
    auto& a = p.TimerParams[2];
    a[TimerField::Units] = 0x02;
    setDigits(a, TimerField::OnTime, {0, 1, 3, 0});
    setDigits(a, TimerField::OffTime, {9, 9, 9, 9});
    // Counter 70000, retentive, two decimals, 60000 pulses : 2 units.
    auto& c = p.CounterParams[0];
    c[CounterField::Flags] = kFlagLocked | 0x10 | 2 * 32;
    setDigits(c, CounterField::SetPoint, {7, 0, 0, 0, 0});
    setDigits(c, CounterField::Pulses, {6, 0, 0, 0, 0});
    setDigits(c, CounterField::DisplayUnits, {0, 0, 0, 0, 2});
    auto& ts = p.TimeSwitchParams[15];
    ts = {kFlagLocked, 17, 62, 22, 5, 6, 30};
    // A1 = V1 >= VREF -500 with one decimal; A2 = V3 < V8.
    p.AnalogParams[0] = {std::uint8_t(kFlagInUse | 32), 1, 244, 128, 2, '-'};
    p.AnalogParams[1] = {0, 0, 0, std::uint8_t(2 * 2 + 7 * 16), 1, '+'};
    // P2 = C1 <> C16; P3 = C3 >= 150.
    p.CompareParams[1] = {std::uint8_t(5 * 16 + 0x04), 0, 0, 0, 0, 0, 15 * 16};
    p.CompareParams[2] = {std::uint8_t(0x08 | 2 * 16), 0, 0, 1, 5, 0, 2};
    p.HourMeterParams[3] = {std::uint8_t(kFlagInUse | 4), 0, 0, 1, 2, 5};
    p.AnalogScalingParams[7] = {2, '-', 0, 1, 0, 0, 0, '+', 3, 2, 7, 6, 7};

    struct Case {
        int offset;
        std::vector<int> big;
        std::vector<int> little;
    };
    const Case cases[] = {
        {ImageOffset::Timers + 7, {3, 0x10, 3, 0, 125, 0, 30}, {3, 0x10, 3, 125, 0, 30, 0}},
        {ImageOffset::Timers + 14, {0, 2, 0, 1, 30, 0, 0}, {0, 2, 0, 30, 1, 0, 0}},
        {ImageOffset::Counters,
         {2 | 4 | 32, 0x00, 0x01, 0x11, 0x70, 0xEA, 0x60, 0, 2},
         {2 | 4 | 32, 0x70, 0x11, 0x01, 0x00, 0x60, 0xEA, 2, 0}},
        {ImageOffset::TimeSwitches + 15 * 7, {2, 17, 62, 22, 5, 6, 30}, {2, 17, 62, 5, 22, 30, 6}},
        {ImageOffset::Analog, {1 | 8 | 16, 1, 1, 2, 0xFE, 0x0C}, {1 | 8 | 16, 1, 1, 2, 0x0C, 0xFE}},
        {ImageOffset::Analog + 6, {0, 3, 8, 1, 0, 0}, {0, 3, 8, 1, 0, 0}},
        {ImageOffset::Compare + 7, {5 * 16, 1, 16, 0, 0, 0, 0}, {5 * 16, 1, 16, 0, 0, 0, 0}},
        {ImageOffset::Compare + 14, {8 | 32, 3, 1, 0, 0, 0, 150}, {8 | 32, 3, 1, 150, 0, 0, 0}},
        {ImageOffset::HourMeters + 15, {1 | 4, 0, 0, 0, 125}, {1 | 4, 125, 0, 0, 0}},
        {ImageOffset::AnalogScaling + 35, {2, 0xFC, 0x18, 0x7F, 0xFF}, {2, 0x18, 0xFC, 0xFF, 0x7F}},
    };
    const DeviceImage big = BuildImage(p, true).value();
    const DeviceImage little = BuildImage(p, false).value();
    for (const Case& c : cases) {
        EXPECT_EQ(bytesAt(big, c.offset, int(c.big.size())), c.big) << "offset " << c.offset;
        EXPECT_EQ(bytesAt(little, c.offset, int(c.little.size())), c.little) << "offset " << c.offset;
    }
}

TEST(DeviceImage, SoftTextBlanksAndEmbeddedBlockNumbers) {
    Program p;
    auto& text = p.SoftTextParams[4];
    const std::vector<int> message = {'A', ' ', 96, 2, 5, 1, 96, 7, 0, 1, 96, 4, 3, 'x', 96, 3, 5, 0, 'Z'};
    setDigits(text, 0, message);
    const auto before = text;
    const DeviceImage image = BuildImage(p, true).value();
    // Counter 5 and analog V3 count from 0 on the device; the date field and the unknown
    // source 3 keep their numbers.
    EXPECT_EQ(bytesAt(image, ImageOffset::SoftTexts + 4 * 36, int(message.size())),
              (std::vector<int>{'A', 128, 96, 2, 4, 1, 96, 7, 0, 1, 96, 4, 2, 'x', 96, 3, 5, 0, 'Z'}));
    EXPECT_EQ(image[ImageOffset::SoftTexts + 5 * 36 - 1], 128);
    EXPECT_EQ(text, before);
}

// A random program as the editor and the block dialogs make it, in which every field the
// image carries is drawn from its valid range.
class ValidProgramMaker {
  public:
    explicit ValidProgramMaker(unsigned seed) : rng_(seed) {}

    Program make() {
        Program p;
        for (int line = 0; line < kLadderLines; ++line) {
            for (int column = 0; column < kContactColumns; ++column) {
                makeContact(p, line, column);
            }
            makeCoil(p, line);
        }
        for (auto& r : p.TimeSwitchParams) {
            r = {flags(), u(0, 127), u(0, 127), u(0, 23), u(0, 59), u(0, 23), u(0, 59)};
        }
        for (auto& r : p.TimerParams) {
            r = {};
            r[TimerField::Flags] = flags();
            r[TimerField::Type] = u(0, 13);
            const bool two = r[TimerField::Type] >= 3 && r[TimerField::Type] <= 7;
            const std::uint8_t on = u(0, 2), off = two ? u(0, 2) : 0;
            r[TimerField::Units] = std::uint8_t(on | off << 4);
            setTime(r, TimerField::OnTime, on);
            if (two) {
                setTime(r, TimerField::OffTime, off);
            }
        }
        for (auto& r : p.CounterParams) {
            r[0] = std::uint8_t(flags() | u(0, 1) << 4 | u(0, 4) << 5);
            putDigits(r, 1, int(n(0, 99999)));
            putDigits(r, 6, int(n(1, 65535)));
            putDigits(r, 11, int(n(1, 65535)));
        }
        for (auto& r : p.AnalogParams) {
            const int reference = int(n(-32768, 32767));
            const int magnitude = std::abs(reference);
            r = {std::uint8_t(flags() | u(0, 4) << 5),
                 std::uint8_t(magnitude >> 8),
                 std::uint8_t(magnitude & 255),
                 std::uint8_t(u(0, 7) * 2 + u(0, 8) * 16),
                 u(0, 5),
                 std::uint8_t(reference < 0 ? '-' : '+')};
        }
        for (auto& r : p.CompareParams) {
            const bool constant = u(0, 1) == 1;
            r = {};
            r[0] = std::uint8_t(flags() | (constant ? 8 : 0) | u(0, 5) << 4);
            if (constant) {
                putDigits(r, 1, int(n(0, 99999)));
            }
            r[6] = std::uint8_t(u(0, 15) | (constant ? 0 : u(0, 15) << 4));
        }
        for (auto& r : p.HourMeterParams) {
            r[0] = std::uint8_t(flags() | u(0, 2) << 2);
            putDigits(r, 1, int(n(0, 99999)));
        }
        for (auto& r : p.SoftTextParams) {
            makeMessage(r);
        }
        for (auto& r : p.AnalogScalingParams) {
            r[0] = u(0, 4);
            putSigned(r, 1, int(n(-32768, 32767)));
            putSigned(r, 7, int(n(-32768, 32767)));
        }
        return p;
    }

  private:
    std::uint8_t u(int low, int high) { return std::uint8_t(n(low, high)); }
    long n(long low, long high) { return std::uniform_int_distribution<long>(low, high)(rng_); }
    std::uint8_t flags() { return u(0, 3); }

    template <std::size_t N>
    void putDigits(std::array<std::uint8_t, N>& row, int first, int value) {
        for (int i = 4; i >= 0; --i, value /= 10) {
            row[first + i] = std::uint8_t(value % 10);
        }
    }
    template <std::size_t N>
    void putSigned(std::array<std::uint8_t, N>& row, int sign, int value) {
        row[sign] = value < 0 ? '-' : '+';
        putDigits(row, sign + 1, std::abs(value));
    }
    void setTime(std::array<std::uint8_t, kTimerFields>& row, int first, int unit) {
        row[first] = u(0, 9);
        row[first + 1] = u(0, 9);
        row[first + 2] = u(0, unit == 0 ? 9 : 5);
        row[first + 3] = u(0, 9);
    }

    void makeContact(Program& p, int line, int column) {
        const int w = kContactWord[column];
        p.word(line, w + kJunctionWordOffset) = std::uint16_t(JunctionBase + u(0, 15));
        const int kind = u(0, 3);
        if (kind == 0) {
            return;
        }
        if (kind == 1) {
            p.word(line, w) = p.word(line, w + kNumberWordOffset) = CellWire;
            return;
        }
        const OperandInfo& info = kOperandTable[u(0, kOperandKinds - 1)];
        std::uint16_t code = info.letter != 0 ? std::uint16_t(info.letter) : ClockContactOpen;
        if (info.kind != Operand::X && u(0, 1) == 1) {
            code = NormallyClosedCode(code);
        }
        setContact(p, line, column, code, u(1, info.count));
    }

    void makeCoil(Program& p, int line) {
        struct CoilKind {
            Operand kind;
            std::vector<std::uint16_t> functions;
        };
        const std::vector<std::uint16_t> output = {CoilContactor, CoilImpulse, CoilSet, CoilReset};
        const CoilKind kinds[] = {
            {Operand::Q, output},
            {Operand::W, output},
            {Operand::M,
             {CoilContactor, CoilImpulse, CoilImpulseRetentive, CoilSet, CoilSetRetentive, CoilReset,
              CoilResetRetentive}},
            {Operand::T, {CoilTrigger, CoilReset}},
            {Operand::C, {CoilCount, CoilDirection, CoilReset}},
            {Operand::H, {CoilEnable, CoilReset, CoilResetAll}},
            {Operand::X, {CoilContactor, CoilReset}},
        };
        const int pick = u(0, 8);
        if (pick == 8) {
            return;
        }
        if (pick == 7) {
            p.word(line, kCoilFunctionWord) = p.word(line, kCoilLetterWord) = p.word(line, kCoilNumberWord) =
                CellWire;
            return;
        }
        const CoilKind& k = kinds[pick];
        const OperandInfo& info = operandInfo(k.kind);
        setCoil(p, line, info.letter, k.functions[u(0, int(k.functions.size()) - 1)], u(1, info.count));
    }

    // Characters of the code page (128 is the device's blank, never a character) and a few
    // embedded fields.
    void makeMessage(std::array<std::uint8_t, kSoftTextFields>& r) {
        for (auto& c : r) {
            c = u(0, 3) == 0 ? ' ' : u(0, 1) == 0 ? u(33, 126) : u(129, 255);
            if (c == kEmbeddedDataMarker) {
                c = ' ';
            }
        }
        for (int field = u(0, 3); field > 0; --field) {
            const int at = u(0, kSoftTextFields - 4);
            const int sources[] = {1, 2, 4, 7, 8};
            const int source = sources[u(0, 4)];
            r[at] = kEmbeddedDataMarker;
            r[at + 1] = std::uint8_t(source);
            r[at + 2] = source == 7 ? u(0, 1) : u(1, 16);
            r[at + 3] = source == 4 ? 'x' : u(0, 2);
        }
    }

    std::mt19937 rng_;
};

// The image carries the grid and the eight block tables. It does not carry comments, line
// comments, print texts, the model, the extension modules, the file name and path, the
// in-use table of the messages or the modified flag: those stay as the target had them.
TEST(DeviceImage, ReadImageGivesBackEveryCarriedFieldOfValidPrograms) {
    const auto carried = [](const Program& p) {
        return std::tie(p.LadderGrid, p.TimeSwitchParams, p.TimerParams, p.CounterParams, p.AnalogParams,
                        p.CompareParams, p.HourMeterParams, p.SoftTextParams, p.AnalogScalingParams);
    };
    const auto kept = [](const Program& p) { return std::tie(p.LineComments, p.ModelIndex, p.SoftTextUsed); };
    for (const bool bigEndian : {true, false}) {
        for (unsigned seed = 1; seed <= 20; ++seed) {
            ValidProgramMaker maker(seed);
            const Program original = maker.make();
            // A target full of other values, so that every field must be written.
            Program target = ValidProgramMaker(seed + 1000).make();
            target.LineComments[0] = QStringLiteral("kept");
            target.ModelIndex = 9;
            target.SoftTextUsed.fill(1);
            const Program untouched = target;

            ReadImage(BuildImage(original, bigEndian).value(), bigEndian, target);
            EXPECT_TRUE(carried(target) == carried(original)) << seed << (bigEndian ? " big" : " little");
            EXPECT_TRUE(kept(target) == kept(untouched)) << seed;
        }
    }
}

TEST(DeviceImage, BytesTheTranslationCannotMapReadAsEmptyElements) {
    DeviceImage image = BuildImage(Program(), true).value();
    const std::vector<std::uint8_t> line = {200, 5, 129, 133, 133, 128, 21, 12, 128, 77, 31, 2};
    std::copy(line.begin(), line.end(), image.begin());
    Program p;
    ReadImage(image, true, p);
    const std::vector<std::uint16_t> words(p.LadderGrid.begin(), p.LadderGrid.begin() + kWordsPerLine);
    EXPECT_EQ(words, (std::vector<std::uint16_t>{CellEmpty, 5, 129, CellWire, CellWire, 128, 'M' + 26, 221,
                                                 128, CoilNone, 'H', 211}));
}

TEST(DeviceImageConfig, RecordSizeExtensionBitsAndByteOrder) {
    EXPECT_EQ(ConfigRecordSize(0), 8);
    EXPECT_EQ(ConfigRecordSize(7), 8);
    EXPECT_EQ(ConfigRecordSize(8), 11);
    EXPECT_EQ(ConfigRecordSize(15), 11);

    Program p;
    p.ExtensionModules = {1, 0, 1};
    QByteArray record = QByteArray::fromHex("0102030407060708090a0b");
    SetExtensionFlags(record, p);
    EXPECT_EQ(uchar(record[4]), 0x05);  // bits 3..7 kept, 0..2 from the modules
    record[4] = char(0xFA);
    SetExtensionFlags(record, p);
    EXPECT_EQ(uchar(record[4]), 0xFD);

    QByteArray swapped = record;
    SwapConfigRecord(swapped, false);
    EXPECT_EQ(swapped, record);
    SwapConfigRecord(swapped, true);
    EXPECT_EQ(swapped.toHex(), QByteArray("02010304fd060807090a0b"));
    QByteArray small = record.left(8);
    SwapConfigRecord(small, true);
    EXPECT_EQ(small.toHex(), QByteArray("02010304fd060708"));
}

TEST(DeviceImageFile, LayoutForBothRecordSizesAndBack) {
    QTemporaryDir dir;
    Program p;
    p.ExtensionModules = {0, 1, 1};
    setContact(p, 0, 0, 'I', 1);
    for (const auto& [model, recordSize] : {std::pair{3, 8}, std::pair{12, 11}}) {
        const QByteArray bytes = BuildImageFileBytes(p, false, model);
        ASSERT_EQ(bytes.size(), 2 * recordSize + kDeviceImageSize);
        QByteArray header(2 * recordSize, '\0');
        header[4] = 6;
        EXPECT_EQ(bytes.left(2 * recordSize), header);
        EXPECT_EQ(ImageOfImageFile(bytes), BuildImage(p, false));

        const QString path = dir.filePath(QStringLiteral("image%1.LAD").arg(model));
        ASSERT_TRUE(BuildImageFile(p, false, model, path));
        EXPECT_EQ(contentOf(path), bytes);
    }
    EXPECT_FALSE(ImageOfImageFile(QByteArray(kDeviceImageSize + 17, '\0')).has_value());
    EXPECT_FALSE(ImageOfImageFile(QByteArray(kDeviceImageSize, '\0')).has_value());

    QString error;
    EXPECT_FALSE(BuildImageFile(p, true, 0, dir.filePath(QStringLiteral("no/such/folder/x.LAD")), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(DeviceImageFile, PathBesideTheProgramOrInTheApplicationFolder) {
    Program p;
    EXPECT_EQ(ImageFilePath(p, QStringLiteral("/app")), QStringLiteral("/app/LAD.LAD"));
    p.ProgramFilePath = QStringLiteral("/projects/Motor.h53");
    EXPECT_EQ(ImageFilePath(p, QStringLiteral("/app")), QStringLiteral("/projects/Motor.LAD"));
    p.ProgramFilePath = QStringLiteral("/projects/Old.t53");
    EXPECT_EQ(ImageFilePath(p, QStringLiteral("/app")), QStringLiteral("/projects/Old.LAD"));
}

// The command in process; its settings file is the one under the tests' scratch $AppData.
class ImageCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        Program program = ValidProgramMaker(7).make();
        program.ModelIndex = 10;
        ASSERT_TRUE(WriteProgramFile(program, path("in.h53")));
        ASSERT_TRUE(ReadProgramFile(path("in.h53"), program_).ok());  // as the command reads it
    }
    void TearDown() override { QFile::remove(SettingsFilePath()); }

    int run(const QStringList& args) { return runWithout(QStringList{path("in.h53")} + args); }
    int runWithout(const QStringList& args) {  // no input file given first
        const CliResult r = RunCliInProcess(QStringList{QStringLiteral("image")} + args);
        err_ = r.err;
        return r.code;
    }
    QString path(const char* name) const { return dir_.filePath(QLatin1String(name)); }
    QByteArray image(bool bigEndian) const { return ImageBytes(BuildImage(program_, bigEndian).value()); }

    QTemporaryDir dir_;
    Program program_;
    QString err_;
};

// Big-endian without a settings file, the settings file's order, an option over both; --lad
// puts the header of the program's model in front.
TEST_F(ImageCommandTest, ByteOrderFromTheOptionOrTheSettingsFile) {
    const QString out = path("out.bin");
    ASSERT_EQ(run({"-o", out}), 0) << err_.toStdString();
    EXPECT_EQ(contentOf(out), image(true));
    AppSettings settings;
    settings.BigEndian = false;
    ASSERT_TRUE(WriteSettings(SettingsFilePath(), settings));
    ASSERT_EQ(run({"-o", out}), 0);
    EXPECT_EQ(contentOf(out), image(false));
    ASSERT_EQ(run({"--big-endian", "-o", out}), 0);
    EXPECT_EQ(contentOf(out), image(true));

    ASSERT_EQ(run({"--lad", "--big-endian", "-o", out}), 0) << err_.toStdString();
    EXPECT_EQ(contentOf(out), BuildImageFileBytes(program_, true, 10));
}

TEST_F(ImageCommandTest, UsageErrorsAndUnwritableFiles) {
    const QString out = path("out.bin");
    const QStringList wrong[] = {
        {},
        {"-o"},
        {"--big-endian", "--little-endian", "-o", out},
        {"--frob", "-o", out},
        {path("in.h53"), "-o", out},
    };
    for (const QStringList& args : wrong) {
        EXPECT_EQ(run(args), 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(err_.contains(QStringLiteral("usage: branteldesk-cli image"))) << err_.toStdString();
    }
    EXPECT_EQ(runWithout({}), 2);
    EXPECT_TRUE(err_.contains(QStringLiteral("usage: branteldesk-cli image")));
    EXPECT_EQ(runWithout({path("missing.h53"), "-o", out}), 2);
    EXPECT_TRUE(err_.startsWith(path("missing.h53") + QStringLiteral(": "))) << err_.toStdString();
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(run({"-o", path("no/folder/out.bin")}), 1);
    EXPECT_TRUE(err_.contains(QStringLiteral("could not be written")));
}

}  // namespace
}  // namespace bdx
