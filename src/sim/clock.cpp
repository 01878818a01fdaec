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
    return LocalDateTime::from(QDateTime::currentDateTime());
}

ManualClock::ManualClock(const QDateTime& start) : start_(start) {}

LocalDateTime ManualClock::now() const {
    return LocalDateTime::from(start_.addMSecs((hundredths_ - startHundredths_) * 10));
}

void ManualClock::advance(std::int64_t hundredths) {
    if (hundredths > 0) {
        hundredths_ += hundredths;
    }
}

void ManualClock::setDateTime(const QDateTime& dateTime) {
    start_ = dateTime;
    startHundredths_ = hundredths_;
}

}  // namespace bdx
