#pragma once

#include <QRect>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>

namespace bdx {

// The front of a device as the device simulator window shows it, drawn by hand: the base unit
// and each selected extension module side by side, with terminals, relay outputs, the power,
// run and error LEDs, the supply switch and, on display models, the display and the keys. The
// window places its input switches, supply switch and voltage sliders on the rectangles the
// picture gives for them. Device keys come from the keyboard while the picture has the focus,
// or from the mouse on a key.
class DevicePicture : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kModules = 4;

    explicit DevicePicture(QWidget* parent = nullptr);

    // The model and which modules are there (base always); sizes the picture.
    void setModel(int model, const std::array<bool, kModules>& modules);
    int model() const { return model_; }
    bool hasModule(int module) const { return module >= 0 && module < kModules && modules_[module]; }

    // ---- Where the window's controls go ----
    QRect moduleRect(int module) const;
    QRect inputSwitchRect(int module, int n) const;  // n 1..8
    QRect supplySwitchRect() const;
    // One analog input's slider and its value label, below the module (k = 0, 1).
    QRect sliderRect(int module, int k) const;
    QRect sliderLabelRect(int module, int k) const;
    // A device key on the picture; empty on models without a display.
    QRect keyRect(std::uint8_t code) const;
    std::optional<std::uint8_t> keyAt(const QPoint& point) const;

    // ---- What it shows ----
    void setInputs(int module, std::uint8_t byte);
    void setOutputs(int module, std::uint8_t byte);
    bool outputShown(int module, int n) const;  // n 1..4
    void setSupply(bool on);
    // The supply's picture key while on ("AC_ON" or "DC_ON"), empty while off.
    QString supplyPicture() const;
    // Which LED shapes are visible now (the window blinks them).
    void setLeds(bool power, bool run, bool error);
    bool powerLedShown() const { return power_; }
    bool runLedShown() const { return run_; }
    bool errorLedShown() const { return error_; }
    void setDisplayLines(const std::array<QString, 3>& lines);
    const std::array<QString, 3>& displayLines() const { return display_; }
    void setPressedKey(std::optional<std::uint8_t> code);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  Q_SIGNALS:
    void keyPressed(std::uint8_t code);
    void keyReleased(std::uint8_t code);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    bool hasDisplay() const;
    bool hasAnalog() const;
    int moduleWidth(int module) const;
    void paintModule(QPainter& painter, int module) const;
    void paintFace(QPainter& painter, const QRect& face, int module) const;
    void paintBaseControls(QPainter& painter, const QRect& face) const;
    void paintLed(QPainter& painter, const QPoint& centre, const QColor& colour, bool lit,
                  const QString& caption) const;
    void paintRelay(QPainter& painter, const QRect& cell, const QString& name, bool closed) const;
    void releaseHeldKey();

    int model_ = 0;
    std::array<bool, kModules> modules_{true, false, false, false};
    std::array<std::uint8_t, kModules> inputs_{};
    std::array<std::uint8_t, kModules> outputs_{};
    std::array<QString, 3> display_;
    std::optional<std::uint8_t> pressed_;
    std::optional<std::uint8_t> mouseKey_;     // held down by the mouse
    std::optional<std::uint8_t> keyboardKey_;  // held down on the keyboard
    bool supply_ = true;
    bool power_ = false;
    bool run_ = false;
    bool error_ = false;
};

}  // namespace bdx
