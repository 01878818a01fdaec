// libFuzzer target for the transaction's reply check: a request of the program built from the
// first input bytes, the rest taken as the reply. Whatever the check accepts must really answer
// that request (function, byte count, echo, area), re-derived here from the frames alone; a
// refused reply must leave the request as it was, bar the model-family correction.
//
// Input: byte 0 = request kind (bits 0-3) and whether to give the reply a valid CRC (bit 7);
// bytes 1-6 = the request's parameters; the rest = the reply.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_require.h"

#include "comm/modbus_crc.h"
#include "comm/modbus_requests.h"
#include "comm/modbus_transaction.h"
#include "comm/reply_match.h"

namespace {

using namespace bdx;

QByteArray buildRequest(int kind, const std::uint8_t* p) {
    const std::uint8_t address = p[0];
    const int word = (p[2] << 8) | p[3];
    const QByteArray filler(p[4] % 8, static_cast<char>(p[5]));
    switch (kind) {
        case 0:
            return ReadRegistersRequest(address, 1 + p[1] % 4, word, ((p[4] << 8) | p[5]) % 2001);
        case 1:
            return WriteRegistersRequest(address, word, std::vector<std::uint16_t>(1 + p[4] % 123, p[5]));
        case 2:
            return WriteCoilsRequest(address, word, 1 + p[4] % 64, filler);
        case 3:
            return MakeRequest(address, p[1] & 1 ? FunctionCode::WriteRegister : FunctionCode::WriteCoil,
                               QByteArray(reinterpret_cast<const char*>(p + 2), 4));
        case 4:
            return AreaQueryRequest(address, p[1], filler);
        case 5:
            return AreaPacketReadRequest(address, p[2] % 5, p[1]);
        case 6:
            return AreaPacketWriteRequest(address, p[2] % 5, p[1], p[3], QByteArray(p[4] % 201, 'x'));
        case 7:
            return ItemWriteRequest(address, p[1], filler);
        case 8:
            return ModelFamilyRequest(address, p[1]);
        case 9:
            return IdentityRequest(address);
        default:
            return MakeRequest(address, p[1], filler);
    }
}

int at(const QByteArray& frame, int i) {
    return static_cast<std::uint8_t>(frame.at(i));
}

// What an accepted reply must be, stated from the frames without the check's own code.
void requireAnswers(const QByteArray& request, const QByteArray& reply) {
    FUZZ_REQUIRE(reply.size() >= kMinFrameBytes && HasValidCrc(reply));
    FUZZ_REQUIRE(at(reply, 0) == at(request, 0) && at(reply, 1) == at(request, 1));
    const int function = at(request, 1);
    const int quantity = request.size() >= 6 ? (at(request, 4) << 8) | at(request, 5) : -1;
    switch (function) {
        case FunctionCode::ReadCoils:
        case FunctionCode::ReadDiscreteInputs:
        case FunctionCode::ReadHoldingRegisters:
        case FunctionCode::ReadInputRegisters: {
            const int bytes =
                function <= FunctionCode::ReadDiscreteInputs ? (quantity + 7) / 8 : 2 * quantity;
            FUZZ_REQUIRE(at(reply, 2) == bytes && reply.size() == 5 + bytes);
            break;
        }
        case FunctionCode::WriteCoil:
        case FunctionCode::WriteRegister:
        case FunctionCode::WriteCoils:
        case FunctionCode::WriteRegisters:
            FUZZ_REQUIRE(reply.size() == 8 && reply.mid(2, 4) == request.mid(2, 4));
            break;
        case FunctionCode::ReadArea:
            FUZZ_REQUIRE(reply.size() == 8 + at(reply, 5));
            FUZZ_REQUIRE(at(reply, 3) == at(request, 3) ||
                    (at(request, 3) == Area::ModelFamily && at(reply, 3) == kModelCheckAltArea));
            break;
        case FunctionCode::WriteArea:
            FUZZ_REQUIRE(reply.size() == 8 && reply.mid(2, 2) == request.mid(2, 2));
            FUZZ_REQUIRE(at(request, 2) == SubCommand::Item || reply.mid(4, 2) == request.mid(4, 2));
            break;
        default:
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kHeader = 7;
    if (size < kHeader) {
        return 0;
    }
    QByteArray request = buildRequest(data[0] & 0x0F, data + 1);
    AppendCrc(request);
    QByteArray reply(reinterpret_cast<const char*>(data + kHeader), static_cast<qsizetype>(size - kHeader));
    if ((data[0] & 0x80) != 0) {
        reply = WithCrc(reply);
    }
    const QByteArray sent = request;
    QString reason;
    const int code = ValidateReply(reply, request, &reason);
    FUZZ_REQUIRE(request.size() == sent.size());
    switch (code) {
        case ReplyCheck::Ok:
            FUZZ_REQUIRE(request == sent && reason.isEmpty() && !ReplyMismatch(request, reply));
            requireAnswers(request, reply);
            break;
        case ReplyCheck::Mismatch:
            FUZZ_REQUIRE(request == sent && !reason.isEmpty() && ReplyMismatch(request, reply));
            break;
        case ReplyCheck::Retry:
            FUZZ_REQUIRE(!reason.isEmpty());
            break;
        default:
            FUZZ_REQUIRE(request == sent && !reason.isEmpty() &&
                    (code == ReplyCheck::WrongAddress || code == ReplyCheck::Exception ||
                     code == ReplyCheck::BadCrc || code == ReplyCheck::TooShort));
            break;
    }
    return 0;
}
