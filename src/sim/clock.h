#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <cstdint>

namespace bdx {

// Local calendar time as the blocks see it; weekday 1 = Monday .. 7 = Sunday.
struct LocalDateTime {
    int year = 2000, month = 1, day = 1;
    int weekday = 6;
    int hour = 0, minute = 0, second = 0;

    static LocalDateTime from(const QDateTime& dateTime);
    bool operator==(const LocalDateTime&) const = default;
};

// Time source of the simulation: a monotonic count of hundredths of a second and the
// local date and time. The application uses the wall clock, tests a manual clock.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::int64_t hundredths() const = 0;
    virtual LocalDateTime now() const = 0;
};

class WallClock : public Clock {
  public:
    WallClock();
    std::int64_t hundredths() const override;
    LocalDateTime now() const override;

  private:
    QElapsedTimer elapsed_;
    // The calendar is read from the system at most once per second: the blocks that use it
    // work in minutes, and reading it costs more than a whole scan.
    mutable std::int64_t cachedSecond_ = -1;
    mutable LocalDateTime cached_;
};

// A clock that moves only when told; the calendar time moves with it.
class ManualClock : public Clock {
  public:
    explicit ManualClock(const QDateTime& start = QDateTime(QDate(2026, 1, 5), QTime(8, 0)));

    std::int64_t hundredths() const override { return hundredths_; }
    LocalDateTime now() const override;

    void advance(std::int64_t hundredths);
    void setDateTime(const QDateTime& dateTime);

  private:
    std::int64_t hundredths_ = 0;
    QDateTime start_;
    int startMsec_ = 0;
    std::int64_t startHundredths_ = 0;
    // Calendar of the last whole second asked for; -1 when it must be worked out again.
    mutable std::int64_t cachedSecond_ = -1;
    mutable LocalDateTime cached_;
};

}  // namespace bdx
