#include "virtual_device.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>
#include <algorithm>

#include "blocks/device_model.h"
#include "comm/modbus_crc.h"
#include "shell/scripted_prompter.h"
#include "sim/clock.h"
#include "sim/pc_simulation.h"

namespace bdx {

namespace {

constexpr int kPacketSize = 200;
constexpr int kDiscreteInputs = 40;  // I, J, K, L, then Z1..Z4 and four spare
constexpr int kCoils = 16;           // Q, U, V, W
constexpr int kAnalogRegister = 64;
constexpr int kClockRegister = 384;
constexpr int kClockRegisters = 6;
constexpr int kDstRegister = 390;
constexpr int kDstRegisters = 13;
constexpr int kCommRegister = 1000;
constexpr int kCommRegisters = 4;
constexpr int kModules = 4;
constexpr int kOutputsPerModule = 4;
constexpr int kKeys = 4;
constexpr int kChannels = 8;
constexpr int kMaxVoltage = 1000;
constexpr int kFirmwareTextLength = 9;
constexpr int kFirmwareMemory = 128 * 1024;

constexpr std::uint8_t kBroadcast = 0;
constexpr std::uint8_t kPointToPoint = 254;
constexpr std::uint8_t kServiceAddress = 1;

namespace Fn {
constexpr int ReadCoils = 1, ReadInputs = 2, ReadHolding = 3, ReadInputRegisters = 4, WriteCoil = 5,
              WriteRegister = 6, WriteCoils = 15, WriteRegisters = 16, ReportId = 17, ReadArea = 100,
              WriteArea = 101;
}
namespace Exc {
constexpr int IllegalFunction = 1, IllegalAddress = 2, IllegalValue = 3, Busy = 6;
}
namespace Area {
constexpr int Info = 1, Code = 2, Blocks = 3, Config = 4, Date = 5, Time = 6, Backlight = 7, Command = 8,
              RunMode = 9, Passwords = 10, Loader = 11, Status = 13, ModelCheck = 14;
}
namespace Sub {
constexpr int Item = 0, Next = 1, Repeat = 2, Last = 3, First = 4;
}
namespace LoaderCmd {
constexpr int Identify = 13, Erase = 14, Write = 32, Read = 33, Reboot = 35;
}
namespace PasswordOp {
constexpr int Set = 1, Remove = 2, Check = 3;
}
namespace PasswordStatus {
constexpr int Done = 0, Wrong = 1, Absent = 2, NoLevel2 = 3, BadNew = 4, UnknownOp = 5;
}

// The two device-key letters the scan engine knows by element code.
constexpr std::uint16_t kKeyCode = 'Z';
constexpr char kInputLetters[kModules] = {'I', 'J', 'K', 'L'};
constexpr char kOutputLetters[kModules] = {'Q', 'U', 'V', 'W'};

// Lowest / highest value each daylight-saving register takes.
constexpr std::array<std::array<int, 2>, kDstRegisters> kDstRanges = {{
    {0, 1},
    {0, 4},
    {0, 6},
    {0, 11},
    {0, 23},
    {0, 59},  // enabled, start
    {0, 4},
    {0, 6},
    {0, 11},
    {0, 23},
    {0, 59},  // end
    {0, 23},
    {0, 59},  // offset
}};
constexpr std::array<int, kCommRegisters> kCommMaximum = {247, 3, 2, 1};

int byteAt(const QByteArray& bytes, qsizetype i) {
    return i >= 0 && i < bytes.size() ? static_cast<std::uint8_t>(bytes[i]) : 0;
}
int wordAt(const QByteArray& bytes, qsizetype i) {
    return byteAt(bytes, i) << 8 | byteAt(bytes, i + 1);
}
void appendWord(QByteArray& bytes, int value) {
    bytes.append(char((value >> 8) & 0xFF));
    bytes.append(char(value & 0xFF));
}
QByteArray exceptionReply(const QByteArray& request, int code) {
    QByteArray reply;
    reply.append(request[0]);
    reply.append(char(byteAt(request, 1) | 0x80));
    reply.append(char(code));
    return reply;
}
int packetCount(qsizetype size) {
    return std::max(1, int((size + kPacketSize - 1) / kPacketSize));
}
int bcd(int value) {
    return (value / 10 % 10) << 4 | value % 10;
}
int modelFamily(int model) {
    return model < 8 ? 1 : 2;
}

QDateTime asDateTime(const LocalDateTime& t) {
    return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second), Qt::UTC);
}

// The device's real-time clock: the given clock moved by the offset the program set, so that
// time switches run on the device's own calendar.
class DeviceClock : public Clock {
  public:
    explicit DeviceClock(const Clock& base) : base_(base) {}

    std::int64_t hundredths() const override { return base_.hundredths(); }
    LocalDateTime now() const override {
        const LocalDateTime base = base_.now();
        if (offset_ == 0) {
            return base;
        }
        // The base clock changes its calendar once a second at most: so does this one.
        if (!cacheValid_ || !(base == cachedBase_)) {
            cachedBase_ = base;
            cached_ = LocalDateTime::from(asDateTime(base).addSecs(offset_));
            cacheValid_ = true;
        }
        return cached_;
    }

    QDateTime dateTime() const { return asDateTime(now()); }
    void set(const QDateTime& target) { setOffset(asDateTime(base_.now()).secsTo(target)); }
    qint64 offset() const { return offset_; }
    void setOffset(qint64 seconds) {
        offset_ = seconds;
        cacheValid_ = false;
    }

  private:
    const Clock& base_;
    qint64 offset_ = 0;
    mutable bool cacheValid_ = false;
    mutable LocalDateTime cachedBase_;
    mutable LocalDateTime cached_;
};

