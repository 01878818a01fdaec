#pragma once

#include <QByteArray>
#include <cstdint>

// The CRC-16 of Modbus RTU frames (polynomial 0xA001 reflected, initial value 0xFFFF), sent
// low-order byte first.
namespace bdx {

std::uint16_t ModbusCrc(const char* data, qsizetype length);
inline std::uint16_t ModbusCrc(const QByteArray& data) {
    return ModbusCrc(data.constData(), data.size());
}

// Computes the CRC over every byte but the last two and stores it there, low byte first.
// A frame shorter than two bytes is left as it is.
void AppendCrc(QByteArray& frame);

// The frame `body` followed by its CRC, low byte first.
QByteArray WithCrc(QByteArray body);

// A frame of at least 4 bytes whose last two bytes are the CRC of the others.
bool HasValidCrc(const QByteArray& frame);

}  // namespace bdx
