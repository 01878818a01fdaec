#include "simulation_clock.h"

#include <algorithm>
#include <limits>

namespace bdx {

void SimulationClock::startRun(std::int64_t wall, const QDateTime& calendar) {
    time_.setDateTime(calendar);
    paused_ = false;
    nextScan_ = 0;
    runTime_ = 0;
    // The first scan is due at once.
    anchorWall_ = wall;
    anchorRun_ = 0;
}

void SimulationClock::anchor(std::int64_t wall) {
    anchorWall_ = wall;
    anchorRun_ = nextScan_ - 1;
}

void SimulationClock::setScale(TimeScale scale, std::int64_t wall) {
    if (scale != scale_) {
        scale_ = scale;
        anchor(wall);
    }
}

void SimulationClock::resume(std::int64_t wall) {
    if (paused_) {
        paused_ = false;
        anchor(wall);
    }
}

std::int64_t SimulationClock::dueScans(std::int64_t wall) const {
    if (paused_) {
        return 0;
    }
    if (scale_ == TimeScale::Fastest) {
        return std::numeric_limits<std::int64_t>::max();
    }
    const std::int64_t target = anchorRun_ + std::max<std::int64_t>(wall - anchorWall_, 0) * TimeScaleFactor(scale_);
    return std::max<std::int64_t>(target + 1 - nextScan_, 0);
}

void SimulationClock::skipScans(std::int64_t count) {
    nextScan_ += std::max<std::int64_t>(count, 0);
}

void SimulationClock::beginScan() {
    time_.advance(nextScan_ - runTime_);
    runTime_ = nextScan_++;
}

}  // namespace bdx