// The item bytes of a small-item write: after a length byte, after a packet number and a
// length byte, or given bare, whichever leaves an item of a size the area takes.
template <typename Fits>
std::optional<QByteArray> itemBytes(const QByteArray& rest, Fits fits) {
    if (!rest.isEmpty() && byteAt(rest, 0) == rest.size() - 1 && fits(rest.size() - 1)) {
        return rest.mid(1);
    }
    if (rest.size() >= 2 && byteAt(rest, 1) == rest.size() - 2 && fits(rest.size() - 2)) {
        return rest.mid(2);
    }
    if (fits(rest.size())) {
        return rest;
    }
    return std::nullopt;
}

QString productName(int model) {
    const QString name = QString::fromLatin1(kDeviceModels[model].displayName);
    const qsizetype dash = name.indexOf(QLatin1String(" - "));
    return dash < 0 ? name : name.mid(dash + 3);
}

QByteArray paddedLatin1(const QString& text, int length) {
    QByteArray bytes = text.toLatin1().left(length);
    bytes.append(length - bytes.size(), ' ');
    return bytes;
}

const char* modeName(int mode) {
    switch (mode) {
        case DeviceMode::Run:
            return "run";
        case DeviceMode::PcControl:
            return "pc-control";
        case DeviceMode::Loader:
            return "loader";
        default:
            return "stop";
    }
}

const QString kStateFile = QStringLiteral("virtual-device.json");
constexpr int kStateFormat = 1;

}  // namespace

struct VirtualDevice::State {
    State(VirtualDeviceOptions o, const Clock& base)
        : options(std::move(o)), clock(base), sim(clock, prompter) {}

    VirtualDeviceOptions options;
    DeviceClock clock;
    ScriptedPrompter prompter;  // the device shows nothing: compile faults become device errors
    PcSimulation sim;
    Program program;  // the running program; the soft texts keep a pointer to it

    DeviceImage image{};
    bool imageBigEndian = true;
    QByteArray config;
    int mode = DeviceMode::Stop;
    int error = DeviceError::None;
    bool scanning = false;  // run mode with a program that compiled

    std::array<std::array<bool, kInputsPerModule>, kModules> inputs{};
    std::array<int, kChannels> voltages{};
    std::array<bool, kKeys> keys{};
    std::uint16_t pcOutputs = 0;  // coils as the PC wrote them

    std::array<int, kDstRegisters> dst{};
    DeviceCommParameters comm;
    int backlight = 0;
    QString firmware;

    int readingArea = -1;  // packet read in progress
    int readPacket = 0;

    QByteArray flash;  // the loader's program memory; empty until erased
    bool flashErased = false;
    bool flashWritten = false;

    int revision = 0;

    int model() const { return options.model; }
    int recordSize() const { return ConfigRecordSize(options.model); }

    // Configuration record words in the device's byte order.
    int recordWord(int at) const {
        const int a = byteAt(config, at), b = byteAt(config, at + 1);
        return options.bigEndian ? a << 8 | b : b << 8 | a;
    }
    void setRecordWord(int at, int value) {
        const char high = char((value >> 8) & 0xFF), low = char(value & 0xFF);
        config[at] = options.bigEndian ? high : low;
        config[at + 1] = options.bigEndian ? low : high;
    }
    int passwordAt(int level) const {
        if (level == 2) {
            return recordSize() >= 11 ? recordWord(6) : 0;
        }
        return recordWord(0);
    }
    int passwordFlags() const {
        return (passwordAt(1) != 0 ? 1 : 0) | (passwordAt(2) != 0 ? 2 : 0) |
               ((byteAt(config, 2) & 2) ? 4 : 0);
    }
    int extensionFlags() const { return byteAt(config, 4) & 7; }

    void changed() { ++revision; }

    void startRun() {
        mode = DeviceMode::Run;
        error = DeviceError::None;
        program = Program();
        program.ModelIndex = static_cast<std::uint16_t>(model());
        for (int m = 0; m < kExtensionModules; ++m) {
            program.ExtensionModules[m] = (extensionFlags() >> m) & 1;
        }
        ReadImage(image, imageBigEndian, program);
        prompter.clear();
        // The device runs what it holds: the rule check is the program's business, only a
        // network that does not compile keeps it from scanning.
        scanning = sim.PrepareSimulation(program, {});
        if (!scanning) {
            error = DeviceError::ProgramInvalid;
        }
        changed();
    }
    void leaveRun(int newMode) {
        sim.EndSimulation();
        scanning = false;
        mode = newMode;
        pcOutputs = 0;
        changed();
    }
    void stop() {
        leaveRun(DeviceMode::Stop);
        error = DeviceError::None;
    }

    bool outputOn(int module, int n) const {
        if (module < 0 || module >= kModules || n < 1 || n > kOutputsPerModule) {
            return false;
        }
        if (mode == DeviceMode::PcControl) {
            return (pcOutputs >> (module * kOutputsPerModule + n - 1)) & 1;
        }
        return mode == DeviceMode::Run && scanning &&
               sim.engine().operandValue(static_cast<std::uint16_t>(kOutputLetters[module]), n);
    }
    bool discreteInput(int i) const {
        if (i < kModules * kInputsPerModule) {
            return inputs[i / kInputsPerModule][i % kInputsPerModule];
        }
        return i < kModules * kInputsPerModule + kKeys && keys[i - kModules * kInputsPerModule];
    }

    std::pair<int, int> firmwareVersion() const {
        static const QRegularExpression pattern(QStringLiteral("(\\d+)\\.(\\d+)"));
        const QRegularExpressionMatch m = pattern.match(firmware);
        return m.hasMatch() ? std::pair{m.captured(1).toInt(), m.captured(2).toInt()} : std::pair{0, 0};
    }

