#include "device/device_memory.h"

#include <QRegularExpression>

#include "comm/byte_reader.h"

namespace bdx {

namespace {

constexpr int kFirstYear = 2000, kLastYear = 2099;

QDateTime asDateTime(const LocalDateTime& t) {
    return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second), Qt::UTC);
}

}  // namespace

LocalDateTime DeviceClock::now() const {
    const LocalDateTime base = base_.now();
    if (offset_ == 0) {
        return base;
    }
    // The base clock changes its calendar once a second at most: so does this one.
    if (!cacheValid_ || !(base == cachedBase_)) {
        cachedBase_ = base;
        cached_ = LocalDateTime::from(asDateTime(base).addSecs(offset_));
        cacheValid_ = true;
    }
    return cached_;
}

QDateTime DeviceClock::dateTime() const {
    return asDateTime(now());
}

void DeviceClock::set(const QDateTime& target) {
    setOffset(asDateTime(base_.now()).secsTo(target));
}

DeviceMemory::DeviceMemory(int model, bool bigEndian, const Clock& base)
    : imageBigEndian(bigEndian), clock(base), model_(model), bigEndian_(bigEndian) {
    config = QByteArray(recordSize(), '\0');
}

int DeviceMemory::recordWord(int at) const {
    return ByteReader(config).u16(at, OrderOf(bigEndian_)).value_or(0);
}

void DeviceMemory::setRecordWord(int at, int value) {
    const char high = char((value >> 8) & 0xFF), low = char(value & 0xFF);
    config[at] = bigEndian_ ? high : low;
    config[at + 1] = bigEndian_ ? low : high;
}

int DeviceMemory::password(int level) const {
    if (level == 2) {
        return recordSize() >= ConfigLayout::LargeSize ? recordWord(ConfigLayout::Level2Password) : 0;
    }
    return recordWord(ConfigLayout::Level1Password);
}

int DeviceMemory::passwordFlags() const {
    const bool active =
        (ByteReader(config).u8(ConfigLayout::PasswordByte).value_or(0) & ConfigLayout::PasswordActive) != 0;
    return (password(1) != 0 ? 1 : 0) | (password(2) != 0 ? 2 : 0) | (active ? 4 : 0);
}

int DeviceMemory::extensionFlags() const {
    return ByteReader(config).u8(ConfigLayout::FlagsByte).value_or(0) & ConfigLayout::ModuleBits;
}

std::pair<int, int> DeviceMemory::firmwareVersion() const {
    static const QRegularExpression pattern(QStringLiteral("(\\d+)\\.(\\d+)"));
    const QRegularExpressionMatch m = pattern.match(firmware);
    return m.hasMatch() ? std::pair{m.captured(1).toInt(), m.captured(2).toInt()} : std::pair{0, 0};
}

std::optional<int> DeviceMemory::holdingRegister(int address) const {
    if (address >= kClockRegister && address < kClockRegister + kClockRegisterCount) {
        const LocalDateTime t = clock.now();
        const int values[kClockRegisterCount] = {t.year, t.month, t.day, t.hour, t.minute, t.second};
        return values[address - kClockRegister];
    }
    if (address >= kDstRegister && address < kDstRegister + kDstRegisterCount) {
        return dst[address - kDstRegister];
    }
    if (address >= kCommParamRegister && address < kCommParamRegister + kCommParamCount) {
        const int values[kCommParamCount] = {comm.modbusId, comm.baudIndex, comm.parityIndex,
                                             comm.stopBitIndex};
        return values[address - kCommParamRegister];
    }
    return std::nullopt;
}

int DeviceMemory::writeRegisters(int start, const std::vector<int>& values, bool& changed) {
    changed = false;
    const int end = start + int(values.size());
    const bool clockBlock = start >= kClockRegister && end <= kDstRegister + kDstRegisterCount;
    const bool commBlock = start >= kCommParamRegister && end <= kCommParamRegister + kCommParamCount;
    if (!clockBlock && !commBlock) {
        return ExceptionCode::IllegalAddress;
    }
    if (commBlock) {
        DeviceCommParams next = comm;
        int* fields[kCommParamCount] = {&next.modbusId, &next.baudIndex, &next.parityIndex,
                                        &next.stopBitIndex};
        for (int a = start; a < end; ++a) {
            const int i = a - kCommParamRegister, v = values[a - start];
            if (v < kCommParamRanges[i][0] || v > kCommParamRanges[i][1]) {
                return ExceptionCode::IllegalValue;
            }
            *fields[i] = v;
        }
        changed = !(next == comm);
        comm = next;
        return 0;
    }
    const LocalDateTime t = clock.now();
    int date[kClockRegisterCount] = {t.year, t.month, t.day, t.hour, t.minute, t.second};
    std::array<int, kDstRegisterCount> nextDst = dst;
    bool clockWritten = false;
    for (int a = start; a < end; ++a) {
        const int v = values[a - start];
        if (a < kDstRegister) {
            date[a - kClockRegister] = v;
            clockWritten = true;
        } else {
            const int i = a - kDstRegister;
            if (v < kDstRanges[i][0] || v > kDstRanges[i][1]) {
                return ExceptionCode::IllegalValue;
            }
            nextDst[i] = v;
        }
    }
    if (clockWritten) {
        const QDate d(date[0], date[1], date[2]);
        const QTime tm(date[3], date[4], date[5]);
        if (date[0] < kFirstYear || date[0] > kLastYear || !d.isValid() || !tm.isValid()) {
            return ExceptionCode::IllegalValue;
        }
        clock.set(QDateTime(d, tm, Qt::UTC));
    }
    dst = nextDst;
    changed = true;
    return 0;
}

bool DeviceMemory::setDateItem(int area, QByteArrayView item) {
    const ByteReader r(item);
    const auto at = [&r](int i) { return r.u8(i).value_or(0); };
    const LocalDateTime t = clock.now();
    const QDate date =
        area == Area::Date ? QDate(kFirstYear + at(2), at(1), at(0)) : QDate(t.year, t.month, t.day);
    const QTime time = area == Area::Time ? QTime(at(0), at(1), at(2)) : QTime(t.hour, t.minute, t.second);
    if (!date.isValid() || !time.isValid() || at(area == Area::Date ? 2 : 0) > 99) {
        return false;
    }
    clock.set(QDateTime(date, time, Qt::UTC));
    return true;
}

}  // namespace bdx
