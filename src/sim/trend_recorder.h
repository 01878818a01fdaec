#pragma once

#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <optional>
#include <vector>

#include "sim_operands.h"

namespace bdx {

class PcSimulation;

// One recorded change: from `time` (hundredths of a second) on, the operand has `value`.
struct TrendPoint {
    std::int64_t time = 0;
    double value = 0.0;
};

// The changes of one operand, oldest first, in a ring of fixed capacity. Only changes are
// stored; a binary operand stores only their times, since its value alternates.
class TrendTrace {
  public:
    TrendTrace(SimOperand operand, qsizetype capacity, std::int64_t from);

    const SimOperand& operand() const { return operand_; }
    bool binary() const { return binary_; }
    // The first scan time it records at.
    std::int64_t from() const { return from_; }
    qsizetype size() const { return count_; }
    bool empty() const { return count_ == 0; }
    // Point `i`, 0 the oldest held.
    TrendPoint at(qsizetype i) const;
    // The index of the first point after `time`; size() when there is none.
    qsizetype upperBound(std::int64_t time) const;
    // The value at `time`; none before the oldest point held.
    std::optional<double> valueAt(std::int64_t time) const;
    // What the ring may take at most, in bytes.
    qsizetype maxBytes() const;

  private:
    friend class TrendRecorder;
    qsizetype slot(qsizetype i) const {
        const qsizetype s = head_ + i;
        const auto storage = static_cast<qsizetype>(times_.size());
        return s < storage ? s : s - storage;
    }
    void record(std::int64_t time, double value);
    void pushBack(std::int64_t time, double value);
    void popBack();
    void popFront();
    // Keeps the one point that holds at `windowStart` and everything after it.
    void dropBefore(std::int64_t windowStart);

    SimOperand operand_;
    bool binary_ = false;
    std::int64_t from_ = 0;
    qsizetype capacity_ = 1;
    // The ring grows to its capacity only as changes come, so that a quiet trace stays small.
    std::vector<std::int64_t> times_;
    std::vector<double> values_;  // empty for a binary trace
    bool firstBit_ = false;       // binary: the value of the oldest point
    qsizetype head_ = 0;
    qsizetype count_ = 0;
};

// Receives a recording in time order: the operands once, then every change, then the end.
class TrendSink {
  public:
    virtual ~TrendSink() = default;
    virtual void begin(const std::vector<TrendTrace>& traces) = 0;
    virtual void change(std::int64_t time, int trace, double value) = 0;
    // The time of the latest scan: the values hold until then.
    virtual void end(std::int64_t time) = 0;
};

// Records operands of a running simulation after each scan, as a rolling window of the latest
// `window` hundredths of a second. Times must not go back; a scan every hundredth is the
// finest resolution, so a trace never holds more than window + 1 points whatever its
// operand does.
//
// Memory: a binary trace takes at most 8 bytes per point, a value trace 16, so with the
// default window of 10 minutes (60,000 scans of 10 ms) at most 480 kB and 960 kB per trace,
// and with kMaxTraces value traces changing on every scan at most 31 MB. A window of 0 keeps
// only the latest value of each trace: a sink then takes the whole run as it goes.
class TrendRecorder {
  public:
    static constexpr std::int64_t kDefaultWindow = 60000;
    static constexpr int kMaxTraces = 32;

    explicit TrendRecorder(std::int64_t window = kDefaultWindow, int maxTraces = kMaxTraces);

    // Adds a trace that records from the scan at `from` on. False when the operand is traced
    // already or the most traces are.
    bool add(const SimOperand& operand, std::int64_t from = 0);
    // The operands by name, keeping the recordings of those traced already and their order.
    void setOperands(const std::vector<SimOperand>& operands);
    // Forgets what was recorded; the traces stay.
    void clear();

    // Records every trace after the scan at `time`. A second sample of the same time replaces
    // the first; an earlier time is ignored.
    void sample(std::int64_t time, const PcSimulation& sim);

    const std::vector<TrendTrace>& traces() const { return traces_; }
    std::int64_t window() const { return window_; }
    // The latest sample's time; -1 before the first.
    std::int64_t latest() const { return latest_; }
    // The earliest time the recording covers: the latest minus the window, or the first sample.
    std::int64_t windowStart() const;
    qsizetype maxBytes() const;

    // Every change also goes to `sink` as it is recorded, from the next sample on; its begin()
    // is called at once, so the traces must be in place.
    void addSink(TrendSink* sink);
    // The recording as it stands, in time order; a trace's oldest point counts from the window
    // start.
    void replay(TrendSink& sink) const;

  private:
    std::int64_t window_;
    int maxTraces_;
    std::int64_t latest_ = -1;
    std::int64_t first_ = -1;
    std::vector<TrendTrace> traces_;
    std::vector<TrendSink*> sinks_;
};

}  // namespace bdx