    std::optional<QByteArray> areaBytes(int area) const;
    QByteArray respond(const QByteArray& body);
    QByteArray readBits(const QByteArray& body, int count, bool coils) const;
    QByteArray readRegisters(const QByteArray& body, bool input) const;
    std::optional<int> holdingRegister(int address) const;
    int writeRegisters(int start, const std::vector<int>& values);
    QByteArray writeCoils(const QByteArray& body, bool single);
    QByteArray reportId(const QByteArray& body) const;
    QByteArray readArea(const QByteArray& body);
    QByteArray modelCheck(const QByteArray& body) const;
    QByteArray writeArea(const QByteArray& body);
    QByteArray writeItem(const QByteArray& body, bool& enterLoader);
    int passwordCommand(const QByteArray& item);
    QByteArray loaderFrame(const QByteArray& body);
};

std::optional<QByteArray> VirtualDevice::State::areaBytes(int area) const {
    const LocalDateTime t = clock.now();
    const auto bytes = [](std::initializer_list<int> values) {
        QByteArray b;
        for (int v : values) {
            b.append(char(v));
        }
        return b;
    };
    switch (area) {
        case Area::Info: {
            const auto [major, minor] = firmwareVersion();
            QByteArray b = paddedLatin1(firmware, kFirmwareTextLength);
            b.append(bytes({model(), 0, bcd(major), bcd(minor), 0}));
            return b;
        }
        case Area::Code:
            return QByteArray(reinterpret_cast<const char*>(image.data()), kProgramCodeSize);
        case Area::Blocks:
            return QByteArray(reinterpret_cast<const char*>(image.data()) + kProgramCodeSize, kBlockDataSize);
        case Area::Config:
            return config;
        case Area::Date:
            return bytes({t.day, t.month, t.year % 100});
        case Area::Time:
            return bytes({t.hour, t.minute, t.second});
        case Area::Backlight:
            return bytes({backlight});
        case Area::RunMode:
            return bytes({mode == DeviceMode::Loader ? DeviceMode::Stop : mode});
        case Area::Passwords:
            return bytes({passwordFlags()});
        case Area::Status:
            return bytes({mode, error, extensionFlags()});
        default:
            return std::nullopt;
    }
}

QByteArray VirtualDevice::State::respond(const QByteArray& body) {
    const int function = byteAt(body, 1);
    switch (function) {
        case Fn::ReadCoils:
            return readBits(body, kCoils, true);
        case Fn::ReadInputs:
            return readBits(body, kDiscreteInputs, false);
        case Fn::ReadHolding:
            return readRegisters(body, false);
        case Fn::ReadInputRegisters:
            return readRegisters(body, true);
        case Fn::WriteCoil:
            return writeCoils(body, true);
        case Fn::WriteCoils:
            return writeCoils(body, false);
        case Fn::WriteRegister: {
            if (body.size() < 6) {
                return {};
            }
            const int code = writeRegisters(wordAt(body, 2), {wordAt(body, 4)});
            return code != 0 ? exceptionReply(body, code) : body.left(6);
        }
        case Fn::WriteRegisters: {
            if (body.size() < 7) {
                return {};
            }
            const int start = wordAt(body, 2), quantity = wordAt(body, 4), count = byteAt(body, 6);
            if (quantity < 1 || quantity > 123 || count != quantity * 2 || body.size() != 7 + count) {
                return exceptionReply(body, Exc::IllegalValue);
            }
            std::vector<int> values;
            for (int i = 0; i < quantity; ++i) {
                values.push_back(wordAt(body, 7 + 2 * i));
            }
            const int code = writeRegisters(start, values);
            return code != 0 ? exceptionReply(body, code) : body.left(6);
        }
        case Fn::ReportId:
            return reportId(body);
        case Fn::ReadArea:
            return readArea(body);
        case Fn::WriteArea:
            return writeArea(body);
        default:
            return exceptionReply(body, Exc::IllegalFunction);
    }
}

QByteArray VirtualDevice::State::readBits(const QByteArray& body, int count, bool coils) const {
    if (body.size() < 6) {
        return {};
    }
    const int start = wordAt(body, 2), quantity = wordAt(body, 4);
    if (quantity < 1 || quantity > 2000) {
        return exceptionReply(body, Exc::IllegalValue);
    }
    if (start + quantity > count) {
        return exceptionReply(body, Exc::IllegalAddress);
    }
    QByteArray data((quantity + 7) / 8, '\0');
    for (int i = 0; i < quantity; ++i) {
        const int bit = start + i;
        const bool on =
            coils ? outputOn(bit / kOutputsPerModule, bit % kOutputsPerModule + 1) : discreteInput(bit);
        if (on) {
            data[i / 8] = char(data[i / 8] | (1 << (i % 8)));
        }
    }
    return body.left(2) + char(data.size()) + data;
}

std::optional<int> VirtualDevice::State::holdingRegister(int address) const {
    if (address >= kClockRegister && address < kClockRegister + kClockRegisters) {
        const LocalDateTime t = clock.now();
        const int values[kClockRegisters] = {t.year, t.month, t.day, t.hour, t.minute, t.second};
        return values[address - kClockRegister];
    }
    if (address >= kDstRegister && address < kDstRegister + kDstRegisters) {
        return dst[address - kDstRegister];
    }
    if (address >= kCommRegister && address < kCommRegister + kCommRegisters) {
        const int values[kCommRegisters] = {comm.id, comm.baudIndex, comm.parityIndex, comm.stopBitIndex};
        return values[address - kCommRegister];
    }
    return std::nullopt;
}

QByteArray VirtualDevice::State::readRegisters(const QByteArray& body, bool input) const {
    if (body.size() < 6) {
        return {};
    }
    const int start = wordAt(body, 2), quantity = wordAt(body, 4);
    if (quantity < 1 || quantity > 125) {
        return exceptionReply(body, Exc::IllegalValue);
    }
    QByteArray data;
    for (int a = start; a < start + quantity; ++a) {
        if (input) {
            if (a < kAnalogRegister || a >= kAnalogRegister + kChannels) {
                return exceptionReply(body, Exc::IllegalAddress);
            }
            appendWord(data, voltages[a - kAnalogRegister] & 0xFFFF);
            continue;
        }
        const std::optional<int> value = holdingRegister(a);
        if (!value) {
            return exceptionReply(body, Exc::IllegalAddress);
        }
        appendWord(data, *value);
    }
    return body.left(2) + char(data.size()) + data;
}

