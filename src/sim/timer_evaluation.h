#pragma once

#include <array>
#include <cstdint>

#include "blocks/timer_record.h"
#include "ladder/program.h"
#include "sim/clock.h"

namespace bdx {

class ScanEngine;

inline constexpr int kSimTimers = 16;

// Run-time state of one timer.
enum class TimerState : std::uint8_t { Stopped = 0, Running = 1, Elapsed = 2 };

// The sixteen timers of a simulation run. Times are whole hundredths of a second from the
// clock, so a preset is reached exactly, never a rounding step early or late.
class TimerEvaluation {
  public:
    explicit TimerEvaluation(const Clock& clock) : clock_(clock) {}

    // Clears every timer but its last trigger and converts the presets; the usage flags must be
    // current.
    void PrepareRun(const Program& program);
    // One scan's timer step, after the network: all used timers, from this scan's values.
    void Evaluate(ScanEngine& engine);
    // The timer dialog stored new parameters for `timer` (0-based) during the run.
    void ParametersChanged(const Program& program, int timer);

    TimerState state(int timer) const { return at(timer).state; }
    bool output(int timer) const { return at(timer).output; }
    // The current value of the running phase, held at the phase's preset.
    double elapsedSeconds(int timer) const { return at(timer).elapsed / 100.0; }
    double presetOnSeconds(int timer) const { return at(timer).presetOn / 100.0; }
    double presetOffSeconds(int timer) const { return at(timer).presetOff / 100.0; }
    // True while a two-time timer runs its second phase, or Signal OFF/ON its off-delay.
    bool secondPhase(int timer) const { return at(timer).secondPhase; }

  private:
    struct Timer {
        bool used = false;
        int type = 0;
        TimeUnit unitOn = TimeUnit::Seconds;
        TimeUnit unitOff = TimeUnit::Seconds;
        std::int32_t presetOn = 0;  // hundredths
        std::int32_t presetOff = 0;
        TimerState state = TimerState::Stopped;
        bool secondPhase = false;
        bool output = false;
        bool waitForEdge = false;  // holds the trigger off until it has been seen off
        bool lastTrigger = false;  // the trigger as the modes saw it in the previous scan
        std::int64_t start = 0;    // clock stamp of the current phase
        std::int32_t elapsed = 0;
    };
    struct Inputs {
        bool on = false;
        bool rising = false;
        bool falling = false;
        std::int64_t now = 0;
    };

    const Timer& at(int timer) const { return timers_[static_cast<std::size_t>(timer & 15)]; }
    void load(const Program& program, int timer);
    void evaluateOne(ScanEngine& engine, int n);

    static void start(Timer& t, std::int64_t now, bool secondPhase);
    static void stop(Timer& t, bool output);
    // Updates the elapsed value; true when it has reached `preset`.
    static bool reached(Timer& t, std::int64_t now, std::int32_t preset);
    // Ends the current phase and starts the other one where this one ended.
    static void nextPhase(Timer& t, std::int32_t preset);

    static void onDelay(Timer& t, const Inputs& in);
    static void offDelay(Timer& t, const Inputs& in);
    static void singlePulse(Timer& t, const Inputs& in);
    static void cycle(Timer& t, const Inputs& in, bool onFirst, bool whileTriggered);
    static void delayedImpulse(Timer& t, const Inputs& in);
    static void edgeImpulse(Timer& t, const Inputs& in, bool leading, bool stopOnChange);
    static void signalOffOn(Timer& t, const Inputs& in);
    static void impulseOnOff(Timer& t, const Inputs& in);

    const Clock& clock_;
    std::array<Timer, kSimTimers> timers_{};
};

}  // namespace bdx
