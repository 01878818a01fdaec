#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// What the text display window of a run does with its keys, without the window: the device's
// key buttons, the Z-key mode, paging through the active messages, and the PC keyboard's keys
// as device keys.
namespace bdx {

class ScanEngine;
class SoftTextEvaluation;

// The device's keys, numbered as the device and its emulation library number them.
enum class DisplayKey : std::uint8_t {
    Right = 0,
    Escape = 1,
    Up = 2,
    Delete = 3,
    Insert = 4,
    Left = 5,
    Enter = 6,
    Down = 7,
};
inline constexpr int kDisplayKeys = 8;

// The device key a key of the PC keyboard (a Qt::Key) stands for: either Enter, the four arrows,
// Delete, and Backspace as the device's Escape. Any other key is no device key.
std::optional<DisplayKey> DisplayKeyOfKeyboard(int qtKey);

// ZKeyButton 0-5: the arrows left, up, right and down, then Enter (OK) and Escape, which switches
// the Z-key mode. In the Z-key mode buttons 0-3 are the keys Z1-Z4.
inline constexpr int kKeyButtons = 6;
inline constexpr int kPageUpButton = 1;
inline constexpr int kPageDownButton = 3;
inline constexpr int kZKeyModeButton = 5;
inline constexpr int kZKeys = 4;
// The Z-key mode ends by itself after this long without a Z key pressed.
inline constexpr int kZKeyModeTimeoutMs = 30000;

// The key button a device key works as; -1 for Delete and Insert, which only the device's own
// menus use.
int KeyButtonOf(DisplayKey key);

// What a key did, so that the window can show it and run the mode's timeout.
enum class KeyEffect {
    None,
    PagedUp,
    PagedDown,
    ZKeyPressed,   // the timeout starts again
    ZKeyReleased,
    ZKeyModeOn,    // show the Z-key strip, start the timeout
    ZKeyModeOff,   // hide the strip, stop the timeout
};

// The three lines of the display, blanks where a cell holds nothing: what the window draws and
// what the command-line tool prints.
QStringList DisplayLines(const SoftTextEvaluation& texts);
// "No message" or "Priority Message k of m" in the user's language; empty before the display
// first showed anything.
QString DisplayCaption(const SoftTextEvaluation& texts);

class TextDisplayControl {
  public:
    // Both must outlive the control.
    TextDisplayControl(ScanEngine& engine, SoftTextEvaluation& texts);

    // A key button 0..5 pressed and released with the mouse.
    KeyEffect pressButton(int button);
    KeyEffect releaseButton(int button);
    // A device key from the PC keyboard or the virtual keyboard.
    KeyEffect pressKey(DisplayKey key);
    KeyEffect releaseKey(DisplayKey key);
    // The mode's timeout ran out.
    KeyEffect timeoutElapsed();

    const SoftTextEvaluation& texts() const { return texts_; }

    bool zKeyMode() const { return zKeyMode_; }
    // Key 1..4 held down.
    bool zKeyPressed(int k) const { return k >= 1 && k <= kZKeys && (held_ >> (k - 1) & 1) != 0; }

    // The scroll bar ScrollMsg: 1 to the number of active messages (at least 1); the next scan
    // shows the message of the rank it is set to.
    static constexpr int scrollMinimum() { return 1; }
    int scrollMaximum() const;
    int scrollValue() const;
    void setScrollValue(int value);

  private:
    KeyEffect setZKeyMode(bool on);
    void setZKey(int k, bool on);

    ScanEngine& engine_;
    SoftTextEvaluation& texts_;
    bool zKeyMode_ = false;
    std::uint8_t held_ = 0;  // bit k-1: Zk held down
};

}  // namespace bdx