// Checks the whole write before it changes anything: a value out of range writes nothing.
int VirtualDevice::State::writeRegisters(int start, const std::vector<int>& values) {
    const int end = start + int(values.size());
    const bool clockBlock = start >= kClockRegister && end <= kDstRegister + kDstRegisters;
    const bool commBlock = start >= kCommRegister && end <= kCommRegister + kCommRegisters;
    if (!clockBlock && !commBlock) {
        return Exc::IllegalAddress;
    }
    if (commBlock) {
        DeviceCommParameters next = comm;
        int* fields[kCommRegisters] = {&next.id, &next.baudIndex, &next.parityIndex, &next.stopBitIndex};
        for (int a = start; a < end; ++a) {
            const int i = a - kCommRegister, v = values[a - start];
            if (v < (i == 0 ? 1 : 0) || v > kCommMaximum[i]) {
                return Exc::IllegalValue;
            }
            *fields[i] = v;
        }
        if (!(next == comm)) {
            comm = next;
            changed();
        }
        return 0;
    }
    const LocalDateTime t = clock.now();
    int date[kClockRegisters] = {t.year, t.month, t.day, t.hour, t.minute, t.second};
    std::array<int, kDstRegisters> nextDst = dst;
    bool clockWritten = false;
    for (int a = start; a < end; ++a) {
        const int v = values[a - start];
        if (a < kDstRegister) {
            date[a - kClockRegister] = v;
            clockWritten = true;
        } else {
            const int i = a - kDstRegister;
            if (v < kDstRanges[i][0] || v > kDstRanges[i][1]) {
                return Exc::IllegalValue;
            }
            nextDst[i] = v;
        }
    }
    if (clockWritten) {
        const QDate d(date[0], date[1], date[2]);
        const QTime tm(date[3], date[4], date[5]);
        if (date[0] < 2000 || date[0] > 2099 || !d.isValid() || !tm.isValid()) {
            return Exc::IllegalValue;
        }
        clock.set(QDateTime(d, tm, Qt::UTC));
    }
    dst = nextDst;
    changed();
    return 0;
}

QByteArray VirtualDevice::State::writeCoils(const QByteArray& body, bool single) {
    if (body.size() < (single ? 6 : 7)) {
        return {};
    }
    const int start = wordAt(body, 2);
    int quantity = 1;
    std::uint16_t bits = 0;
    if (single) {
        const int value = wordAt(body, 4);
        if (value != 0xFF00 && value != 0) {
            return exceptionReply(body, Exc::IllegalValue);
        }
        bits = value != 0 ? 1 : 0;
    } else {
        quantity = wordAt(body, 4);
        const int count = byteAt(body, 6);
        if (quantity < 1 || quantity > 1968 || count != (quantity + 7) / 8 || body.size() != 7 + count) {
            return exceptionReply(body, Exc::IllegalValue);
        }
        for (int i = 0; i < quantity && i < kCoils; ++i) {
            bits = static_cast<std::uint16_t>(bits | (((byteAt(body, 7 + i / 8) >> (i % 8)) & 1) << i));
        }
    }
    if (start + quantity > kCoils) {
        return exceptionReply(body, Exc::IllegalAddress);
    }
    if (mode != DeviceMode::PcControl) {
        return exceptionReply(body, Exc::Busy);
    }
    const auto mask = static_cast<std::uint16_t>(((1u << quantity) - 1) << start);
    pcOutputs = static_cast<std::uint16_t>((pcOutputs & ~mask) | ((bits << start) & mask));
    return body.left(6);
}

QByteArray VirtualDevice::State::reportId(const QByteArray& body) const {
    QByteArray data;
    data.append(char(comm.id));
    data.append(char(mode == DeviceMode::Run ? 0xFF : 0x00));
    data.append(paddedLatin1(productName(model()), 30));
    data.append(paddedLatin1(firmware, kFirmwareTextLength));
    data.append(char(mode));
    data.append(char(modelFamily(model())));
    data.append(QByteArray::number(model()).rightJustified(2, '0'));
    data.append(char(extensionFlags()));
    data.append(char(passwordFlags()));
    return body.left(2) + char(data.size()) + data;
}

QByteArray VirtualDevice::State::readArea(const QByteArray& body) {
    if (body.size() < 4) {
        return {};
    }
    const int sub = byteAt(body, 2), area = byteAt(body, 3);
    if (area == Area::ModelCheck) {
        return modelCheck(body);
    }
    const std::optional<QByteArray> content = areaBytes(area);
    if (!content) {
        return exceptionReply(body, Exc::IllegalAddress);
    }
    const int packets = packetCount(content->size());
    QByteArray reply = body.left(4);
    if (sub == Sub::Item) {
        const bool whole = content->size() <= kPacketSize;
        reply.append(char(area == Area::Status ? error : packets));
        reply.append(char(whole ? content->size() : 0));
        return whole ? reply + *content : reply;
    }
    int packet = 0;
    if (sub == Sub::First) {
        packet = 1;
    } else if (sub == Sub::Next || sub == Sub::Repeat) {
        if (readingArea != area || readPacket < 1) {
            return exceptionReply(body, Exc::IllegalAddress);
        }
        packet = sub == Sub::Next ? readPacket + 1 : readPacket;
        if (packet > packets) {
            return exceptionReply(body, Exc::IllegalAddress);
        }
    } else {
        return exceptionReply(body, Exc::IllegalValue);
    }
    readingArea = area;
    readPacket = packet;
    const QByteArray data = content->mid((packet - 1) * kPacketSize, kPacketSize);
    reply[2] = char(packet == packets ? Sub::Last : sub);
    reply.append(char(packet));
    reply.append(char(data.size()));
    return reply + data;
}

