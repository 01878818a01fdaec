#include "reply_match.h"

#include <algorithm>
#include <cstdint>

#include "comm/byte_reader.h"
#include "comm/comm_texts.h"
#include "comm/device_protocol.h"

namespace bdx {

namespace {

using Reason = std::optional<QString>;

// An exception reply: address, function + 128, one code byte, CRC.
constexpr int kExceptionSize = 5;
// The echo of a write (5, 6, 15, 16) and the answer to every function-101 request.
constexpr int kEchoSize = 8;
// Address, function and byte count before the data of a function 1-4 reply.
constexpr int kReadHeader = 3;

// A byte or word of a frame; -1 when the frame ends before it, which no real value equals.
int byteAt(const ByteReader& frame, int at) {
    return frame.u8(at) ? int(*frame.u8(at)) : -1;
}
int wordAt(const ByteReader& frame, int at) {
    return frame.u16be(at) ? int(*frame.u16be(at)) : -1;
}

Reason frameSize(const ByteReader& reply, qsizetype expected) {
    if (reply.size() == expected) {
        return std::nullopt;
    }
    return LoadText(CommText::ReplySize).arg(reply.size()).arg(expected);
}

// Functions 1-4: the byte count must be what the quantity asked for takes, and fill the frame.
Reason checkRead(const ByteReader& request, const ByteReader& reply, bool bits) {
    const int quantity = wordAt(request, 4);
    if (quantity < 0) {
        return LoadText(CommText::RequestWithoutQuantity);
    }
    const int expected = bits ? (quantity + 7) / 8 : 2 * quantity;
    if (!reply.has(0, kReadHeader + kCrcBytes)) {
        return frameSize(reply, kReadHeader + expected + kCrcBytes);
    }
    const int count = byteAt(reply, 2);
    if (count != expected) {
        return LoadText(bits ? CommText::ReplyBitCount : CommText::ReplyRegisterCount)
            .arg(count)
            .arg(quantity)
            .arg(expected);
    }
    return frameSize(reply, kReadHeader + expected + kCrcBytes);
}

// Functions 5, 6, 15, 16: the reply repeats the address and the value or quantity written.
Reason checkEcho(const ByteReader& request, const ByteReader& reply, bool single) {
    if (Reason size = frameSize(reply, kEchoSize)) {
        return size;
    }
    if (wordAt(reply, 2) != wordAt(request, 2)) {
        return LoadText(CommText::ReplyEchoAddress).arg(wordAt(reply, 2)).arg(wordAt(request, 2));
    }
    if (wordAt(reply, 4) != wordAt(request, 4)) {
        return LoadText(single ? CommText::ReplyEchoValue : CommText::ReplyEchoQuantity)
            .arg(wordAt(reply, 4))
            .arg(wordAt(request, 4));
    }
    return std::nullopt;
}

// Function 100: the reply is for the area asked for, with the sub-command that answers the
// request, and its data length byte fills the frame exactly.
Reason checkAreaRead(const ByteReader& request, const ByteReader& reply) {
    if (!reply.has(0, PacketByte::Data + kCrcBytes)) {
        return LoadText(CommText::ReplyAreaTooShort).arg(reply.size());
    }
    const int length = byteAt(reply, PacketByte::Length);
    if (reply.size() != PacketByte::Data + length + kCrcBytes) {
        return LoadText(CommText::ReplyAreaLength)
            .arg(length)
            .arg(reply.size() - PacketByte::Data - kCrcBytes);
    }
    const int area = byteAt(request, PacketByte::Area);
    const int answered = byteAt(reply, PacketByte::Area);
    const bool modelCheck = area == Area::ModelFamily;
    if (answered != area && !(modelCheck && answered == kModelCheckAltArea)) {
        return LoadText(CommText::ReplyOtherArea).arg(answered).arg(area);
    }
    const int sub = byteAt(request, PacketByte::SubCommand);
    const int replySub = byteAt(reply, PacketByte::SubCommand);
    // A query is answered as a query, a packet request with a packet (whose sub-command says
    // whether it is the last). The model-family check echoes its request, which its own check
    // compares.
    const auto isPacket = [](int s) {
        return s == SubCommand::First || s == SubCommand::Next || s == SubCommand::Repeat ||
               s == SubCommand::Last;
    };
    const bool subMatches = modelCheck || (sub == SubCommand::Item ? replySub == sub : isPacket(replySub));
    if (!subMatches) {
        return LoadText(CommText::ReplyOtherSubCommand).arg(replySub).arg(sub);
    }
    return std::nullopt;
}

// Function 101: the reply repeats sub-command and area, and for a packet its number and length.
Reason checkAreaWrite(const ByteReader& request, const ByteReader& reply) {
    if (Reason size = frameSize(reply, kEchoSize)) {
        return size;
    }
    struct Field {
        int at;
        int text;  // "The reply confirms <field> %1; the request sent %2."
    };
    static constexpr Field kItemFields[] = {{PacketByte::SubCommand, CommText::ReplyEchoSubCommand},
                                            {PacketByte::Area, CommText::ReplyEchoArea}};
    static constexpr Field kPacketFields[] = {{PacketByte::Number, CommText::ReplyEchoPacket},
                                              {PacketByte::Length, CommText::ReplyEchoLength}};
    const auto compare = [&](const Field& field) -> Reason {
        if (byteAt(reply, field.at) == byteAt(request, field.at)) {
            return std::nullopt;
        }
        return LoadText(field.text).arg(byteAt(reply, field.at)).arg(byteAt(request, field.at));
    };
    for (const Field& field : kItemFields) {
        if (Reason reason = compare(field)) {
            return reason;
        }
    }
    // An item's reply carries a status and the item's size instead.
    if (byteAt(request, PacketByte::SubCommand) != SubCommand::Item) {
        for (const Field& field : kPacketFields) {
            if (Reason reason = compare(field)) {
                return reason;
            }
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<QString> ReplyMismatch(const QByteArray& request, const QByteArray& reply) {
    // The request's fields without its CRC: a field the request lacks matches nothing.
    const ByteReader q(QByteArrayView(request).first(std::max<qsizetype>(request.size() - kCrcBytes, 0)));
    const ByteReader r(reply);
    const int asked = byteAt(q, 1);
    const int answered = byteAt(r, 1);
    if (asked < 0 || answered < 0) {
        return LoadText(CommText::ReplyNoFunction);
    }
    if ((answered & FunctionCode::ExceptionFlag) != 0) {
        if (answered != (asked | FunctionCode::ExceptionFlag)) {
            return LoadText(CommText::ReplyOtherException)
                .arg(answered & ~FunctionCode::ExceptionFlag)
                .arg(asked);
        }
        if (r.size() != kExceptionSize) {
            return LoadText(CommText::ReplyExceptionSize).arg(r.size()).arg(kExceptionSize);
        }
        return std::nullopt;
    }
    if (answered != asked) {
        return LoadText(CommText::ReplyOtherFunction).arg(answered).arg(asked);
    }
    switch (asked) {
        case FunctionCode::ReadCoils:
        case FunctionCode::ReadDiscreteInputs:
            return checkRead(q, r, true);
        case FunctionCode::ReadHoldingRegisters:
        case FunctionCode::ReadInputRegisters:
            return checkRead(q, r, false);
        case FunctionCode::WriteCoil:
        case FunctionCode::WriteRegister:
            return checkEcho(q, r, true);
        case FunctionCode::WriteCoils:
        case FunctionCode::WriteRegisters:
            return checkEcho(q, r, false);
        case FunctionCode::ReadArea:
            return checkAreaRead(q, r);
        case FunctionCode::WriteArea:
            return checkAreaWrite(q, r);
        default:
            return std::nullopt;  // function 17 and others: their parsers check the content
    }
}

}  // namespace bdx
