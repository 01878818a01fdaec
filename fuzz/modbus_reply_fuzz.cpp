// libFuzzer target for everything that reads a device's reply: the reply check and the packet
// and register parsers. Any bytes must be refused or parsed without reading or writing outside
// the arrays, and what is accepted must fit what the frame holds.
//
// Input: byte 0 picks the packet count and register count for this run; the rest is a series
// of replies, each prefixed with its length byte.
#include <cstdint>
#include <cstdlib>

#include "fuzz_require.h"

#include "comm/modbus_requests.h"
#include "comm/modbus_transaction.h"

namespace {

using namespace bdx;

void checkOne(const QByteArray& reply, int count) {
    // The model-family request is the one ValidateReply may rewrite: it must keep its size.
    QByteArray request = ModelFamilyRequest(reply.isEmpty() ? 1 : static_cast<std::uint8_t>(reply.at(0)), 3);
    const qsizetype requestSize = request.size();
    const int code = ValidateReply(reply, request);
    FUZZ_REQUIRE(request.size() == requestSize);
    FUZZ_REQUIRE(code == ReplyCheck::Ok || code == ReplyCheck::Retry || code == ReplyCheck::Mismatch ||
                 (code >= ReplyCheck::WrongAddress && code <= ReplyCheck::TooShort));
    QByteArray tiny(1, '\x01');
    ValidateReply(reply, tiny);
    FUZZ_REQUIRE(tiny.size() == 1);

    if (const auto packet = ParseAreaPacket(reply)) {
        FUZZ_REQUIRE(packet->data.size() <= kPacketSize && packet->data.size() + 8 <= reply.size());
    }
    if (const auto item = ParseItemData(reply)) {
        FUZZ_REQUIRE(item->size() + 8 == reply.size());
    }
    if (const auto values = ParseRegisters(reply, count)) {
        FUZZ_REQUIRE(static_cast<int>(values->size()) == count && 3 + 2 * count + 2 <= reply.size());
    }
    if (const auto bits = ParseBits(reply, count)) {
        FUZZ_REQUIRE(bits->size() == count);
    }
    if (const auto identity = ParseIdentity(reply)) {
        FUZZ_REQUIRE(identity->modelCode >= 0 && identity->modelCode <= 99 && identity->firmware.size() == 9);
    }
    ParsePacketCount(reply);
    ModelFamilyAccepted(reply, static_cast<std::uint8_t>(count));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const int packets = data[0] % 32;
    const int count = data[0] % 130;
    AreaReadAssembler assembler(packets, data[0] & 1 ? 2 : -1);
    std::size_t at = 1;
    while (at < size) {
        const std::size_t length = std::min<std::size_t>(data[at], size - at - 1);
        const QByteArray reply(reinterpret_cast<const char*>(data + at + 1), static_cast<qsizetype>(length));
        at += 1 + length;
        checkOne(reply, count);
        const int before = assembler.packetsRead();
        const auto step = assembler.accept(reply);
        FUZZ_REQUIRE(assembler.packetsRead() <= packets);
        FUZZ_REQUIRE(assembler.data().size() <= qsizetype(assembler.packetsRead()) * kPacketSize);
        if (step != AreaReadAssembler::Step::More) {
            FUZZ_REQUIRE(step == AreaReadAssembler::Step::Refused || assembler.packetsRead() >= before);
            break;
        }
    }
    return 0;
}