QByteArray VirtualDevice::State::modelCheck(const QByteArray& body) const {
    if (body.size() < 10) {
        return exceptionReply(body, Exc::IllegalValue);
    }
    const int requestModel = byteAt(body, 7), requestFamily = byteAt(body, 8);
    const int family = modelFamily(model());
    const bool matches =
        requestFamily == family && requestModel < kModelCount && modelFamily(requestModel) == family;
    if (matches) {
        return body.left(10);
    }
    // The answer that tells the program which model and family to ask for: 12 bytes with the
    // CRC, laid out like the request.
    QByteArray reply = body.left(10);
    reply[1] = char(Fn::ReadArea | 0x80);
    reply[2] = char(1);
    reply[3] = char(Area::ModelCheck);
    reply[4] = char(0);
    reply[5] = char(4);
    reply[6] = char(1);
    reply[7] = char(model());
    reply[8] = char(family);
    reply[9] = char(0);
    return reply;
}

QByteArray VirtualDevice::State::writeArea(const QByteArray& body) {
    if (body.size() < 4) {
        return {};
    }
    const int sub = byteAt(body, 2), area = byteAt(body, 3);
    if (sub == Sub::Item) {
        bool enterLoader = false;
        QByteArray reply = writeItem(body, enterLoader);
        if (enterLoader) {
            leaveRun(DeviceMode::Loader);
            flash.clear();
            flashErased = flashWritten = false;
        }
        return reply;
    }
    if (sub != Sub::First && sub != Sub::Next && sub != Sub::Repeat && sub != Sub::Last) {
        return exceptionReply(body, Exc::IllegalValue);
    }
    if (body.size() < 6) {
        return {};
    }
    const int packet = byteAt(body, 4), length = byteAt(body, 5);
    if (area != Area::Code && area != Area::Blocks && area != Area::Config) {
        return exceptionReply(body, Exc::IllegalAddress);
    }
    const int size = area == Area::Code     ? kProgramCodeSize
                     : area == Area::Blocks ? kBlockDataSize
                                            : recordSize();
    const int offset = (packet - 1) * kPacketSize;
    const bool fits = packet >= 1 && length <= kPacketSize && offset + length <= size &&
                      (area != Area::Config || (packet == 1 && length == size));
    if (body.size() != 6 + length || !fits) {
        return exceptionReply(body, Exc::IllegalValue);
    }
    if (mode == DeviceMode::Run) {
        return exceptionReply(body, Exc::Busy);
    }
    const QByteArray data = body.mid(6, length);
    if (area == Area::Config) {
        config = data;
    } else {
        std::copy(data.begin(), data.end(),
                  image.begin() + (area == Area::Blocks ? kProgramCodeSize : 0) + offset);
        imageBigEndian = options.bigEndian;
    }
    error = DeviceError::None;
    changed();
    return body.left(6);
}

QByteArray VirtualDevice::State::writeItem(const QByteArray& body, bool& enterLoader) {
    const int area = byteAt(body, 3);
    const QByteArray rest = body.mid(4);
    auto sized = [&](std::initializer_list<int> sizes) {
        return itemBytes(
            rest, [&](qsizetype n) { return std::find(sizes.begin(), sizes.end(), n) != sizes.end(); });
    };
    std::optional<QByteArray> item;
    switch (area) {
        case Area::Config:
            item = sized({recordSize()});
            break;
        case Area::Date:
        case Area::Time:
            item = sized({3});
            break;
        case Area::Backlight:
        case Area::RunMode:
            item = sized({1});
            break;
        case Area::Command:
            item = sized({0, 1});
            break;
        case Area::Passwords:
            item = sized({6});
            break;
        case Area::Loader:
            item = itemBytes(rest, [](qsizetype) { return true; });
            break;
        default:
            return exceptionReply(body, Exc::IllegalAddress);
    }
    if (!item) {
        return exceptionReply(body, Exc::IllegalValue);
    }
    const QByteArray& b = *item;
    int status = 0;
    switch (area) {
        case Area::Config:
            if (mode == DeviceMode::Run) {
                return exceptionReply(body, Exc::Busy);
            }
            config = b;
            changed();
            break;
        case Area::Date:
        case Area::Time: {
            const LocalDateTime t = clock.now();
            const QDate date = area == Area::Date ? QDate(2000 + byteAt(b, 2), byteAt(b, 1), byteAt(b, 0))
                                                  : QDate(t.year, t.month, t.day);
            const QTime time = area == Area::Time ? QTime(byteAt(b, 0), byteAt(b, 1), byteAt(b, 2))
                                                  : QTime(t.hour, t.minute, t.second);
            if (!date.isValid() || !time.isValid() || byteAt(b, area == Area::Date ? 2 : 0) > 99) {
                return exceptionReply(body, Exc::IllegalValue);
            }
            clock.set(QDateTime(date, time, Qt::UTC));
            changed();
            break;
        }
        case Area::Backlight:
            if (byteAt(b, 0) > 2) {
                return exceptionReply(body, Exc::IllegalValue);
            }
            backlight = byteAt(b, 0);
            changed();
            break;
        case Area::Command: {
            const int command = byteAt(b, 0);  // no byte: enter PC control
            if (command > 1) {
                return exceptionReply(body, Exc::IllegalValue);
            }
            if (command == 0) {
                leaveRun(DeviceMode::PcControl);
            } else {
                stop();
            }
            break;
        }
        case Area::RunMode: {
            const int value = byteAt(b, 0);
            if (value == DeviceMode::Run) {
                startRun();
            } else if (value == DeviceMode::Stop) {
                stop();
            } else {
                return exceptionReply(body, Exc::IllegalValue);
            }
            break;
        }
        case Area::Passwords:
            status = passwordCommand(b);
            break;
        case Area::Loader:
            enterLoader = true;
            break;
        default:
            break;
    }
    QByteArray reply = body.left(4);
    reply.append(char(status));
    reply.append(char(b.size()));
    return reply;
}

