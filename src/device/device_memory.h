#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "comm/comm_settings.h"
#include "comm/device_image.h"
#include "comm/device_protocol.h"
#include "sim/clock.h"

// What the virtual device keeps: the program image, the configuration record, the registers
// behind function codes 3, 6 and 16, the backlight setting, the firmware text and its calendar.
namespace bdx {

// The device's real-time clock: the given clock moved by the offset the program set, so that
// time switches run on the device's own calendar.
class DeviceClock : public Clock {
  public:
    explicit DeviceClock(const Clock& base) : base_(base) {}

    std::int64_t hundredths() const override { return base_.hundredths(); }
    LocalDateTime now() const override;

    QDateTime dateTime() const;
    void set(const QDateTime& target);
    qint64 offset() const { return offset_; }
    void setOffset(qint64 seconds) {
        offset_ = seconds;
        cacheValid_ = false;
    }

  private:
    const Clock& base_;
    qint64 offset_ = 0;
    mutable bool cacheValid_ = false;
    mutable LocalDateTime cachedBase_;
    mutable LocalDateTime cached_;
};

class DeviceMemory {
  public:
    DeviceMemory(int model, bool bigEndian, const Clock& base);

    int model() const { return model_; }
    int recordSize() const { return ConfigRecordSize(model_); }

    DeviceImage image{};
    bool imageBigEndian = true;  // the order the stored image was written in
    QByteArray config;           // recordSize() bytes
    std::array<int, kDstRegisterCount> dst{};
    DeviceCommParams comm;
    int backlight = 0;
    QString firmware;
    DeviceClock clock;

    // Configuration record words in the device's byte order.
    int recordWord(int at) const;
    void setRecordWord(int at, int value);
    // The password of level 1 or 2; 0 for none (and for level 2 of an 8-byte record).
    int password(int level) const;
    // Bit 0: level 1 set, bit 1: level 2 set, bit 2: program password active.
    int passwordFlags() const;
    int extensionFlags() const;

    // The main and minor number of the firmware text ("V2.10" gives 2, 10), or 0, 0.
    std::pair<int, int> firmwareVersion() const;

    // A holding register: the clock, the daylight-saving block or the communication parameters.
    std::optional<int> holdingRegister(int address) const;
    // Writes a run of holding registers within one block; 0, or the exception code. The whole
    // write is checked before anything changes; `changed` tells whether anything did.
    int writeRegisters(int start, const std::vector<int>& values, bool& changed);
    // Sets the calendar from a date or a time item (the other half stays); false when invalid.
    bool setDateItem(int area, QByteArrayView item);

  private:
    int model_;
    bool bigEndian_;
};

}  // namespace bdx
