// The device's own function codes: 100 queries and reads its memory areas, 101 writes them
// in packets or as small items.
#include <QByteArray>
#include <algorithm>
#include <initializer_list>

#include "comm/byte_reader.h"
#include "device/device_core.h"
#include "device/device_passwords.h"

namespace bdx {

namespace {

QByteArray bytesOf(std::initializer_list<int> values) {
    QByteArray bytes;
    for (const int v : values) {
        bytes.append(char(v));
    }
    return bytes;
}

int packetCount(qsizetype size) {
    return std::max(1, int((size + kPacketSize - 1) / kPacketSize));
}

int bcd(int value) {
    return (value / 10 % 10) << 4 | value % 10;
}

QByteArray paddedFirmware(const QString& text) {
    QByteArray bytes = text.toLatin1().left(kFirmwareTextLength);
    bytes.append(kFirmwareTextLength - bytes.size(), ' ');
    return bytes;
}

// What a function-100 read of `area` gives; nothing for an area that cannot be read.
std::optional<QByteArray> areaBytes(const DeviceCore& core, int area) {
    const DeviceMemory& memory = core.memory;
    const LocalDateTime t = memory.clock.now();
    const char* image = reinterpret_cast<const char*>(memory.image.data());
    switch (area) {
        case Area::DeviceInfo: {
            const auto [major, minor] = memory.firmwareVersion();
            return paddedFirmware(memory.firmware) + bytesOf({core.model(), 0, bcd(major), bcd(minor), 0});
        }
        case Area::ProgramCode:
            return QByteArray(image, kProgramCodeSize);
        case Area::BlockData:
            return QByteArray(image + kProgramCodeSize, kBlockDataSize);
        case Area::ConfigRecord:
            return memory.config;
        case Area::Date:
            return bytesOf({t.day, t.month, t.year % 100});
        case Area::Time:
            return bytesOf({t.hour, t.minute, t.second});
        case Area::Backlight:
            return bytesOf({memory.backlight});
        case Area::Setting:
            return bytesOf({core.mode == DeviceMode::Loader ? DeviceMode::Stop : core.mode});
        case Area::Passwords:
            return bytesOf({memory.passwordFlags()});
        case Area::MonitorStatus:
            return bytesOf({core.mode, core.error, memory.extensionFlags()});
        default:
            return std::nullopt;
    }
}

QByteArray modelCheck(const DeviceCore& core, const QByteArray& body) {
    const ByteReader r(body);
    if (r.size() < ModelCheckByte::RequestSize) {
        return ExceptionReply(body, ExceptionCode::IllegalValue);
    }
    const int requestModel = *r.u8(ModelCheckByte::Model), requestFamily = *r.u8(ModelCheckByte::Family);
    const int family = ModelFamilyTable[core.model()];
    const bool matches =
        requestFamily == family && requestModel < kModelCount && ModelFamilyTable[requestModel] == family;
    if (matches) {
        return body.left(ModelCheckByte::RequestSize);
    }
    // The answer that tells the program which model and family to ask for: 12 bytes with the
    // CRC, laid out like the request.
    return body.left(1) + bytesOf({FunctionCode::ReadArea | FunctionCode::ExceptionFlag, 1, Area::ModelFamily, 0,
                                   kModelCheckMarker, 1, core.model(), family, 0});
}

// The item bytes of a small-item write: after a length byte, after a packet number and a
// length byte, or given bare, whichever leaves an item of a size the area takes.
template <typename Fits>
std::optional<QByteArray> itemBytes(const QByteArray& rest, Fits fits) {
    const ByteReader r(rest);
    if (r.u8(0) == rest.size() - 1 && fits(rest.size() - 1)) {
        return rest.mid(1);
    }
    if (r.u8(1) == rest.size() - 2 && fits(rest.size() - 2)) {
        return rest.mid(2);
    }
    if (fits(rest.size())) {
        return rest;
    }
    return std::nullopt;
}

std::optional<QByteArray> itemOf(const DeviceCore& core, int area, const QByteArray& rest) {
    const auto sized = [&](std::initializer_list<int> sizes) {
        return itemBytes(
            rest, [&](qsizetype n) { return std::find(sizes.begin(), sizes.end(), n) != sizes.end(); });
    };
    switch (area) {
        case Area::ConfigRecord:
            return sized({core.memory.recordSize()});
        case Area::Date:
        case Area::Time:
            return sized({3});
        case Area::Backlight:
        case Area::Setting:
            return sized({1});
        case Area::Command:
            return sized({0, 1});
        case Area::Passwords:
            return sized({PasswordOp::ItemLength});
        default:  // the loader takes any item
            return itemBytes(rest, [](qsizetype) { return true; });
    }
}

// Carries out an item write; the status byte of the reply, or the exception code (as a
// negative number).
int writeItem(DeviceCore& core, int area, const QByteArray& item) {
    DeviceMemory& memory = core.memory;
    const int first = ByteReader(item).u8(0).value_or(0);
    switch (area) {
        case Area::ConfigRecord:
            if (core.mode == DeviceMode::Run) {
                return -ExceptionCode::Busy;
            }
            memory.config = item;
            core.changed();
            return 0;
        case Area::Date:
        case Area::Time:
            if (!memory.setDateItem(area, item)) {
                return -ExceptionCode::IllegalValue;
            }
            core.changed();
            return 0;
        case Area::Backlight:
            if (first >= kBacklightValues) {
                return -ExceptionCode::IllegalValue;
            }
            memory.backlight = first;
            core.changed();
            return 0;
        case Area::Command:  // no byte: enter PC control
            if (first > PcCommand::Leave) {
                return -ExceptionCode::IllegalValue;
            }
            if (first == PcCommand::Enter) {
                core.leaveRun(DeviceMode::PcControl);
            } else {
                core.stop();
            }
            return 0;
        case Area::Setting:
            if (first == DeviceMode::Run) {
                core.startRun();
            } else if (first == DeviceMode::Stop) {
                core.stop();
            } else {
                return -ExceptionCode::IllegalValue;
            }
            return 0;
        case Area::Passwords: {
            bool changed = false;
            const int status = RunPasswordCommand(memory, item, changed);
            if (changed) {
                core.changed();
            }
            return status;
        }
        default:  // the loader: entered once the reply is out
            return 0;
    }
}

QByteArray answerItemWrite(DeviceCore& core, const QByteArray& body) {
    const int area = *ByteReader(body).u8(PacketByte::Area);
    constexpr int kWritableItems[] = {Area::ConfigRecord, Area::Date,    Area::Time,      Area::Backlight,
                                      Area::Command,      Area::Setting, Area::Passwords, Area::Loader};
    if (std::find(std::begin(kWritableItems), std::end(kWritableItems), area) == std::end(kWritableItems)) {
        return ExceptionReply(body, ExceptionCode::IllegalAddress);
    }
    const std::optional<QByteArray> item = itemOf(core, area, body.mid(PacketByte::Number));
    if (!item) {
        return ExceptionReply(body, ExceptionCode::IllegalValue);
    }
    const int status = writeItem(core, area, *item);
    if (status < 0) {
        return ExceptionReply(body, std::uint8_t(-status));
    }
    if (area == Area::Loader) {
        core.enterLoader();
    }
    return body.left(PacketByte::Number) + char(status) + char(item->size());
}

}  // namespace

QByteArray AnswerAreaRead(DeviceCore& core, const QByteArray& body) {
    const ByteReader r(body);
    if (r.size() < PacketByte::Number) {
        return {};
    }
    const int sub = *r.u8(PacketByte::SubCommand), area = *r.u8(PacketByte::Area);
    if (area == Area::ModelFamily) {
        return modelCheck(core, body);
    }
    const std::optional<QByteArray> content = areaBytes(core, area);
    if (!content) {
        return ExceptionReply(body, ExceptionCode::IllegalAddress);
    }
    const int packets = packetCount(content->size());
    QByteArray reply = body.left(PacketByte::Number);
    if (sub == SubCommand::Item) {
        const bool whole = content->size() <= kPacketSize;
        reply.append(char(area == Area::MonitorStatus ? core.error : packets));
        reply.append(char(whole ? content->size() : 0));
        return whole ? reply + *content : reply;
    }
    int packet = 0;
    if (sub == SubCommand::First) {
        packet = 1;
    } else if (sub == SubCommand::Next || sub == SubCommand::Repeat) {
        if (core.readingArea != area || core.readPacket < 1) {
            return ExceptionReply(body, ExceptionCode::IllegalAddress);
        }
        packet = sub == SubCommand::Next ? core.readPacket + 1 : core.readPacket;
        if (packet > packets) {
            return ExceptionReply(body, ExceptionCode::IllegalAddress);
        }
    } else {
        return ExceptionReply(body, ExceptionCode::IllegalValue);
    }
    core.readingArea = area;
    core.readPacket = packet;
    const QByteArray data = content->mid((packet - 1) * kPacketSize, kPacketSize);
    reply[PacketByte::SubCommand] = char(packet == packets ? SubCommand::Last : sub);
    reply.append(char(packet));
    reply.append(char(data.size()));
    return reply + data;
}

QByteArray AnswerAreaWrite(DeviceCore& core, const QByteArray& body) {
    const ByteReader r(body);
    if (r.size() < PacketByte::Number) {
        return {};
    }
    const int sub = *r.u8(PacketByte::SubCommand), area = *r.u8(PacketByte::Area);
    if (sub == SubCommand::Item) {
        return answerItemWrite(core, body);
    }
    if (sub != SubCommand::First && sub != SubCommand::Next && sub != SubCommand::Repeat &&
        sub != SubCommand::Last) {
        return ExceptionReply(body, ExceptionCode::IllegalValue);
    }
    if (r.size() < PacketByte::Data) {
        return {};
    }
    const int packet = *r.u8(PacketByte::Number), length = *r.u8(PacketByte::Length);
    if (area != Area::ProgramCode && area != Area::BlockData && area != Area::ConfigRecord) {
        return ExceptionReply(body, ExceptionCode::IllegalAddress);
    }
    const int size = area == Area::ProgramCode ? kProgramCodeSize
                     : area == Area::BlockData ? kBlockDataSize
                                               : core.memory.recordSize();
    const int offset = (packet - 1) * kPacketSize;
    const bool fits = packet >= 1 && length <= kPacketSize && offset + length <= size &&
                      (area != Area::ConfigRecord || (packet == 1 && length == size));
    if (body.size() != PacketByte::Data + length || !fits) {
        return ExceptionReply(body, ExceptionCode::IllegalValue);
    }
    if (core.mode == DeviceMode::Run) {
        return ExceptionReply(body, ExceptionCode::Busy);
    }
    DeviceMemory& memory = core.memory;
    const QByteArray data = body.mid(PacketByte::Data, length);
    if (area == Area::ConfigRecord) {
        memory.config = data;
    } else {
        std::copy(data.begin(), data.end(),
                  memory.image.begin() + (area == Area::BlockData ? kProgramCodeSize : 0) + offset);
        memory.imageBigEndian = core.options.bigEndian;
    }
    core.error = DeviceError::None;
    core.changed();
    return body.left(PacketByte::Data);
}

}  // namespace bdx