int VirtualDevice::State::passwordCommand(const QByteArray& item) {
    const int op = byteAt(item, 0), level = byteAt(item, 1);
    const int old = wordAt(item, 2), fresh = wordAt(item, 4);
    if (op < PasswordOp::Set || op > PasswordOp::Check || level < 1 || level > 2) {
        return PasswordStatus::UnknownOp;
    }
    if (level == 2 && recordSize() < 11) {
        return PasswordStatus::NoLevel2;
    }
    const int present = passwordAt(level);
    const int at = level == 1 ? 0 : 6;
    const int resetBit = level == 1 ? 0x80 : 0x40;
    if (op == PasswordOp::Set) {
        if (present != 0 && old != present) {
            return PasswordStatus::Wrong;
        }
        if (fresh < 1 || fresh > 9999) {
            return PasswordStatus::BadNew;
        }
        setRecordWord(at, fresh);
        if (level == 1) {
            config[2] = char(config[2] | 2);
        }
        changed();
        return PasswordStatus::Done;
    }
    if (present == 0) {
        return PasswordStatus::Absent;
    }
    if (old != present) {
        return PasswordStatus::Wrong;
    }
    if (op == PasswordOp::Remove) {
        setRecordWord(at, 0);
        if (level == 1) {
            config[2] = char(config[2] & ~2);
        }
        config[4] = char(config[4] & ~resetBit);
        changed();
    }
    return PasswordStatus::Done;
}

QByteArray VirtualDevice::State::loaderFrame(const QByteArray& body) {
    const int command = byteAt(body, 0);
    QByteArray reply;
    reply.append(char(command));
    const auto address = [&] { return byteAt(body, 1) << 16 | byteAt(body, 2) << 8 | byteAt(body, 3); };
    switch (command) {
        case LoaderCmd::Identify:
            reply.append(char(model()));
            reply.append(char(0));  // loader type 0: 128-byte blocks
            return reply;
        case LoaderCmd::Erase:
            flash = QByteArray(kFirmwareMemory, char(0xFF));
            flashErased = true;
            flashWritten = false;
            reply.append(char(0));
            return reply;
        case LoaderCmd::Write: {
            const int at = address(), n = byteAt(body, 4);
            const bool ok = body.size() == 5 + n && flashErased && n >= 1 && n <= kPacketSize &&
                            at + n <= kFirmwareMemory;
            if (ok) {
                std::copy(body.begin() + 5, body.end(), flash.begin() + at);
                flashWritten = true;
            }
            reply.append(char(ok ? 0 : 1));
            return reply;
        }
        case LoaderCmd::Read: {
            const int at = address(), n = byteAt(body, 4);
            if (body.size() < 5 || n < 1 || n > kPacketSize || at + n > kFirmwareMemory) {
                reply.append(char(0));
                return reply;
            }
            reply.append(char(n));
            reply.append(flash.isEmpty() ? QByteArray(n, char(0xFF)) : flash.mid(at, n));
            return reply;
        }
        case LoaderCmd::Reboot: {
            if (flashErased && !flashWritten) {
                reply.append(char(1));  // no firmware to start: the loader stays
                return reply;
            }
            if (flashWritten) {
                QString text;
                for (const char c : flash.left(kFirmwareTextLength)) {
                    text.append(c >= 0x20 && c < 0x7F ? QChar::fromLatin1(c)
                                                      : (c == 0 ? QChar(' ') : QChar('?')));
                }
                firmware = text.trimmed();
            }
            flash.clear();
            flashErased = flashWritten = false;
            mode = DeviceMode::Stop;
            error = DeviceError::None;
            changed();
            reply.append(char(0));
            return reply;
        }
        default:
            return {};
    }
}

VirtualDevice::VirtualDevice(VirtualDeviceOptions options, const Clock& clock)
    : d_(std::make_unique<State>(std::move(options), clock)) {
    State& s = *d_;
    s.options.model = std::clamp(s.options.model, 0, kModelCount - 1);
    s.options.id = std::clamp(s.options.id, 1, 247);
    s.comm.id = s.options.id;
    s.firmware = s.options.firmware.left(kFirmwareTextLength);
    std::fill(s.image.begin(), s.image.begin() + kProgramCodeSize, std::uint8_t(CellEmpty));
    s.imageBigEndian = s.options.bigEndian;
    s.config = QByteArray(s.recordSize(), '\0');
    bool ok = false;
    const int password = s.options.password.toInt(&ok);
    if (ok && password >= 1 && password <= 9999) {
        s.setRecordWord(0, password);
        s.config[2] = char(2);
    }
}

VirtualDevice::~VirtualDevice() = default;

QByteArray VirtualDevice::handleFrame(const QByteArray& request) {
    State& s = *d_;
    if (request.size() < 4 || !HasValidCrc(request)) {
        return {};
    }
    const QByteArray body = request.left(request.size() - 2);
    if (s.mode == DeviceMode::Loader) {
        const QByteArray reply = s.loaderFrame(body);
        return reply.isEmpty() ? reply : WithCrc(reply);
    }
    const int address = byteAt(body, 0);
    const bool own = address == s.comm.id || address == kPointToPoint;
    const bool broadcast = address == kBroadcast;
    if (!own && !broadcast) {
        // Address 1 reaches the communication registers whatever the device's own address,
        // so that a device with a forgotten address can still be set up.
        const int function = byteAt(body, 1), start = wordAt(body, 2);
        const bool service = address == kServiceAddress && body.size() >= 4 &&
                             (function == Fn::ReadHolding || function == Fn::WriteRegisters ||
                              function == Fn::WriteRegister) &&
                             start >= kCommRegister && start < kCommRegister + kCommRegisters;
        if (!service) {
            return {};
        }
    }
    const QByteArray reply = s.respond(body);
    if (broadcast || reply.isEmpty()) {
        return {};
    }
    return WithCrc(reply);
}

