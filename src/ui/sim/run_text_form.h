#pragma once

#include <QTimer>
#include <QWidget>
#include <array>

#include "sim/text_display_control.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;

namespace bdx {

class LcdDisplay;
class PcSimulation;
class ZKeyStrip;

// The text display of a run on a model with a display: the message the scan chose, drawn as the
// device's display, the scroll bar through the active messages, the device's key buttons with
// the Z-key mode, and a virtual keyboard of the device's keys. The keys' rules are
// TextDisplayControl's; this window turns mouse and keyboard into its calls and shows the result.
class run_text_form : public QWidget {
    Q_OBJECT
  public:
    run_text_form(PcSimulation& simulation, QWidget* parent = nullptr);

    LcdDisplay* display() const { return display_; }
    QLabel* captionLabel() const { return caption_; }
    QScrollBar* ScrollMsg() const { return ScrollMsg_; }
    // ZKeyButton 0-5; nullptr outside.
    QPushButton* ZKeyButton(int k) const { return k >= 0 && k < kKeyButtons ? ZKeyButton_[k] : nullptr; }
    ZKeyStrip* picZKeys() const { return picZKeys_; }
    // "<<" shows the virtual keyboard, ">>" hides it.
    QPushButton* keyboardButton() const { return keyboardButton_; }
    QGroupBox* keyboard() const { return keyboard_; }
    // The virtual keyboard's key for device key 0..7.
    QPushButton* keyboardKey(DisplayKey key) const { return keyboardKeys_[static_cast<int>(key)]; }

    TextDisplayControl& control() { return control_; }
    // The Z-key mode switched as the mode key does (View / Z Keys).
    void setZKeyMode(bool on);
    bool zKeyTimeoutRunning() const { return zKeyTimer_.isActive(); }
    // How long the Z-key mode lasts without a key; tests shorten it.
    void setZKeyModeTimeout(int milliseconds) { zKeyTimer_.setInterval(milliseconds); }

    // Reads the display, its caption and the scroll bar from the run; the window's timer calls it
    // at screen rate while it is shown.
    void refresh();

  Q_SIGNALS:
    // F5: the run should end.
    void stopRequested();
    // The user closed the window; the run goes on without it.
    void closed();
    // The Z-key strip came or went (mode key, timeout, View / Z Keys).
    void zKeyModeChanged(bool on);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QWidget* buildKeyButtons();
    QGroupBox* buildKeyboard();
    void apply(KeyEffect effect);
    void showZKeyMode(bool on);
    void toggleKeyboard();
    // Shows a device key held down on the buttons it stands for.
    void showKeyDown(DisplayKey key, bool down);

    TextDisplayControl control_;
    LcdDisplay* display_ = nullptr;
    QLabel* caption_ = nullptr;
    QScrollBar* ScrollMsg_ = nullptr;
    std::array<QPushButton*, kKeyButtons> ZKeyButton_{};
    ZKeyStrip* picZKeys_ = nullptr;
    QWidget* zKeySection_ = nullptr;
    QPushButton* keyboardButton_ = nullptr;
    QGroupBox* keyboard_ = nullptr;
    std::array<QPushButton*, kDisplayKeys> keyboardKeys_{};
    QTimer refreshTimer_;
    QTimer zKeyTimer_;
};

}  // namespace bdx
