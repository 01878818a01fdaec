#include "comm/byte_reader.h"

#include <gtest/gtest.h>

#include <QByteArray>

namespace bdx {
namespace {

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
