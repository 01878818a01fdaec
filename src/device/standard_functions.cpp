// The standard Modbus function codes the virtual device answers, and the dispatch of every
// request to them or to the area protocol.
#include <QByteArray>

#include "comm/byte_reader.h"
#include "device/device_core.h"

namespace bdx {

namespace {

int byteOf(const ByteReader& r, int at) {
    return r.u8(at).value_or(0);
}

void appendWord(QByteArray& bytes, int value) {
    bytes.append(char((value >> 8) & 0xFF));
    bytes.append(char(value & 0xFF));
}

QByteArray paddedLatin1(const QString& text, int length) {
    QByteArray bytes = text.toLatin1().left(length);
    bytes.append(length - bytes.size(), ' ');
    return bytes;
}

QString productName(int model) {
    const QString name = QString::fromLatin1(kDeviceModels[model].displayName);
    const qsizetype dash = name.indexOf(QLatin1String(" - "));
    return dash < 0 ? name : name.mid(dash + 3);
}

// Start and quantity of a read or write, high byte first.
struct Range {
    int start, quantity;
};
std::optional<Range> rangeOf(const ByteReader& r) {
    const std::optional<std::uint16_t> start = r.u16be(2), quantity = r.u16be(4);
    if (!start || !quantity) {
        return std::nullopt;
    }
    return Range{*start, *quantity};
}

QByteArray readBits(const DeviceCore& core, const QByteArray& body, bool coils) {
    const std::optional<Range> range = rangeOf(ByteReader(body));
    if (!range) {
        return {};
    }
    const auto [start, quantity] = *range;
    if (quantity < 1 || quantity > kMaxReadBits) {
        return ExceptionReply(body, ExceptionCode::IllegalValue);
    }
    if (start + quantity > (coils ? kCoilCount : kDiscreteInputCount)) {
        return ExceptionReply(body, ExceptionCode::IllegalAddress);
    }
    QByteArray data((quantity + 7) / 8, '\0');
    for (int i = 0; i < quantity; ++i) {
        const int bit = start + i;
        const bool on = coils ? core.outputOn(bit / kOutputsPerModule, bit % kOutputsPerModule + 1)
                              : core.discreteInput(bit);
        if (on) {
            data[i / 8] = char(data[i / 8] | (1 << (i % 8)));
        }
    }
    return body.left(2) + char(data.size()) + data;
}

QByteArray readRegisters(const DeviceCore& core, const QByteArray& body, bool input) {
    const std::optional<Range> range = rangeOf(ByteReader(body));
    if (!range) {
        return {};
    }
    const auto [start, quantity] = *range;
    if (quantity < 1 || quantity > kMaxReadRegisters) {
        return ExceptionReply(body, ExceptionCode::IllegalValue);
    }
    QByteArray data;
    for (int a = start; a < start + quantity; ++a) {
        if (input) {
            if (a < kAnalogRegister || a >= kAnalogRegister + kAnalogRegisterCount) {
                return ExceptionReply(body, ExceptionCode::IllegalAddress);
            }
            appendWord(data, core.voltages[a - kAnalogRegister] & 0xFFFF);
            continue;
        }
        const std::optional<int> value = core.memory.holdingRegister(a);
        if (!value) {
            return ExceptionReply(body, ExceptionCode::IllegalAddress);
        }
        appendWord(data, *value);
    }
    return body.left(2) + char(data.size()) + data;
}

QByteArray writeRegisters(DeviceCore& core, const QByteArray& body, bool single) {
    const ByteReader r(body);
    const std::optional<Range> range = rangeOf(r);
    if (!range || (!single && body.size() < 7)) {
        return {};
    }
    std::vector<int> values;
    if (single) {
        values.push_back(range->quantity);  // the value stands where a quantity would
    } else {
        const int quantity = range->quantity, count = byteOf(r, 6);
        if (quantity < 1 || quantity > kMaxWriteRegisters || count != quantity * 2 ||
            body.size() != 7 + count) {
            return ExceptionReply(body, ExceptionCode::IllegalValue);
        }
        for (int i = 0; i < quantity; ++i) {
            values.push_back(*r.u16be(7 + 2 * i));
        }
    }
    bool changed = false;
    const int code = core.memory.writeRegisters(range->start, values, changed);
    if (changed) {
        core.changed();
    }
    return code != 0 ? ExceptionReply(body, std::uint8_t(code)) : body.left(6);
}

QByteArray writeCoils(DeviceCore& core, const QByteArray& body, bool single) {
    const ByteReader r(body);
    const std::optional<Range> range = rangeOf(r);
    if (!range || (!single && body.size() < 7)) {
        return {};
    }
    const int start = range->start;
    int quantity = 1;
    std::uint16_t bits = 0;
    if (single) {
        const int value = range->quantity;
        if (value != 0xFF00 && value != 0) {
            return ExceptionReply(body, ExceptionCode::IllegalValue);
        }
        bits = value != 0 ? 1 : 0;
    } else {
        quantity = range->quantity;
        const int count = byteOf(r, 6);
        if (quantity < 1 || quantity > kMaxWriteCoils || count != (quantity + 7) / 8 ||
            body.size() != 7 + count) {
            return ExceptionReply(body, ExceptionCode::IllegalValue);
        }
        for (int i = 0; i < quantity && i < kCoilCount; ++i) {
            bits = static_cast<std::uint16_t>(bits | (((byteOf(r, 7 + i / 8) >> (i % 8)) & 1) << i));
        }
    }
    if (start + quantity > kCoilCount) {
        return ExceptionReply(body, ExceptionCode::IllegalAddress);
    }
    if (core.mode != DeviceMode::PcControl) {
        return ExceptionReply(body, ExceptionCode::Busy);
    }
    const auto mask = static_cast<std::uint16_t>(((1u << quantity) - 1) << start);
    core.pcOutputs = static_cast<std::uint16_t>((core.pcOutputs & ~mask) | ((bits << start) & mask));
    return body.left(6);
}

QByteArray reportId(const DeviceCore& core, const QByteArray& body) {
    const DeviceMemory& memory = core.memory;
    QByteArray data;
    data.append(char(memory.comm.modbusId));
    data.append(char(core.mode == DeviceMode::Run ? 0xFF : 0x00));
    data.append(paddedLatin1(productName(core.model()), IdentityByte::ProductNameLength));
    data.append(paddedLatin1(memory.firmware, kFirmwareTextLength));
    data.append(char(core.mode));
    data.append(char(ModelFamilyTable[core.model()]));
    data.append(QByteArray::number(core.model()).rightJustified(2, '0'));
    data.append(char(memory.extensionFlags()));
    data.append(char(memory.passwordFlags()));
    return body.left(2) + char(data.size()) + data;
}

}  // namespace

QByteArray ExceptionReply(const QByteArray& request, std::uint8_t code) {
    QByteArray reply;
    reply.append(request[0]);
    reply.append(char(ByteReader(request).u8(1).value_or(0) | FunctionCode::ExceptionFlag));
    reply.append(char(code));
    return reply;
}

QByteArray AnswerRequest(DeviceCore& core, const QByteArray& body) {
    switch (ByteReader(body).u8(1).value_or(0)) {
        case FunctionCode::ReadCoils:
            return readBits(core, body, true);
        case FunctionCode::ReadDiscreteInputs:
            return readBits(core, body, false);
        case FunctionCode::ReadHoldingRegisters:
            return readRegisters(core, body, false);
        case FunctionCode::ReadInputRegisters:
            return readRegisters(core, body, true);
        case FunctionCode::WriteCoil:
            return writeCoils(core, body, true);
        case FunctionCode::WriteCoils:
            return writeCoils(core, body, false);
        case FunctionCode::WriteRegister:
            return writeRegisters(core, body, true);
        case FunctionCode::WriteRegisters:
            return writeRegisters(core, body, false);
        case FunctionCode::ReportServerId:
            return reportId(core, body);
        case FunctionCode::ReadArea:
            return AnswerAreaRead(core, body);
        case FunctionCode::WriteArea:
            return AnswerAreaWrite(core, body);
        default:
            return ExceptionReply(body, ExceptionCode::IllegalFunction);
    }
}

}  // namespace bdx
