#include "reply_faults.h"

#include "comm/byte_reader.h"
#include "comm/modbus_crc.h"

namespace bdx {

namespace {

// The read that goes with each write: what a confused device might answer instead.
int ReadCounterpart(int function) {
    switch (function) {
        case FunctionCode::WriteCoil:
        case FunctionCode::WriteCoils:
            return FunctionCode::ReadCoils;
        case FunctionCode::WriteRegister:
        case FunctionCode::WriteRegisters:
            return FunctionCode::ReadHoldingRegisters;
        case FunctionCode::WriteArea:
            return FunctionCode::ReadArea;
        default:
            return -1;  // not a write
    }
}

void Bump(QByteArray& frame, int at, int by) {
    frame[at] = static_cast<char>(static_cast<std::uint8_t>(frame.at(at)) + by);
}

}  // namespace

QByteArray MisanswerReply(FaultMode mode, const QByteArray& request, const QByteArray& reply) {
    const int function = ByteReader(request).u8(1).value_or(0);
    const bool write = ReadCounterpart(function) >= 0;
    const bool exception = (ByteReader(reply).u8(1).value_or(0) & FunctionCode::ExceptionFlag) != 0;
    if (reply.size() < kMinFrameBytes) {
        return reply;
    }
    QByteArray out = reply;
    switch (mode) {
        case FaultMode::WrongFunction:
            if (!write || exception) {
                return reply;
            }
            out[1] = static_cast<char>(ReadCounterpart(function));
            break;
        case FaultMode::WrongId:
            if (!write) {
                return reply;
            }
            Bump(out, 0, 1);
            break;
        case FaultMode::WrongEcho:
            // The low byte of the start address of 5/6/15/16, the area of 101.
            if (!write || exception || out.size() <= 3 + kCrcBytes) {
                return reply;
            }
            Bump(out, 3, 1);
            break;
        case FaultMode::ShortCount: {
            // Reads 1-4 count their data in byte 2, function 100 in byte 5; the data stay whole.
            const int countAt =
                function >= FunctionCode::ReadCoils && function <= FunctionCode::ReadInputRegisters ? 2
                : function == FunctionCode::ReadArea ? PacketByte::Length
                                                     : -1;
            if (countAt < 0 || exception || out.size() <= countAt + kCrcBytes || out.at(countAt) == 0) {
                return reply;
            }
            Bump(out, countAt, -1);
            break;
        }
        case FaultMode::BadException:
            if (!write) {
                return reply;
            }
            // Function + 128 and a code, then a byte too many.
            out = out.left(1);
            out.append(static_cast<char>(function | FunctionCode::ExceptionFlag));
            out.append(static_cast<char>(ExceptionCode::Busy));
            out.append('\0');
            out.append(kCrcBytes, '\0');
            break;
        default:
            return reply;
    }
    AppendCrc(out);
    return out;
}

}  // namespace bdx