void VirtualDevice::setInput(int module, int n, bool on) {
    if (module >= 0 && module < kModules && n >= 1 && n <= kInputsPerModule) {
        d_->inputs[module][n - 1] = on;
    }
}

bool VirtualDevice::input(int module, int n) const {
    return module >= 0 && module < kModules && n >= 1 && n <= kInputsPerModule && d_->inputs[module][n - 1];
}

void VirtualDevice::setVoltage(int channel, int hundredths) {
    State& s = *d_;
    if (channel < 0 || channel >= kChannels) {
        return;
    }
    const int value = std::clamp(hundredths, 0, kMaxVoltage);
    if (value == s.voltages[channel]) {
        return;  // the same value again must not undo a ticked input
    }
    s.voltages[channel] = value;
    if (HasAnalog(s.model())) {
        // Inputs 7 and 8 share their terminal with the analog channel: the same thresholds
        // as the simulation's sliders.
        bool& twin = s.inputs[channel / 2][6 + channel % 2];
        if (value >= kSliderDigitalOn) {
            twin = true;
        } else if (value < kSliderDigitalOff) {
            twin = false;
        }
    }
}

int VirtualDevice::voltage(int channel) const {
    return channel >= 0 && channel < kChannels ? d_->voltages[channel] : 0;
}

void VirtualDevice::setKey(int z, bool pressed) {
    if (z >= 1 && z <= kKeys) {
        d_->keys[z - 1] = pressed;
    }
}

bool VirtualDevice::key(int z) const {
    return z >= 1 && z <= kKeys && d_->keys[z - 1];
}

bool VirtualDevice::output(int module, int n) const {
    return d_->outputOn(module, n);
}

std::uint8_t VirtualDevice::outputByte(int module) const {
    std::uint8_t byte = 0;
    for (int n = 1; n <= kOutputsPerModule; ++n) {
        byte = static_cast<std::uint8_t>(byte | (d_->outputOn(module, n) ? 1 << (n - 1) : 0));
    }
    return byte;
}

void VirtualDevice::tick() {
    State& s = *d_;
    if (s.mode != DeviceMode::Run || !s.scanning) {
        return;
    }
    ScanEngine& engine = s.sim.engine();
    for (int m = 0; m < kModules; ++m) {
        for (int k = 0; k < kInputsPerModule; ++k) {
            engine.setInput(kInputLetters[m], k + 1, s.inputs[m][k]);
        }
    }
    for (int z = 0; z < kKeys; ++z) {
        engine.setOperand(kKeyCode, z + 1, s.keys[z]);
    }
    for (int c = 0; c < kChannels; ++c) {
        s.sim.blocks().analog.setSlider(c, s.voltages[c]);
    }
    if (s.sim.ScanOnce() != 2) {
        s.sim.EndSimulation();
        s.scanning = false;
        s.error = DeviceError::ProgramEnded;
        s.changed();
    }
}

bool VirtualDevice::running() const {
    return d_->mode == DeviceMode::Run;
}
bool VirtualDevice::pcControl() const {
    return d_->mode == DeviceMode::PcControl;
}
int VirtualDevice::mode() const {
    return d_->mode;
}
void VirtualDevice::run() {
    if (d_->mode != DeviceMode::Loader) {
        d_->startRun();
    }
}
void VirtualDevice::stop() {
    if (d_->mode != DeviceMode::Loader) {
        d_->stop();
    }
}
int VirtualDevice::model() const {
    return d_->model();
}
int VirtualDevice::id() const {
    return d_->comm.id;
}
DeviceCommParameters VirtualDevice::commParameters() const {
    return d_->comm;
}
QString VirtualDevice::firmware() const {
    return d_->firmware;
}
int VirtualDevice::deviceError() const {
    return d_->error;
}
void VirtualDevice::setDeviceError(int error) {
    d_->error = error;
}
QDateTime VirtualDevice::dateTime() const {
    return d_->clock.dateTime();
}
int VirtualDevice::stateRevision() const {
    return d_->revision;
}
const DeviceImage& VirtualDevice::image() const {
    return d_->image;
}
const QByteArray& VirtualDevice::configRecord() const {
    return d_->config;
}

bool VirtualDevice::loadImage(const DeviceImage& image, bool bigEndian, const QByteArray& configRecord) {
    State& s = *d_;
    if (s.mode == DeviceMode::Loader) {
        return false;
    }
    s.image = image;
    s.imageBigEndian = bigEndian;
    if (!configRecord.isEmpty()) {
        QByteArray record = configRecord.left(s.recordSize());
        record.append(s.recordSize() - record.size(), '\0');
        s.config = record;
    }
    s.startRun();
    return s.scanning;
}

bool VirtualDevice::saveState(const QString& folder, QString* error) const {
    const State& s = *d_;
    QJsonObject o;
    o[QStringLiteral("format")] = kStateFormat;
    o[QStringLiteral("model")] = s.model();
    o[QStringLiteral("image")] = QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(s.image.data()), kDeviceImageSize).toHex());
    o[QStringLiteral("imageBigEndian")] = s.imageBigEndian;
    o[QStringLiteral("config")] = QString::fromLatin1(s.config.toHex());
    QJsonArray dst;
    for (int v : s.dst) {
        dst.append(v);
    }
    o[QStringLiteral("daylightSaving")] = dst;
    o[QStringLiteral("comm")] =
        QJsonArray{s.comm.id, s.comm.baudIndex, s.comm.parityIndex, s.comm.stopBitIndex};
    o[QStringLiteral("backlight")] = s.backlight;
    o[QStringLiteral("firmware")] = s.firmware;
    o[QStringLiteral("clockOffset")] = double(s.clock.offset());
    // PC control and the loader end with the session that started them.
    o[QStringLiteral("mode")] = QLatin1String(s.mode == DeviceMode::Run ? "run" : "stop");

    const auto fail = [&](const QString& why) {
        if (error) {
            *error = why;
        }
        return false;
    };
    if (!QDir().mkpath(folder)) {
        return fail(QStringLiteral("cannot create the folder %1").arg(folder));
    }
    QSaveFile file(QDir(folder).filePath(kStateFile));
    if (!file.open(QIODevice::WriteOnly)) {
        return fail(file.errorString());
    }
    file.write(QJsonDocument(o).toJson());
    if (!file.commit()) {
        return fail(file.errorString());
    }
    return true;
}

