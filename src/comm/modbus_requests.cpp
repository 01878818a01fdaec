#include "modbus_requests.h"

#include "comm/byte_reader.h"
#include "comm/transport.h"
#include "shell/language_table.h"
#include "shell/prompter.h"

namespace bdx {

namespace {

constexpr int kTextReadIdentityFailed = 521;
constexpr int kTextModelNotSupported = 520;

void appendWord(QByteArray& bytes, int value) {
    bytes.append(static_cast<char>((value >> 8) & 0xFF));
    bytes.append(static_cast<char>(value & 0xFF));
}

QByteArray bytesOf(std::initializer_list<int> values) {
    QByteArray bytes;
    for (const int value : values) {
        bytes.append(static_cast<char>(value & 0xFF));
    }
    return bytes;
}

// Keeps the serial port open for one operation.
class PortScope {
  public:
    explicit PortScope(ModbusSession& session) : session_(session) { session_.openIfSerial(); }
    ~PortScope() { session_.closeIfSerial(); }
    PortScope(const PortScope&) = delete;
    PortScope& operator=(const PortScope&) = delete;

  private:
    ModbusSession& session_;
};

std::uint8_t addressOf(ModbusSession& session, std::uint8_t address) {
    return address != 0 ? address : session.state().ModbusID;
}

// A reply the transaction accepted but whose content does not add up: treated like a
// transaction that failed on an invalid reply.
void refuse(ModbusSession& session) {
    CommState& state = session.state();
    if (!state.QuietComm) {
        session.prompter().critical(InvalidResponseMessage());
    }
    state.CommFailed = true;
    state.CommCancelled = true;
}

bool run(ModbusSession& session, QByteArray& request, QByteArray& reply, int silenceMs = -1,
         bool repeatOnRetry = false) {
    PortScope port(session);
    return session.ModbusTransaction(request, reply, silenceMs, repeatOnRetry);
}

}  // namespace

// --- Frame builders --------------------------------------------------------------------------

QByteArray MakeRequest(std::uint8_t address, std::uint8_t function, const QByteArray& body) {
    QByteArray frame;
    frame.reserve(body.size() + 4);
    frame.append(static_cast<char>(address));
    frame.append(static_cast<char>(function));
    frame.append(body);
    frame.append(2, '\0');
    return frame;
}

QByteArray AreaQueryRequest(std::uint8_t address, int area, const QByteArray& extra) {
    return MakeRequest(address, FunctionCode::ReadArea, bytesOf({SubCommand::Item, area}) + extra);
}

QByteArray AreaPacketReadRequest(std::uint8_t address, std::uint8_t subCommand, int area) {
    return MakeRequest(address, FunctionCode::ReadArea, bytesOf({subCommand, area}));
}

QByteArray AreaPacketWriteRequest(std::uint8_t address, std::uint8_t subCommand, int area, int packet,
                                  const QByteArray& data) {
    const QByteArray payload = data.left(kPacketSize);
    return MakeRequest(address, FunctionCode::WriteArea,
                       bytesOf({subCommand, area, packet, static_cast<int>(payload.size())}) + payload);
}

QByteArray ItemWriteRequest(std::uint8_t address, int area, const QByteArray& item) {
    return MakeRequest(address, FunctionCode::WriteArea, bytesOf({SubCommand::Item, area}) + item);
}

QByteArray ReadRegistersRequest(std::uint8_t address, std::uint8_t function, int start, int count) {
    QByteArray body;
    appendWord(body, start);
    appendWord(body, count);
    return MakeRequest(address, function, body);
}

QByteArray WriteRegistersRequest(std::uint8_t address, int start, const std::vector<std::uint16_t>& values) {
    const int count = std::min<int>(static_cast<int>(values.size()), kMaxWriteRegisters);
    QByteArray body;
    appendWord(body, start);
    appendWord(body, count);
    body.append(static_cast<char>(count * 2));
    for (int i = 0; i < count; ++i) {
        appendWord(body, values[static_cast<std::size_t>(i)]);
    }
    return MakeRequest(address, FunctionCode::WriteRegisters, body);
}

QByteArray ReadDiscreteInputsRequest(std::uint8_t address, int start, int count) {
    return ReadRegistersRequest(address, FunctionCode::ReadDiscreteInputs, start, count);
}

QByteArray WriteCoilsRequest(std::uint8_t address, int start, int count, const QByteArray& bits) {
    const int bytes = (count + 7) / 8;
    QByteArray body;
    appendWord(body, start);
    appendWord(body, count);
    body.append(static_cast<char>(bytes));
    QByteArray data = bits.left(bytes);
    data.append(bytes - data.size(), '\0');
    body.append(data);
    return MakeRequest(address, FunctionCode::WriteCoils, body);
}

QByteArray IdentityRequest(std::uint8_t address) {
    return MakeRequest(address, FunctionCode::ReportServerId, {});
}

QByteArray ModelFamilyRequest(std::uint8_t address, std::uint8_t modelByte) {
    return MakeRequest(address, FunctionCode::ReadArea,
                       bytesOf({1, Area::ModelFamily, 0, kModelCheckMarker, 1, modelByte, 1, 0}));
}

// --- Reply parsers ---------------------------------------------------------------------------

namespace {

bool isFunction(const ByteReader& reply, std::uint8_t function) {
    return reply.u8(1) == function;
}

bool isException(const ByteReader& reply) {
    return (reply.u8(1).value_or(0) & FunctionCode::ExceptionFlag) != 0;
}

}  // namespace

std::optional<AreaPacket> ParseAreaPacket(const QByteArray& reply) {
    const ByteReader r(reply);
    const std::optional<std::uint8_t> length = r.u8(PacketByte::Length);
    if (!isFunction(r, FunctionCode::ReadArea) || !length || *length > kPacketSize ||
        !r.has(PacketByte::Data, *length + kCrcBytes)) {
        return std::nullopt;
    }
    AreaPacket packet;
    packet.subCommand = *r.u8(PacketByte::SubCommand);
    packet.area = *r.u8(PacketByte::Area);
    packet.packet = *r.u8(PacketByte::Number);
    packet.data = r.bytes(PacketByte::Data, *length)->toByteArray();
    return packet;
}

std::optional<int> ParsePacketCount(const QByteArray& reply) {
    const ByteReader r(reply);
    if (!r.has(0, PacketByte::Data + 1) || !isFunction(r, FunctionCode::ReadArea)) {
        return std::nullopt;
    }
    return r.u8(PacketByte::Number);
}

std::optional<QByteArray> ParseItemData(const QByteArray& reply) {
    const ByteReader r(reply);
    const std::optional<QByteArrayView> item =
        r.bytes(PacketByte::Data, r.size() - PacketByte::Data - kCrcBytes);
    if (!item || !isFunction(r, FunctionCode::ReadArea)) {
        return std::nullopt;
    }
    return item->toByteArray();
}

std::optional<std::vector<std::uint16_t>> ParseRegisters(const QByteArray& reply, int count) {
    const ByteReader r(reply);
    if (count < 0 || isException(r) || r.u8(2) != count * 2 || !r.has(3, 2 * count + kCrcBytes)) {
        return std::nullopt;
    }
    std::vector<std::uint16_t> values(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        values[static_cast<std::size_t>(i)] = *r.u16be(3 + 2 * i);
    }
    return values;
}

std::optional<QByteArray> ParseBits(const QByteArray& reply, int bytes) {
    const ByteReader r(reply);
    if (bytes < 0 || isException(r) || r.u8(2).value_or(0) < bytes || !r.has(3, bytes + kCrcBytes)) {
        return std::nullopt;
    }
    return r.bytes(3, bytes)->toByteArray();
}

std::optional<DeviceIdentity> ParseIdentity(const QByteArray& reply) {
    const ByteReader r(reply);
    if (r.size() < IdentityByte::Size || !isFunction(r, FunctionCode::ReportServerId)) {
        return std::nullopt;
    }
    const auto digit = [&](int index) -> int {
        const std::uint8_t c = r.u8(index).value_or(0);
        return c >= '0' && c <= '9' ? c - '0' : -1;
    };
    const int tens = digit(IdentityByte::ModelDigits);
    const int units = digit(IdentityByte::ModelDigits + 1);
    if (tens < 0 || units < 0) {
        return std::nullopt;
    }
    DeviceIdentity identity;
    identity.firmware =
        QString::fromLatin1(r.bytes(IdentityByte::Firmware, kFirmwareTextLength)->toByteArray());
    identity.modelCode = tens * 10 + units;
    return identity;
}

bool ModelFamilyAccepted(const QByteArray& reply, std::uint8_t modelByte) {
    const ByteReader r(reply);
    if (!r.has(0, ModelCheckByte::Family + 1 + kCrcBytes) ||
        r.u8(1) == (FunctionCode::ReadArea | FunctionCode::ExceptionFlag) ||
        r.u8(ModelCheckByte::Marker) != kModelCheckMarker || r.u8(ModelCheckByte::Model) != modelByte ||
        modelByte >= ModelFamilyTable.size()) {
        return false;
    }
    return r.u8(ModelCheckByte::Family) == ModelFamilyTable[modelByte];
}

// --- Packet assembly and planning ------------------------------------------------------------

AreaReadAssembler::AreaReadAssembler(int packets, int area) : packets_(std::max(packets, 0)), area_(area) {
    data_.reserve(qsizetype(packets_) * kPacketSize);
}

AreaReadAssembler::Step AreaReadAssembler::accept(const QByteArray& reply) {
    const std::optional<AreaPacket> packet = ParseAreaPacket(reply);
    if (!packet || (area_ >= 0 && packet->area != area_)) {
        return Step::Refused;
    }
    if (read_ > 0 && packet->packet == read_) {
        return Step::Done;
    }
    if (read_ >= packets_ || packet->packet != read_ + 1) {
        return Step::Refused;
    }
    data_.append(packet->data);
    ++read_;
    return packet->subCommand == SubCommand::Last || read_ == packets_ ? Step::Done : Step::More;
}

std::vector<PacketPlan> PlanAreaWrite(int length) {
    std::vector<PacketPlan> plan;
    if (length <= 0) {
        return plan;
    }
    const int packets = (length + kPacketSize - 1) / kPacketSize;
    plan.push_back({SubCommand::First, 1, 0, std::min(length, kPacketSize)});
    for (int k = 2; k <= packets; ++k) {
        const bool last = k == packets;
        const int rest = length % kPacketSize;
        plan.push_back({last ? SubCommand::Last : SubCommand::Next, k, (k - 1) * kPacketSize,
                        last && rest != 0 ? rest : kPacketSize});
    }
    return plan;
}

// --- Device operations -----------------------------------------------------------------------

int ReadDeviceArea(ModbusSession& session, int area, QByteArray& buffer, const PacketProgress& progress) {
    buffer.clear();
    CommState& state = session.state();
    PortScope port(session);
    QByteArray request = AreaQueryRequest(state.ModbusID, area);
    QByteArray reply;
    if (!session.ModbusTransaction(request, reply)) {
        return -1;
    }
    const std::optional<int> packets = ParsePacketCount(reply);
    if (!packets) {
        refuse(session);
        return -1;
    }
    if (*packets == 0) {
        return 0;
    }
    AreaReadAssembler assembler(*packets, area);
    request = AreaPacketReadRequest(state.ModbusID, SubCommand::First, area);
    for (;;) {
        if (!session.ModbusTransaction(request, reply)) {
            return -1;
        }
        const AreaReadAssembler::Step step = assembler.accept(reply);
        if (step == AreaReadAssembler::Step::Refused) {
            refuse(session);
            return -1;
        }
        if (progress) {
            progress(assembler.packetsRead(), assembler.packets(), static_cast<int>(assembler.data().size()));
        }
        if (step == AreaReadAssembler::Step::Done) {
            break;
        }
        if (state.CommCancelled) {
            return -1;
        }
        request = AreaPacketReadRequest(state.ModbusID, SubCommand::Next, area);
    }
    buffer = assembler.data();
    return static_cast<int>(buffer.size());
}

bool WriteDeviceArea(ModbusSession& session, int area, const QByteArray& data,
                     const PacketProgress& progress) {
    const std::vector<PacketPlan> plan = PlanAreaWrite(static_cast<int>(data.size()));
    CommState& state = session.state();
    PortScope port(session);
    QByteArray reply;
    int written = 0;
    for (const PacketPlan& packet : plan) {
        QByteArray request = AreaPacketWriteRequest(state.ModbusID, packet.subCommand, area, packet.packet,
                                                    data.mid(packet.offset, packet.length));
        if (!session.ModbusTransaction(request, reply, -1, true)) {
            return false;
        }
        written += packet.length;
        if (progress) {
            progress(packet.packet, static_cast<int>(plan.size()), written);
        }
        if (state.CommCancelled) {
            return false;
        }
    }
    return true;
}

std::optional<QByteArray> ReadConfigRecord(ModbusSession& session, int size) {
    QByteArray request =
        AreaPacketReadRequest(session.state().ModbusID, SubCommand::First, Area::ConfigRecord);
    QByteArray reply;
    if (!run(session, request, reply)) {
        return std::nullopt;
    }
    const std::optional<AreaPacket> packet = ParseAreaPacket(reply);
    if (!packet || packet->area != Area::ConfigRecord || packet->data.size() != size) {
        refuse(session);
        return std::nullopt;
    }
    return packet->data;
}

bool WriteConfigRecord(ModbusSession& session, const QByteArray& record) {
    QByteArray request =
        AreaPacketWriteRequest(session.state().ModbusID, SubCommand::First, Area::ConfigRecord, 1, record);
    QByteArray reply;
    return run(session, request, reply, -1, true);
}

std::optional<int> ReadDeviceIdentity(ModbusSession& session) {
    QByteArray request = IdentityRequest(session.state().ModbusID);
    QByteArray reply;
    if (!run(session, request, reply)) {
        if (!session.failureReported()) {
            session.prompter().warn(LoadText(kTextReadIdentityFailed));
        }
        return std::nullopt;
    }
    const std::optional<DeviceIdentity> identity = ParseIdentity(reply);
    if (!identity) {
        session.prompter().warn(LoadText(kTextReadIdentityFailed));
        return std::nullopt;
    }
    session.state().FirmwareText = identity->firmware;
    if (identity->modelCode >= kModelCodeLimit) {
        session.prompter().warn(LoadText(kTextModelNotSupported));
        return std::nullopt;
    }
    return identity->modelCode;
}

std::optional<std::vector<std::uint16_t>> ReadRegisters(ModbusSession& session, std::uint8_t function,
                                                        int start, int count, std::uint8_t address) {
    QByteArray request = ReadRegistersRequest(addressOf(session, address), function, start, count);
    QByteArray reply;
    if (!run(session, request, reply)) {
        return std::nullopt;
    }
    std::optional<std::vector<std::uint16_t>> values = ParseRegisters(reply, count);
    if (!values || ByteReader(reply).u8(1) != function) {
        refuse(session);
        return std::nullopt;
    }
    return values;
}

bool WriteRegisters(ModbusSession& session, int start, const std::vector<std::uint16_t>& values,
                    std::uint8_t address) {
    if (values.empty() || values.size() > std::size_t(kMaxWriteRegisters)) {
        return false;
    }
    QByteArray request = WriteRegistersRequest(addressOf(session, address), start, values);
    QByteArray reply;
    return run(session, request, reply, -1, true);
}

std::optional<QByteArray> ReadDiscreteInputs(ModbusSession& session) {
    QByteArray request = ReadDiscreteInputsRequest(session.state().ModbusID, 0, kDiscreteInputCount);
    QByteArray reply;
    if (!run(session, request, reply)) {
        return std::nullopt;
    }
    std::optional<QByteArray> bits = ParseBits(reply, kInputBytes);
    if (!bits || ByteReader(reply).u8(1) != FunctionCode::ReadDiscreteInputs) {
        refuse(session);
        return std::nullopt;
    }
    return bits;
}

bool WriteCoils(ModbusSession& session, std::uint16_t outputs) {
    QByteArray request =
        WriteCoilsRequest(session.state().ModbusID, 0, kCoilCount, bytesOf({outputs & 0xFF, outputs >> 8}));
    QByteArray reply;
    return run(session, request, reply);
}

std::optional<QByteArray> QueryDeviceArea(ModbusSession& session, int area, const QByteArray& extra) {
    QByteArray request = AreaQueryRequest(session.state().ModbusID, area, extra);
    QByteArray reply;
    if (!run(session, request, reply)) {
        return std::nullopt;
    }
    return reply;
}

std::optional<QByteArray> ReadDeviceItem(ModbusSession& session, int area, const QByteArray& extra) {
    const std::optional<QByteArray> reply = QueryDeviceArea(session, area, extra);
    if (!reply) {
        return std::nullopt;
    }
    std::optional<QByteArray> item = ParseItemData(*reply);
    if (!item) {
        refuse(session);
    }
    return item;
}

bool WriteDeviceItem(ModbusSession& session, int area, const QByteArray& item) {
    QByteArray request = ItemWriteRequest(session.state().ModbusID, area, item);
    QByteArray reply;
    return run(session, request, reply);
}

namespace {

std::optional<QByteArray> readTriple(ModbusSession& session, int area) {
    std::optional<QByteArray> item = ReadDeviceItem(session, area);
    if (!item) {
        return std::nullopt;
    }
    if (item->size() < 3) {
        refuse(session);
        return std::nullopt;
    }
    return item->left(3);
}

}  // namespace

std::optional<QByteArray> ReadDeviceDate(ModbusSession& session) {
    return readTriple(session, Area::Date);
}

std::optional<QByteArray> ReadDeviceTime(ModbusSession& session) {
    return readTriple(session, Area::Time);
}

bool WriteDeviceDate(ModbusSession& session, int day, int month, int year) {
    return WriteDeviceItem(session, Area::Date, bytesOf({day, month, year % 100}));
}

bool WriteDeviceTime(ModbusSession& session, int hour, int minute, int second) {
    return WriteDeviceItem(session, Area::Time, bytesOf({hour, minute, second}));
}

bool SendDeviceCommand(ModbusSession& session, int area) {
    return WriteDeviceItem(session, area, {});
}

bool WriteDeviceSetting(ModbusSession& session, std::uint8_t value) {
    return WriteDeviceItem(session, Area::Setting, bytesOf({value}));
}

std::optional<QByteArray> ReadMonitorStatus(ModbusSession& session) {
    std::optional<QByteArray> reply = QueryDeviceArea(session, Area::MonitorStatus, bytesOf({0, 0}));
    if (reply && reply->size() <= kStatusErrorByte + kCrcBytes) {
        refuse(session);
        return std::nullopt;
    }
    return reply;
}

ModelFamilyResult CheckModelFamily(ModbusSession& session) {
    QByteArray request = ModelFamilyRequest(session.state().ModbusID, session.state().ModelByte);
    QByteArray reply;
    if (!run(session, request, reply, kModelCheckSilenceMs)) {
        return ModelFamilyResult::NoReply;
    }
    // The transaction may have corrected the model byte from the device's answer.
    return ModelFamilyAccepted(reply, ByteReader(request).u8(ModelCheckByte::Model).value_or(0))
               ? ModelFamilyResult::Accepted
               : ModelFamilyResult::Rejected;
}

}  // namespace bdx
