#include "comm/reply_match.h"

#include <gtest/gtest.h>

#include "comm/byte_reader.h"
#include "comm/modbus_crc.h"
#include "comm/modbus_requests.h"
#include "comm/modbus_transaction.h"

// The reply check as the transaction runs it: each request of the program against its proper
// reply and against replies that answer something else.
namespace bdx {
namespace {

QByteArray Sent(QByteArray request) {
    AppendCrc(request);
    return request;
}

QByteArray Reply(const char* hexBody) {
    return WithCrc(QByteArray::fromHex(hexBody));
}

struct Case {
    const char* name;
    QByteArray request;  // CRC filled in
    QByteArray reply;
    int code;
    const char* reason;  // part of the reason; "" when accepted
};

TEST(ReplyMatchTest, RepliesAgainstTheirRequests) {
    const QByteArray readTwo = Sent(ReadRegistersRequest(1, FunctionCode::ReadHoldingRegisters, 0, 2));
    const QByteArray readHolding = Sent(ReadRegistersRequest(1, FunctionCode::ReadHoldingRegisters, 384, 6));
    const QByteArray readInputs = Sent(ReadDiscreteInputsRequest(1, 0, 40));
    const QByteArray writeClock = Sent(WriteRegistersRequest(1, 384, {2030, 1, 2, 3, 4, 5}));
    const QByteArray writeCoils = Sent(WriteCoilsRequest(1, 0, 16, QByteArray::fromHex("0F00")));
    const QByteArray writeCoil =
        Sent(MakeRequest(1, FunctionCode::WriteCoil, QByteArray::fromHex("0003FF00")));
    const QByteArray query = Sent(AreaQueryRequest(1, Area::Time));
    const QByteArray firstPacket = Sent(AreaPacketReadRequest(1, SubCommand::First, Area::ConfigRecord));
    const QByteArray nextPacket = Sent(AreaPacketReadRequest(1, SubCommand::Next, Area::ProgramCode));
    const QByteArray packetWrite =
        Sent(AreaPacketWriteRequest(1, SubCommand::Next, Area::ProgramCode, 2, "abc"));
    const QByteArray stop = Sent(ItemWriteRequest(1, Area::Setting, QByteArray(1, char(DeviceMode::Stop))));
    const QByteArray family = Sent(ModelFamilyRequest(1, 9));
    using namespace ReplyCheck;
    const Case cases[] = {
        // Checked in this order: length, CRC, address, then what the reply says.
        {"empty", readTwo, QByteArray(), TooShort, ""},
        {"three bytes", readTwo, QByteArray::fromHex("010304"), TooShort, ""},
        {"bad crc", readTwo, QByteArray::fromHex("0103040001000A0000"), BadCrc, ""},
        {"bad crc beats wrong address", readTwo, QByteArray::fromHex("0203040001000A0000"), BadCrc, ""},
        {"wrong address", readTwo, Reply("0203040001000A"), WrongAddress, ""},
        {"no request to answer", QByteArray(), Reply("0103040001000A"), WrongAddress, ""},
        {"function-100 exception to a register read", readTwo, Reply("01E402"), Retry, ""},
        // Proper replies.
        {"two registers", readTwo, Reply("0103040001000A"), Ok, ""},
        {"registers", readHolding, Reply("01030C07EE00010002000300040005"), Ok, ""},
        {"inputs", readInputs, Reply("0102050102030405"), Ok, ""},
        {"write echo", writeClock, Reply("011001800006"), Ok, ""},
        {"coils echo", writeCoils, Reply("010F00000010"), Ok, ""},
        {"single coil echo", writeCoil, Reply("01050003FF00"), Ok, ""},
        {"item query", query, Reply("0164000601030A0B0C"), Ok, ""},
        {"record packet", firstPacket, Reply("01640304010B0102030405060708090A0B"), Ok, ""},
        {"next packet, the last", nextPacket, Reply("016403020F02AABB"), Ok, ""},
        {"packet write", packetWrite, Reply("016501020203"), Ok, ""},
        {"item write: status and size", stop, Reply("016500090001"), Ok, ""},
        {"model family echo", family, Reply("0164010E000401090100"), Ok, ""},
        {"exception", writeClock, Reply("019002"), Exception, "exception 2"},
        // Function codes.
        {"read code to a write", stop, Reply("016400090001"), Mismatch, "function code 100"},
        {"register read to the clock write", writeClock, Reply("01030C07EE00010002000300040005"), Mismatch,
         "function code 3"},
        {"exception of another function", writeClock, Reply("018302"), Mismatch, "exception of function 3"},
        {"exception one byte long", writeClock, Reply("01900200"), Mismatch, "6 bytes long; 5"},
        {"exception without code", stop, Reply("01E5"), Mismatch, "4 bytes long; 5"},
        {"function-100 exception stays a retry", query, Reply("01E40200"), Retry, "6 bytes long"},
        // Byte counts.
        {"register count short", readHolding, Reply("01030B07EE00010002000300040005"), Mismatch, "counts 11"},
        {"register frame short", readHolding, Reply("01030C07EE0001000200030004"), Mismatch,
         "15 bytes long; 17"},
        {"no data at all", readHolding, Reply("0103"), Mismatch, "4 bytes long; 17"},
        {"input count short", readInputs, Reply("01020401020304"), Mismatch, "40 bits"},
        {"area length short", query, Reply("0164000601020A0B0C"), Mismatch,
         "announces 2 data bytes but carries 3"},
        {"area reply headless", query, Reply("01640006"), Mismatch, "too short"},
        {"other area", query, Reply("016400050103010203"), Mismatch, "area 5; area 6"},
        {"query answered as a packet", query, Reply("016401060103010203"), Mismatch, "sub-command 1"},
        {"packet answered as a query", nextPacket, Reply("016400020F02AABB"), Mismatch, "sub-command 0"},
        {"packet of an unknown kind", firstPacket, Reply("016405040100"), Mismatch, "sub-command 5"},
        // Echoes.
        {"clock write at another address", writeClock, Reply("011001810006"), Mismatch,
         "address 385; the request wrote at 384"},
        {"clock write of fewer registers", writeClock, Reply("011001800005"), Mismatch, "quantity of 5"},
        {"coil value", writeCoil, Reply("010500030000"), Mismatch, "the value 0"},
        {"echo too long", writeCoils, Reply("010F0000001000"), Mismatch, "9 bytes long; 8"},
        {"item for another area", stop, Reply("016500080001"), Mismatch, "area 8; the request sent 9"},
        {"item as a packet", stop, Reply("016504090001"), Mismatch, "sub-command 4"},
        {"packet number", packetWrite, Reply("016501020303"), Mismatch, "packet number 3"},
        {"packet length", packetWrite, Reply("016501020202"), Mismatch, "length 2"},
    };
    for (const Case& c : cases) {
        QByteArray request = c.request;
        QString reason;
        EXPECT_EQ(ValidateReply(c.reply, request, &reason), c.code) << c.name << ": " << reason.toStdString();
        EXPECT_TRUE(reason.contains(QLatin1String(c.reason))) << c.name << ": " << reason.toStdString();
        EXPECT_EQ(request, c.request) << c.name;  // only a model family answer corrects it
        if (c.code == Ok || c.code == Mismatch) {
            EXPECT_EQ(ReplyMismatch(c.request, c.reply).has_value(), c.code == Mismatch) << c.name;
        }
    }
}

// Every read width in both orders, at the edges of a five-byte sequence: inside it gives the
// number, one byte past either end gives nothing.
TEST(ByteReader, ReadsInsideAndNothingPastEitherEnd) {
    const QByteArray bytes = QByteArray::fromHex("0102A0B0FF");
    const ByteReader r(bytes);
    using U = std::optional<std::uint32_t>;
    struct Case {
        qsizetype at;
        U u8, be16, le16, be32, le32;
    };
    const Case cases[] = {
        {0, 0x01, 0x0102, 0x0201, 0x0102A0B0, 0xB0A00201},
        {1, 0x02, 0x02A0, 0xA002, 0x02A0B0FF, 0xFFB0A002},
        {3, 0xB0, 0xB0FF, 0xFFB0, {}, {}},
        {4, 0xFF, {}, {}, {}, {}},
        {5, {}, {}, {}, {}, {}},
        {-1, {}, {}, {}, {}, {}},
    };
    const auto widen = [](auto v) { return v ? U(*v) : U(); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.at);
        EXPECT_EQ(widen(r.u8(c.at)), c.u8);
        EXPECT_EQ(widen(r.u16be(c.at)), c.be16);
        EXPECT_EQ(widen(r.u16le(c.at)), c.le16);
        EXPECT_EQ(widen(r.u16(c.at, ByteOrder::Big)), c.be16);
        EXPECT_EQ(r.u32be(c.at), c.be32);
        EXPECT_EQ(r.u32le(c.at), c.le32);
        EXPECT_EQ(r.u32(c.at, OrderOf(false)), c.le32);
    }
}

TEST(ByteReader, SlicesOnlyWhatIsThere) {
    const QByteArray bytes("abcdef");
    const ByteReader r(bytes);
    EXPECT_EQ(r.bytes(2, 3)->toByteArray(), "cde");
    EXPECT_EQ(r.bytes(6, 0)->size(), 0);
    const std::pair<int, int> outside[] = {{4, 3}, {-1, 2}, {2, -1}, {7, 0}, {0, 7}};
    for (const auto& [at, count] : outside) {
        EXPECT_FALSE(r.bytes(at, count)) << at << ' ' << count;
        EXPECT_FALSE(r.has(at, count)) << at << ' ' << count;
    }
    EXPECT_FALSE(ByteReader(QByteArrayView()).u8(0));
}

}  // namespace
}  // namespace bdx
