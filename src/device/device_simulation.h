#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "emulation_calls.h"

namespace bdx {

class Clock;
struct Program;

// Key codes of the device's keys as the emulation library takes them.
namespace DeviceKey {
inline constexpr std::uint8_t Right = 0;
inline constexpr std::uint8_t Escape = 1;
inline constexpr std::uint8_t Up = 2;
inline constexpr std::uint8_t Delete = 3;
inline constexpr std::uint8_t Insert = 4;
inline constexpr std::uint8_t Left = 5;
inline constexpr std::uint8_t Enter = 6;
inline constexpr std::uint8_t Down = 7;
inline constexpr int Count = 8;
}  // namespace DeviceKey

// The device key of a keyboard key (Qt::Key): the arrows, Escape, Delete, Insert, Enter/Return.
std::optional<std::uint8_t> DeviceKeyOfKeyboard(int qtKey);

// The picture of the switched-on supply: "AC_ON" or "DC_ON" by model.
const char* PowerOnPicture(int model);

// The device simulator without its window: the image file, the library's start and end with
// the waits around them, and the panel (inputs, voltages, keys, supply) turned into calls of
// the emulation library. The waits run on the clock and end on the window's timer ticks, so
// the window never blocks and tests use a manual clock.
class DeviceSimulation {
  public:
    // The library is given a second after the image file is written and a second after its
    // timer is stopped.
    static constexpr std::int64_t kWaitHundredths = 100;
    // One tick catches up at most this many scans (of 10 ms) after a stall.
    static constexpr int kMaxScansPerTick = 50;
    static constexpr int kInputs = 8;
    static constexpr int kOutputs = 4;
    static constexpr int kVoltages = 2;  // inputs 7 and 8

    enum class Phase { Closed, Opening, Running, Closing };

    DeviceSimulation(EmulationCalls& calls, const Clock& clock);
    DeviceSimulation(const DeviceSimulation&) = delete;
    DeviceSimulation& operator=(const DeviceSimulation&) = delete;

    // Writes the image file of `program` (the PC's byte order) and starts the wait before the
    // library starts. False, with `error` set and nothing started, when it cannot be written.
    bool open(const Program& program, const QString& imageFilePath, QString* error = nullptr);
    // Every tick of the window's timers: ends the waits; while running, one turn of the library
    // and the four output bytes.
    void tick();
    // Stops the library's timer and waits before the window may go. At once when it never started.
    void close();
    // The same without the wait, when the application ends.
    void closeNow();

    Phase phase() const { return phase_; }
    bool running() const { return phase_ == Phase::Running; }
    int model() const { return model_; }
    const QString& imageFilePath() const { return imageFilePath_; }
    // The base module and each extension module the program selects.
    bool hasModule(int module) const;
    bool takesKeys() const;

    // Input n 1..8 of a module; passes the module's new input byte. False when nothing was
    // passed (not running, no such module or input, no change).
    bool setInput(int module, int n, bool on);
    bool input(int module, int n) const;
    std::uint8_t inputByte(int module) const;
    // Analog input 7 (k = 0) or 8 (k = 1) in hundredths of a volt, 0..1000; passes the
    // module's two values. On analog models the terminal is also the digital input: true when
    // the move switched that input, whose box must follow.
    bool setVoltage(int module, int k, int hundredths);
    int voltage(int module, int k) const;
    // A device key pressed or released; nothing on models without a display. A release also
    // passes the voltages of all four modules. False when no call was made.
    bool pressKey(std::uint8_t code);
    bool releaseKey(std::uint8_t code);
    std::optional<std::uint8_t> pressedKey() const { return pressedKey_; }

    void setSupply(bool on) { supplyOn_ = on; }
    bool supplyOn() const { return supplyOn_; }

    std::uint8_t outputByte(int module) const;
    bool output(int module, int n) const;
    bool runIndicator() const { return running() && supplyOn_ && (loopResult_ & 1) != 0; }
    bool deviceError() const { return running() && supplyOn_ && (loopResult_ & 2) != 0; }

    // The display of the base unit: three lines of twelve characters (the base inputs, the base
    // outputs, the time); blank while the device is off.
    std::array<QString, 3> displayLines() const;

  private:
    static bool validModule(int module) { return module >= 0 && module < kPanelModuleCount; }

    EmulationCalls& calls_;
    const Clock& clock_;
    Phase phase_ = Phase::Closed;
    int model_ = 0;
    std::array<bool, kPanelModuleCount> modules_{true, false, false, false};
    QString imageFilePath_;
    std::int64_t waitStart_ = 0;
    std::int64_t lastTick_ = 0;
    std::array<std::uint8_t, kPanelModuleCount> inputs_{};
    std::array<std::uint8_t, kPanelModuleCount> outputs_{};
    std::array<std::array<int, kVoltages>, kPanelModuleCount> voltages_{};
    std::optional<std::uint8_t> pressedKey_;
    std::uint8_t loopResult_ = 0;
    bool supplyOn_ = true;
};

}  // namespace bdx