bool VirtualDevice::loadState(const QString& folder, QString* error) {
    State& s = *d_;
    const auto fail = [&](const QString& why) {
        if (error) {
            *error = why;
        }
        return false;
    };
    QFile file(QDir(folder).filePath(kStateFile));
    if (!file.exists()) {
        return true;  // a new device: nothing kept yet
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(file.errorString());
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.read(1 << 20), &parseError);
    if (!doc.isObject()) {
        return fail(QStringLiteral("%1: %2").arg(file.fileName(), parseError.errorString()));
    }
    const QJsonObject o = doc.object();
    const QString damaged = QStringLiteral("%1 is damaged").arg(file.fileName());
    if (o.value(QStringLiteral("format")).toInt() != kStateFormat) {
        return fail(damaged);
    }
    if (o.value(QStringLiteral("model")).toInt(-1) != s.model()) {
        return fail(QStringLiteral("%1 belongs to device model %2, not %3")
                        .arg(file.fileName())
                        .arg(o.value(QStringLiteral("model")).toInt(-1))
                        .arg(s.model()));
    }
    const QByteArray image = QByteArray::fromHex(o.value(QStringLiteral("image")).toString().toLatin1());
    const QByteArray config = QByteArray::fromHex(o.value(QStringLiteral("config")).toString().toLatin1());
    const QJsonArray dst = o.value(QStringLiteral("daylightSaving")).toArray();
    const QJsonArray comm = o.value(QStringLiteral("comm")).toArray();
    const int backlight = o.value(QStringLiteral("backlight")).toInt(-1);
    const QString firmware = o.value(QStringLiteral("firmware")).toString();
    if (image.size() != kDeviceImageSize || config.size() != s.recordSize() || dst.size() != kDstRegisters ||
        comm.size() != kCommRegisters || backlight < 0 || backlight > 2 ||
        firmware.size() > kFirmwareTextLength) {
        return fail(damaged);
    }
    std::array<int, kDstRegisters> dstValues{};
    for (int i = 0; i < kDstRegisters; ++i) {
        dstValues[i] = dst[i].toInt(-1);
        if (dstValues[i] < kDstRanges[i][0] || dstValues[i] > kDstRanges[i][1]) {
            return fail(damaged);
        }
    }
    std::array<int, kCommRegisters> commValues{};
    for (int i = 0; i < kCommRegisters; ++i) {
        commValues[i] = comm[i].toInt(-1);
        if (commValues[i] < (i == 0 ? 1 : 0) || commValues[i] > kCommMaximum[i]) {
            return fail(damaged);
        }
    }

    s.leaveRun(DeviceMode::Stop);
    std::copy(image.begin(), image.end(), s.image.begin());
    s.imageBigEndian = o.value(QStringLiteral("imageBigEndian")).toBool(s.options.bigEndian);
    s.config = config;
    s.dst = dstValues;
    s.comm = {commValues[0], commValues[1], commValues[2], commValues[3]};
    s.backlight = backlight;
    s.firmware = firmware;
    s.clock.setOffset(static_cast<qint64>(o.value(QStringLiteral("clockOffset")).toDouble()));
    s.error = DeviceError::None;
    if (o.value(QStringLiteral("mode")).toString() == QLatin1String("run")) {
        s.startRun();
    }
    s.changed();
    return true;
}

QString VirtualDevice::dump() const {
    const State& s = *d_;
    QStringList lines;
    lines << QStringLiteral("mode: %1").arg(QLatin1String(modeName(s.mode)));
    lines << QStringLiteral("model: %1  id: %2  firmware: %3").arg(s.model()).arg(s.comm.id).arg(s.firmware);
    lines << QStringLiteral("device error: %1").arg(s.error);
    const auto bits = [](auto get, int count) {
        QString text;
        for (int i = 0; i < count; ++i) {
            text.append(get(i) ? QLatin1Char('1') : QLatin1Char('0'));
        }
        return text;
    };
    QStringList inputs;
    QStringList outputs;
    for (int m = 0; m < kModules; ++m) {
        inputs << QStringLiteral("%1 %2")
                      .arg(QLatin1Char(kInputLetters[m]))
                      .arg(bits([&](int k) { return s.inputs[m][k]; }, kInputsPerModule));
        outputs << QStringLiteral("%1 %2")
                       .arg(QLatin1Char(kOutputLetters[m]))
                       .arg(bits([&](int k) { return s.outputOn(m, k + 1); }, kOutputsPerModule));
    }
    lines << QStringLiteral("inputs: ") + inputs.join(QStringLiteral("  "));
    lines << QStringLiteral("keys: Z %1").arg(bits([&](int k) { return s.keys[k]; }, kKeys));
    QStringList volts;
    for (int v : s.voltages) {
        volts << QString::number(v / 100.0, 'f', 2);
    }
    lines << QStringLiteral("voltages: ") + volts.join(QLatin1Char(' '));
    lines << QStringLiteral("outputs: ") + outputs.join(QStringLiteral("  "));
    lines << QStringLiteral("clock: ") + s.clock.dateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return lines.join(QLatin1Char('\n'));
}

}  // namespace bdx
