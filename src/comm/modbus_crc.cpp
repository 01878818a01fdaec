#include "modbus_crc.h"

#include <array>

namespace bdx {

namespace {

// The two 256-entry tables of the serial line standard: the high and low byte of the CRC for
// each value of (CRC low byte XOR data byte).
constexpr std::array<std::uint8_t, 256> makeTable(bool high) {
    std::array<std::uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i) {
        std::uint16_t crc = static_cast<std::uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) != 0 ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                                 : static_cast<std::uint16_t>(crc >> 1);
        }
        table[i] = static_cast<std::uint8_t>(high ? crc >> 8 : crc & 0xFF);
    }
    return table;
}

constexpr auto kHigh = makeTable(true);
constexpr auto kLow = makeTable(false);

}  // namespace

std::uint16_t ModbusCrc(const char* data, qsizetype length) {
    std::uint8_t low = 0xFF;
    std::uint8_t high = 0xFF;
    for (qsizetype i = 0; i < length; ++i) {
        const std::uint8_t index = low ^ static_cast<std::uint8_t>(data[i]);
        low = high ^ kLow[index];
        high = kHigh[index];
    }
    return static_cast<std::uint16_t>(high << 8 | low);
}

void AppendCrc(QByteArray& frame) {
    if (frame.size() < 2) {
        return;
    }
    const std::uint16_t crc = ModbusCrc(frame.constData(), frame.size() - 2);
    frame[frame.size() - 2] = static_cast<char>(crc & 0xFF);
    frame[frame.size() - 1] = static_cast<char>(crc >> 8);
}

QByteArray WithCrc(QByteArray body) {
    body.append(2, '\0');
    AppendCrc(body);
    return body;
}

bool HasValidCrc(const QByteArray& frame) {
    if (frame.size() < 4) {
        return false;
    }
    const std::uint16_t crc = ModbusCrc(frame.constData(), frame.size() - 2);
    return static_cast<std::uint8_t>(frame[frame.size() - 2]) == (crc & 0xFF) &&
           static_cast<std::uint8_t>(frame[frame.size() - 1]) == (crc >> 8);
}

}  // namespace bdx
