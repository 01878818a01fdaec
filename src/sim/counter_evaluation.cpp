#include "counter_evaluation.h"

#include "blocks/counter_record.h"
#include "sim/scan_engine.h"

namespace bdx {
namespace {

constexpr SignalRange kCounterSignals = SignalRangeOf('C');
constexpr SignalRange kCompareSignals = SignalRangeOf('P');

constexpr std::int64_t kMaxShown = kCounterMaxSetPoint;  // 99999 / 10^p in display units

constexpr std::int64_t kPowersOfTen[] = {1, 10, 100, 1000, 10000};

std::int64_t PowerOfTen(int decimals) {
    return kPowersOfTen[decimals < 0 ? 0 : decimals > 4 ? 4 : decimals];
}

}  // namespace

void CounterEvaluation::load(const Program& program, int counter) {
    const CounterRecord record = DecodeCounter(program, counter);
    Counter& c = counters_[static_cast<std::size_t>(counter)];
    c.used = record.inUse;
    c.decimals = record.decimalPosition;
    // The dialog refuses zero pulses only outside a run; counting every pulse as one keeps
    // the ratio finite.
    c.pulses = record.pulses > 0 ? record.pulses : 1;
    c.units = record.displayUnits;
    c.setPoint = record.setPoint;
}

void CounterEvaluation::loadCompare(const Program& program, int compare) {
    const CompareRecord record = DecodeCompare(program, compare);
    Compare& p = compares_[static_cast<std::size_t>(compare)];
    p.used = record.inUse;
    p.first = record.firstCounter & 15;
    p.second = record.secondCounter & 15;
    p.constantOperand = record.constantOperand;
    p.constant = record.constant;
    p.function = record.function;
}

void CounterEvaluation::PrepareRun(const Program& program) {
    for (int n = 0; n < kSimCounters; ++n) {
        counters_[static_cast<std::size_t>(n)] = Counter{};
        load(program, n);
    }
    for (int n = 0; n < kSimCompareCounters; ++n) {
        compares_[static_cast<std::size_t>(n)] = Compare{};
        loadCompare(program, n);
    }
}

void CounterEvaluation::ParametersChanged(const Program& program, int counter) {
    if (counter >= 0 && counter < kSimCounters) {
        load(program, counter);
    }
}

void CounterEvaluation::CompareParametersChanged(const Program& program, int compare) {
    if (compare >= 0 && compare < kSimCompareCounters) {
        loadCompare(program, compare);
    }
}

// Int(10^p * raw * D / N) in units of the last decimal place. The count never goes below 0
// and the displayed value is held to 99999, so the product fits.
std::int64_t CounterEvaluation::scaled(const Counter& c, std::int64_t raw) {
    return PowerOfTen(c.decimals) * raw * c.units / c.pulses;
}

void CounterEvaluation::EvaluateCounters(ScanEngine& engine) {
    const CounterCoils& coils = engine.network().coils.C;
    for (int n = 0; n < kSimCounters; ++n) {
        Counter& c = counters_[static_cast<std::size_t>(n)];
        if (!c.used) {
            continue;
        }
        const auto i = static_cast<std::size_t>(n);
        const auto openId = static_cast<std::uint16_t>(kCounterSignals.openBase + n);
        const auto closedId = static_cast<std::uint16_t>(kCounterSignals.closedBase + n);
        c.resetSeen = engine.isActive(coils.reset[i]);
        if (c.resetSeen) {  // a count edge in the same scan is lost
            c.raw = 0;
            c.shown = 0;
            c.output = false;
            engine.setSignalPair(openId, closedId, false);
            continue;
        }
        const std::int64_t rawBefore = c.raw;
        const std::int64_t shownBefore = c.shown;
        bool counted = false;
        if (engine.isRisingEdge(coils.count[i])) {
            if (!engine.isActive(coils.direction[i])) {
                ++c.raw;
                counted = true;
            } else if (c.shown > 0) {
                --c.raw;
                counted = true;
            }
        }
        c.shown = scaled(c, c.raw);
        if (counted && (c.shown > kMaxShown || c.shown < 0)) {
            c.raw = rawBefore;
            c.shown = shownBefore;
        }
        c.output = c.shown >= c.setPoint;
        engine.setSignalPair(openId, closedId, c.output);
    }
}

void CounterEvaluation::EvaluateCompareCounters(ScanEngine& engine) {
    for (int n = 0; n < kSimCompareCounters; ++n) {
        Compare& p = compares_[static_cast<std::size_t>(n)];
        if (!p.used) {
            continue;
        }
        // Both sides at four decimal places, so counters with different places compare
        // exactly. The constant is read like a set point, in the first counter's places.
        const Counter& first = at(p.first);
        const Counter& second = p.constantOperand ? first : at(p.second);
        const std::int64_t secondUnits = p.constantOperand ? p.constant : second.shown;
        const std::int64_t a = first.shown * PowerOfTen(4 - first.decimals);
        const std::int64_t b = secondUnits * PowerOfTen(4 - second.decimals);
        switch (static_cast<CompareFunction>(p.function)) {
            case CompareFunction::Greater:
                p.output = a > b;
                break;
            case CompareFunction::Less:
                p.output = a < b;
                break;
            case CompareFunction::GreaterOrEqual:
                p.output = a >= b;
                break;
            case CompareFunction::LessOrEqual:
                p.output = a <= b;
                break;
            case CompareFunction::Equal:
                p.output = a == b;
                break;
            case CompareFunction::NotEqual:
                p.output = a != b;
                break;
        }
        engine.setSignalPair(static_cast<std::uint16_t>(kCompareSignals.openBase + n),
                             static_cast<std::uint16_t>(kCompareSignals.closedBase + n), p.output);
    }
}

double CounterEvaluation::displayedValue(int counter) const {
    const Counter& c = at(counter);
    return static_cast<double>(c.shown) / static_cast<double>(PowerOfTen(c.decimals));
}

double CounterEvaluation::setPoint(int counter) const {
    const Counter& c = at(counter);
    return c.setPoint / static_cast<double>(PowerOfTen(c.decimals));
}

}  // namespace bdx
