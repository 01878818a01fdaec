#include "trend_recorder.h"

#include <algorithm>
#include <utility>

#include "pc_simulation.h"

namespace bdx {

// ---- TrendTrace ----

TrendTrace::TrendTrace(SimOperand operand, qsizetype capacity, std::int64_t from)
    : operand_(std::move(operand)),
      binary_(IsBinaryOperand(operand_.kind)),
      from_(from),
      capacity_(std::max<qsizetype>(capacity, 1)) {}

TrendPoint TrendTrace::at(qsizetype i) const {
    const std::int64_t time = times_[slot(i)];
    if (binary_) {
        return {time, (firstBit_ != (i % 2 == 1)) ? 1.0 : 0.0};
    }
    return {time, values_[slot(i)]};
}

qsizetype TrendTrace::upperBound(std::int64_t time) const {
    qsizetype low = 0;
    qsizetype high = count_;
    while (low < high) {
        const qsizetype middle = (low + high) / 2;
        if (times_[slot(middle)] <= time) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

std::optional<double> TrendTrace::valueAt(std::int64_t time) const {
    const qsizetype after = upperBound(time);
    if (after == 0) {
        return std::nullopt;
    }
    return at(after - 1).value;
}

qsizetype TrendTrace::maxBytes() const {
    return capacity_ * static_cast<qsizetype>(sizeof(std::int64_t) + (binary_ ? 0 : sizeof(double)));
}

void TrendTrace::pushBack(std::int64_t time, double value) {
    const auto storage = static_cast<qsizetype>(times_.size());
    if (count_ == storage) {
        if (storage == capacity_) {
            popFront();  // full: the oldest point gives way
        } else {
            // Grows in steps but never past the capacity, so the bound holds exactly.
            std::rotate(times_.begin(), times_.begin() + head_, times_.end());
            if (!binary_) {
                std::rotate(values_.begin(), values_.begin() + head_, values_.end());
            }
            head_ = 0;
            const qsizetype grown = std::min(capacity_, std::max<qsizetype>(256, storage * 2));
            times_.resize(static_cast<std::size_t>(grown));
            if (!binary_) {
                values_.resize(static_cast<std::size_t>(grown));
            }
        }
    }
    if (count_ == 0 && binary_) {
        firstBit_ = value != 0.0;
    }
    const qsizetype s = slot(count_);
    times_[s] = time;
    if (!binary_) {
        values_[s] = value;
    }
    ++count_;
}

void TrendTrace::popBack() {
    --count_;
}

void TrendTrace::popFront() {
    head_ = (head_ + 1) % static_cast<qsizetype>(times_.size());
    --count_;
    firstBit_ = !firstBit_;
}

void TrendTrace::record(std::int64_t time, double value) {
    if (count_ == 0) {
        pushBack(time, value);
        return;
    }
    const TrendPoint last = at(count_ - 1);
    if (last.time == time) {
        // The same scan sampled again: its value replaces the first.
        popBack();
        if (count_ == 0 || at(count_ - 1).value != value) {
            pushBack(time, value);
        }
        return;
    }
    if (last.value != value) {
        pushBack(time, value);
    }
}

void TrendTrace::dropBefore(std::int64_t windowStart) {
    while (count_ > 1 && times_[slot(1)] <= windowStart) {
        popFront();
    }
}

// ---- TrendRecorder ----

TrendRecorder::TrendRecorder(std::int64_t window, int maxTraces)
    : window_(std::max<std::int64_t>(window, 0)), maxTraces_(maxTraces) {}

bool TrendRecorder::add(const SimOperand& operand, std::int64_t from) {
    if (static_cast<int>(traces_.size()) >= maxTraces_) {
        return false;
    }
    for (const TrendTrace& trace : traces_) {
        if (trace.operand().name == operand.name) {
            return false;
        }
    }
    traces_.emplace_back(operand, static_cast<qsizetype>(window_ + 1), from);
    return true;
}

void TrendRecorder::setOperands(const std::vector<SimOperand>& operands) {
    std::vector<TrendTrace> kept;
    for (const SimOperand& operand : operands) {
        if (static_cast<int>(kept.size()) >= maxTraces_) {
            break;
        }
        const auto same = [&operand](const TrendTrace& trace) { return trace.operand().name == operand.name; };
        if (std::any_of(kept.begin(), kept.end(), same)) {
            continue;
        }
        const auto found = std::find_if(traces_.begin(), traces_.end(), same);
        if (found != traces_.end()) {
            kept.push_back(std::move(*found));
        } else {
            // A trace added during a run starts with the next scan.
            kept.emplace_back(operand, static_cast<qsizetype>(window_ + 1), latest_ + 1);
        }
    }
    traces_ = std::move(kept);
}

void TrendRecorder::clear() {
    std::vector<TrendTrace> fresh;
    fresh.reserve(traces_.size());
    for (const TrendTrace& trace : traces_) {
        fresh.emplace_back(trace.operand(), static_cast<qsizetype>(window_ + 1), 0);
    }
    traces_ = std::move(fresh);
    latest_ = -1;
    first_ = -1;
}

void TrendRecorder::sample(std::int64_t time, const PcSimulation& sim) {
    if (time < latest_) {
        return;
    }
    latest_ = time;
    if (first_ < 0) {
        first_ = time;
    }
    const std::int64_t start = windowStart();
    for (std::size_t i = 0; i < traces_.size(); ++i) {
        TrendTrace& trace = traces_[i];
        if (time < trace.from()) {
            continue;
        }
        const qsizetype before = trace.size();
        const TrendPoint last = before > 0 ? trace.at(before - 1) : TrendPoint{-1, 0.0};
        const double value = ReadSimOperand(sim, trace.operand());
        trace.record(time, value);
        trace.dropBefore(start);
        const bool changed = before == 0 || last.time == time ? true : last.value != value;
        if (changed) {
            for (TrendSink* sink : sinks_) {
                sink->change(time, static_cast<int>(i), value);
            }
        }
    }
}

std::int64_t TrendRecorder::windowStart() const {
    return std::max(first_, latest_ - window_);
}

qsizetype TrendRecorder::maxBytes() const {
    qsizetype bytes = 0;
    for (const TrendTrace& trace : traces_) {
        bytes += trace.maxBytes();
    }
    return bytes;
}

void TrendRecorder::addSink(TrendSink* sink) {
    sinks_.push_back(sink);
    sink->begin(traces_);
}

void TrendRecorder::replay(TrendSink& sink) const {
    sink.begin(traces_);
    if (latest_ < 0) {
        sink.end(0);
        return;
    }
    const std::int64_t start = windowStart();
    std::vector<qsizetype> next(traces_.size(), 0);
    // A merge of the traces by time; there are few traces, so a linear pick is enough.
    for (;;) {
        int best = -1;
        std::int64_t bestTime = 0;
        for (std::size_t i = 0; i < traces_.size(); ++i) {
            if (next[i] < traces_[i].size()) {
                const std::int64_t time = std::max(start, traces_[i].at(next[i]).time);
                if (best < 0 || time < bestTime) {
                    best = static_cast<int>(i);
                    bestTime = time;
                }
            }
        }
        if (best < 0) {
            break;
        }
        sink.change(bestTime, best, traces_[static_cast<std::size_t>(best)].at(next[best]).value);
        ++next[static_cast<std::size_t>(best)];
    }
    sink.end(latest_);
}

}  // namespace bdx
