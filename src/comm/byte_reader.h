#pragma once

#include <QByteArrayView>
#include <cstdint>
#include <optional>

// Reads numbers at given positions of a byte sequence that may come from anyone: a device's
// reply, a request, a package file. A read that would reach past either end gives nothing;
// nothing outside the bytes is ever touched.
namespace bdx {

enum class ByteOrder { Big, Little };

class ByteReader {
  public:
    explicit ByteReader(QByteArrayView bytes) : bytes_(bytes) {}

    qsizetype size() const { return bytes_.size(); }
    // Whether `count` bytes from `at` are all inside.
    bool has(qsizetype at, qsizetype count = 1) const {
        return at >= 0 && count >= 0 && count <= size() && at <= size() - count;
    }

    std::optional<std::uint8_t> u8(qsizetype at) const {
        if (!has(at)) {
            return std::nullopt;
        }
        return static_cast<std::uint8_t>(bytes_[at]);
    }
    std::optional<std::uint16_t> u16(qsizetype at, ByteOrder order) const {
        const std::optional<std::uint32_t> v = number(at, 2, order);
        return v ? std::optional<std::uint16_t>(static_cast<std::uint16_t>(*v)) : std::nullopt;
    }
    std::optional<std::uint32_t> u32(qsizetype at, ByteOrder order) const { return number(at, 4, order); }
    std::optional<std::uint16_t> u16be(qsizetype at) const { return u16(at, ByteOrder::Big); }
    std::optional<std::uint16_t> u16le(qsizetype at) const { return u16(at, ByteOrder::Little); }
    std::optional<std::uint32_t> u32be(qsizetype at) const { return u32(at, ByteOrder::Big); }
    std::optional<std::uint32_t> u32le(qsizetype at) const { return u32(at, ByteOrder::Little); }

    // `count` bytes from `at`, viewing the same memory.
    std::optional<QByteArrayView> bytes(qsizetype at, qsizetype count) const {
        if (!has(at, count)) {
            return std::nullopt;
        }
        return bytes_.sliced(at, count);
    }

  private:
    std::optional<std::uint32_t> number(qsizetype at, int count, ByteOrder order) const {
        if (!has(at, count)) {
            return std::nullopt;
        }
        std::uint32_t value = 0;
        for (int i = 0; i < count; ++i) {
            const int shift = 8 * (order == ByteOrder::Big ? count - 1 - i : i);
            value |= std::uint32_t(static_cast<std::uint8_t>(bytes_[at + i])) << shift;
        }
        return value;
    }

    QByteArrayView bytes_;
};

inline ByteOrder OrderOf(bool bigEndian) {
    return bigEndian ? ByteOrder::Big : ByteOrder::Little;
}

}  // namespace bdx
