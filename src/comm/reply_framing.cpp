#include "comm/reply_framing.h"

#include <algorithm>
#include <optional>

#include "comm/byte_reader.h"
#include "comm/device_protocol.h"
#include "comm/modbus_crc.h"

namespace bdx {

namespace {

constexpr int kExceptionReplyBytes = 5;  // address, function | 0x80, code, CRC
constexpr int kEchoReplyBytes = 8;       // address, function, four bytes, CRC
constexpr int kCountedHeader = 3;        // address, function, byte count
constexpr int kAreaHeader = PacketByte::Data;

// The whole length the reply will have, or, while its header is incomplete, the length of the
// header; nothing when the function gives no length.
std::optional<int> expectedLength(const ByteReader& r, std::uint8_t function, std::uint8_t asked) {
    if (function == (asked | FunctionCode::ExceptionFlag)) {
        if (asked != FunctionCode::ReadArea) {
            return kExceptionReplyBytes;
        }
        // The model-family answer is an exception with a packet's layout.
        if (r.size() <= kExceptionReplyBytes) {
            return kExceptionReplyBytes + 1;
        }
        return kAreaHeader + *r.u8(PacketByte::Length) + kCrcBytes;
    }
    if (function != asked) {
        return std::nullopt;
    }
    switch (function) {
        case FunctionCode::ReadCoils:
        case FunctionCode::ReadDiscreteInputs:
        case FunctionCode::ReadHoldingRegisters:
        case FunctionCode::ReadInputRegisters:
        case FunctionCode::ReportServerId:
            if (r.size() < kCountedHeader) {
                return kCountedHeader;
            }
            return kCountedHeader + *r.u8(kCountedHeader - 1) + kCrcBytes;
        case FunctionCode::WriteCoil:
        case FunctionCode::WriteRegister:
        case FunctionCode::WriteCoils:
        case FunctionCode::WriteRegisters:
        case FunctionCode::WriteArea:
            return kEchoReplyBytes;
        case FunctionCode::ReadArea:
            if (r.size() < kAreaHeader) {
                return kAreaHeader;
            }
            return kAreaHeader + *r.u8(PacketByte::Length) + kCrcBytes;
        default:
            return std::nullopt;
    }
}

}  // namespace

int ReplyBytesMissing(const QByteArray& received, const QByteArray& request) {
    const ByteReader r(received);
    const std::optional<std::uint8_t> function = r.u8(1);
    const std::optional<std::uint8_t> asked = ByteReader(request).u8(1);
    if (!function || !asked || (received.size() >= kMinFrameBytes && HasValidCrc(received))) {
        return 0;
    }
    const std::optional<int> length = expectedLength(r, *function, *asked);
    if (!length) {
        return 0;
    }
    return std::max(0, int(*length - received.size()));
}

}  // namespace bdx
