#include "timer_evaluation.h"

#include <algorithm>

#include "sim/scan_engine.h"

namespace bdx {
namespace {

constexpr SignalRange kTimerSignals = SignalRangeOf('T');

enum TimerType : int {
    OnDelay = 0,
    OffDelay,
    SinglePulse,
    OnOff1,
    OffOn1,
    OnOff2,
    OffOn2,
    DelayedImpulse,
    LeadingEdge1,
    LeadingEdge2,
    TrailingEdge1,
    TrailingEdge2,
    SignalOffOn,
    ImpulseOnOff,
};

// Modes that, once reset, start again only on a new rising edge. On-Delay, Off-Delay and the
// first cycle pair follow the trigger level; the edge modes need an edge anyway.
bool NeedsEdgeAfterReset(int type) {
    switch (type) {
        case SinglePulse:
        case OnOff2:
        case OffOn2:
        case DelayedImpulse:
        case LeadingEdge1:
        case LeadingEdge2:
        case SignalOffOn:
            return true;
        default:
            return false;
    }
}

}  // namespace

void TimerEvaluation::load(const Program& program, int timer) {
    const TimerRecord record = DecodeTimer(program, timer);
    Timer& t = timers_[static_cast<std::size_t>(timer)];
    t.used = record.inUse;
    t.type = record.type;
    t.unitOn = record.on.unit;
    t.unitOff = record.off.unit;
    t.presetOn = PresetHundredths(record.on);
    t.presetOff = TimerHasOffTime(record.type) ? PresetHundredths(record.off) : 0;
}

void TimerEvaluation::PrepareRun(const Program& program) {
    for (int n = 0; n < kSimTimers; ++n) {
        // The trigger as last seen survives the run, so that a trigger held on across a restart
        // does not start an edge-triggered timer.
        Timer& t = timers_[static_cast<std::size_t>(n)];
        const bool lastTrigger = t.lastTrigger;
        t = Timer{};
        t.lastTrigger = lastTrigger;
        load(program, n);
    }
}

void TimerEvaluation::ParametersChanged(const Program& program, int timer) {
    if (timer < 0 || timer >= kSimTimers) {
        return;
    }
    Timer& t = timers_[static_cast<std::size_t>(timer)];
    const Timer before = t;
    load(program, timer);
    const bool unitChanged =
        before.unitOn != t.unitOn || (TimerHasOffTime(t.type) && before.unitOff != t.unitOff);
    if (unitChanged || before.type != t.type) {
        // The elapsed time means nothing in the new unit: start over, and only when asked to.
        stop(t, false);
        t.waitForEdge = true;
        t.lastTrigger = false;
        return;
    }
    const bool onPhase = t.type == DelayedImpulse ? t.secondPhase : TimerHasOffTime(t.type) ? t.output : true;
    t.elapsed = std::min(t.elapsed, onPhase ? t.presetOn : t.presetOff);
}

void TimerEvaluation::Evaluate(ScanEngine& engine) {
    for (int n = 0; n < kSimTimers; ++n) {
        evaluateOne(engine, n);
    }
}

void TimerEvaluation::evaluateOne(ScanEngine& engine, int n) {
    Timer& t = timers_[static_cast<std::size_t>(n)];
    if (!t.used) {
        return;
    }
    const auto openId = static_cast<std::uint16_t>(kTimerSignals.openBase + n);
    const auto closedId = static_cast<std::uint16_t>(kTimerSignals.closedBase + n);
    const TimerCoils& coils = engine.network().coils.T;
    const std::uint16_t trigger = coils.trigger[static_cast<std::size_t>(n)];
    if (trigger == kUnassigned) {
        stop(t, false);
        t.waitForEdge = false;
        t.lastTrigger = false;
        engine.setSignalPair(openId, closedId, false);
        return;
    }
    const bool on = engine.isActive(trigger);
    if (!on) {
        t.waitForEdge = false;
    }
    if (engine.isActive(coils.reset[static_cast<std::size_t>(n)])) {
        stop(t, false);
        t.waitForEdge = on && NeedsEdgeAfterReset(t.type);
        // Edges that happen while reset is applied are used up.
        t.lastTrigger = on && !t.waitForEdge;
        engine.setSignalPair(openId, closedId, false);
        return;
    }
    const bool effective = on && !t.waitForEdge;
    const Inputs in{effective, effective && !t.lastTrigger, !effective && t.lastTrigger, clock_.hundredths()};
    t.lastTrigger = effective;
    switch (t.type) {
        case OnDelay:
            onDelay(t, in);
            break;
        case OffDelay:
            offDelay(t, in);
            break;
        case SinglePulse:
            singlePulse(t, in);
            break;
        case OnOff1:
        case OffOn1:
        case OnOff2:
        case OffOn2:
            cycle(t, in, t.type == OnOff1 || t.type == OnOff2, t.type == OnOff2 || t.type == OffOn2);
            break;
        case DelayedImpulse:
            delayedImpulse(t, in);
            break;
        case LeadingEdge1:
        case LeadingEdge2:
        case TrailingEdge1:
        case TrailingEdge2:
            edgeImpulse(t, in, t.type <= LeadingEdge2, t.type == LeadingEdge2 || t.type == TrailingEdge2);
            break;
        case SignalOffOn:
            signalOffOn(t, in);
            break;
        default:
            impulseOnOff(t, in);
            break;
    }
    engine.setSignalPair(openId, closedId, t.output);
}

void TimerEvaluation::start(Timer& t, std::int64_t now, bool secondPhase) {
    t.state = TimerState::Running;
    t.secondPhase = secondPhase;
    t.start = now;
    t.elapsed = 0;
}

void TimerEvaluation::stop(Timer& t, bool output) {
    t.state = TimerState::Stopped;
    t.secondPhase = false;
    t.elapsed = 0;
    t.output = output;
}

bool TimerEvaluation::reached(Timer& t, std::int64_t now, std::int32_t preset) {
    const std::int64_t elapsed = std::clamp<std::int64_t>(now - t.start, 0, preset);
    t.elapsed = static_cast<std::int32_t>(elapsed);
    return elapsed >= preset;
}

void TimerEvaluation::nextPhase(Timer& t, std::int32_t preset) {
    // From where the phase ended, not from this scan, so that cycles do not drift.
    t.start += preset;
    t.secondPhase = !t.secondPhase;
    t.elapsed = 0;
}

void TimerEvaluation::onDelay(Timer& t, const Inputs& in) {
    if (!in.on) {
        stop(t, false);
        return;
    }
    if (t.state == TimerState::Stopped) {
        start(t, in.now, false);
    }
    if (t.state == TimerState::Running && reached(t, in.now, t.presetOn)) {
        t.state = TimerState::Elapsed;
        t.output = true;
    }
}

void TimerEvaluation::offDelay(Timer& t, const Inputs& in) {
    if (in.on) {
        stop(t, true);
        return;
    }
    if (in.falling) {
        start(t, in.now, false);
        t.output = true;
    }
    if (t.state == TimerState::Running && reached(t, in.now, t.presetOn)) {
        stop(t, false);
    }
}

void TimerEvaluation::singlePulse(Timer& t, const Inputs& in) {
    if (t.state == TimerState::Stopped && in.on) {
        start(t, in.now, false);
        t.output = true;
    }
    if (t.state == TimerState::Running && reached(t, in.now, t.presetOn)) {
        stop(t, false);
        t.waitForEdge = in.on;
    }
}

void TimerEvaluation::cycle(Timer& t, const Inputs& in, bool onFirst, bool whileTriggered) {
    if (t.state == TimerState::Stopped) {
        if (!in.on) {
            return;
        }
        start(t, in.now, false);
        t.output = onFirst;
    } else if (whileTriggered && !in.on) {
        stop(t, false);
        return;
    }
    const std::int32_t preset = t.output ? t.presetOn : t.presetOff;
    if (reached(t, in.now, preset)) {
        nextPhase(t, preset);
        t.output = !t.output;
    }
}

void TimerEvaluation::delayedImpulse(Timer& t, const Inputs& in) {
    // A new press during the off time starts the delay over; during the on time it is ignored.
    if (in.rising && !t.secondPhase) {
        start(t, in.now, false);
        t.output = false;
    }
    if (t.state != TimerState::Running) {
        return;
    }
    if (!t.secondPhase) {
        if (reached(t, in.now, t.presetOff)) {
            nextPhase(t, t.presetOff);
            t.output = true;
        }
    } else if (reached(t, in.now, t.presetOn)) {
        stop(t, false);
    }
}

void TimerEvaluation::edgeImpulse(Timer& t, const Inputs& in, bool leading, bool stopOnChange) {
    if (t.state == TimerState::Running) {
        if (stopOnChange && in.on != leading) {
            stop(t, false);
            return;
        }
    } else if (leading ? in.rising : in.falling) {
        start(t, in.now, false);
        t.output = true;
    }
    if (t.state == TimerState::Running && reached(t, in.now, t.presetOn)) {
        stop(t, false);
    }
}

void TimerEvaluation::signalOffOn(Timer& t, const Inputs& in) {
    // First phase: the on-delay while the trigger is on; second phase: the off-delay after it.
    // Elapsed means the output is on with the trigger still on.
    switch (t.state) {
        case TimerState::Stopped:
            if (in.on) {
                start(t, in.now, false);
                t.output = false;
            }
            break;
        case TimerState::Elapsed:
            if (!in.on) {
                start(t, in.now, true);
                t.output = true;
            }
            break;
        case TimerState::Running:
            if (!t.secondPhase && !in.on) {
                stop(t, false);
                return;
            }
            if (t.secondPhase && in.on) {
                stop(t, true);
                t.state = TimerState::Elapsed;
                return;
            }
            break;
    }
    if (t.state == TimerState::Running && reached(t, in.now, t.presetOn)) {
        if (t.secondPhase) {
            stop(t, false);
        } else {
            t.state = TimerState::Elapsed;
            t.output = true;
        }
    }
}

void TimerEvaluation::impulseOnOff(Timer& t, const Inputs& in) {
    if (in.rising || in.falling) {
        start(t, in.now, false);
        t.output = true;
    }
    if (t.state == TimerState::Running && reached(t, in.now, t.presetOn)) {
        stop(t, false);
    }
}

}  // namespace bdx
