#pragma once

#include <QDateTime>
#include <cstdint>

#include "clock.h"

namespace bdx {

// How fast the simulated time of a run with the PC goes against the wall clock. Fastest has no
// tie to the wall clock at all: each scan is one interval after the one before, however little
// wall time it took.
enum class TimeScale : std::uint8_t { X1, X10, X100, Fastest };
inline constexpr int kTimeScales = 4;

// Simulated seconds per wall second; 0 for Fastest.
constexpr int TimeScaleFactor(TimeScale scale) {
    return scale == TimeScale::X1 ? 1 : scale == TimeScale::X10 ? 10 : scale == TimeScale::X100 ? 100 : 0;
}

// The time a run with the PC runs on, so that the user can pause it, step it and speed it up.
// One scan is due per hundredth of simulated time, and each scan moves the clock to its own
// time: a paused run's time stands still, a step adds exactly one hundredth, and at ten times
// the speed a 5 s timer ends after 0.5 s of wall time. The runner asks which scans are due by
// its wall time (in hundredths) and runs them; the blocks read the time of the scan they are in.
class SimulationClock : public Clock {
  public:
    explicit SimulationClock(const QDateTime& calendar = QDateTime::currentDateTime()) : time_(calendar) {}

    std::int64_t hundredths() const override { return time_.hundredths(); }
    LocalDateTime now() const override { return time_.now(); }

    // A new run at wall time `wall`, its calendar from `calendar`, not paused; the scale stays.
    // The count of hundredths goes on from the last run, so it never runs back.
    void startRun(std::int64_t wall, const QDateTime& calendar);

    TimeScale scale() const { return scale_; }
    void setScale(TimeScale scale, std::int64_t wall);
    bool paused() const { return paused_; }
    void pause() { paused_ = true; }
    // Time goes on from the latest scan: the next one is due one interval after `wall`.
    void resume(std::int64_t wall);

    // Scans due by wall time `wall` that have not run: none while paused, no limit at Fastest
    // (the caller's budget decides).
    std::int64_t dueScans(std::int64_t wall) const;
    // Lets `count` due scans go unrun; the time jumps past them, so the blocks lose no time.
    void skipScans(std::int64_t count);
    // The next scan is about to run: the clock shows its time.
    void beginScan();
    // Simulated time of the latest scan since the run started, in hundredths.
    std::int64_t runTime() const { return runTime_; }

  private:
    void anchor(std::int64_t wall);

    ManualClock time_;
    TimeScale scale_ = TimeScale::X1;
    bool paused_ = false;
    std::int64_t nextScan_ = 0;  // run time of the next scan
    std::int64_t runTime_ = 0;
    // At wall time anchorWall_ the run time was anchorRun_; it grows by the scale from there.
    std::int64_t anchorWall_ = 0;
    std::int64_t anchorRun_ = -1;
};

}  // namespace bdx
