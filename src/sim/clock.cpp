#include "clock.h"

namespace bdx {

LocalDateTime LocalDateTime::from(const QDateTime& dateTime) {
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    return {date.year(), date.month(),  date.day(),   date.dayOfWeek(),
            time.hour(), time.minute(), time.second()};
}

WallClock::WallClock() {
    elapsed_.start();
}

std::int64_t WallClock::hundredths() const {
    return elapsed_.elapsed() / 10;
}

LocalDateTime WallClock::now() const {
    const std::int64_t second = elapsed_.elapsed() / 1000;
    if (second != cachedSecond_) {
        cached_ = LocalDateTime::from(QDateTime::currentDateTime());
        cachedSecond_ = second;
    }
    return cached_;
}

ManualClock::ManualClock(const QDateTime& start) : start_(start), startMsec_(start.time().msec()) {}

LocalDateTime ManualClock::now() const {
    const std::int64_t second = ((hundredths_ - startHundredths_) * 10 + startMsec_) / 1000;
    if (second != cachedSecond_) {
        cached_ = LocalDateTime::from(start_.addMSecs((hundredths_ - startHundredths_) * 10));
        cachedSecond_ = second;
    }
    return cached_;
}

void ManualClock::advance(std::int64_t hundredths) {
    if (hundredths > 0) {
        hundredths_ += hundredths;
    }
}

void ManualClock::setDateTime(const QDateTime& dateTime) {
    start_ = dateTime;
    startMsec_ = dateTime.time().msec();
    startHundredths_ = hundredths_;
    cachedSecond_ = -1;
}

}  // namespace bdx
