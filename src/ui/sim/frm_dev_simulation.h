#pragma once

#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>

#include "device/device_simulation.h"

class QCheckBox;
class QLabel;
class QScrollArea;
class QSlider;

namespace bdx {

class Clock;
class DevicePicture;
struct Program;

// The device simulator window: the picture of the program's device with its input switches,
// supply switch and voltage sliders, running the program in the device emulation library.
// What it passes to the library and when is DeviceSimulation's; the window draws and forwards.
//
// The waits before the library starts and after it stops run on the clock, checked by the
// timer tmrTimeDifferance, so the window stays responsive: it shows at once with its controls
// off and a busy cursor, and they come on when the library has started. Closing hides the
// window at once; it goes away when the wait after EndDLLTimer is over.
class frmDevSimulation : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kRunIntervalMs = 20;   // tmrInfinit
    static constexpr int kWaitIntervalMs = 50;  // tmrTimeDifferance

    frmDevSimulation(std::unique_ptr<EmulationCalls> calls, const Clock& clock, QWidget* parent = nullptr);
    ~frmDevSimulation() override;

    // Writes the image file and starts the device. False, with `error` set and nothing
    // started, when the image file cannot be written.
    bool load(const Program& program, const QString& imageFilePath, QString* error = nullptr);
    // The application ends: the library's timer stops now and the window goes without waiting.
    void shutdown();

    DeviceSimulation& simulation() { return simulation_; }
    DevicePicture* picture() const { return picture_; }
    QCheckBox* inputBox(int module, int n) const;
    QSlider* voltageSlider(int module, int k) const;
    QLabel* voltageLabel(int module, int k) const;
    QCheckBox* supplyBox() const { return chkSupply_; }
    // The window that shows the whole picture and the hint below it.
    QSize fullSize() const;

    // One tick of the window's timers (tests call it after moving their clock).
    void runTick();

  Q_SIGNALS:
    // The window has closed and the wait after the library stopped is over.
    void finished();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    QString hint() const;
    void buildControls();
    void placeControls();
    void retranslate();
    void refresh();
    void enterRunning();
    void inputClicked(int module, int n, bool on);
    void voltageMoved(int module, int k, int value);
    void keyPressed(std::uint8_t code);
    void keyReleased(std::uint8_t code);
    void finishClosing();

    std::unique_ptr<EmulationCalls> calls_;
    DeviceSimulation simulation_;
    QScrollArea* scroll_ = nullptr;
    DevicePicture* picture_ = nullptr;
    QLabel* status_ = nullptr;
    std::array<std::array<QCheckBox*, DeviceSimulation::kInputs>, kPanelModuleCount> inputBoxes_{};
    std::array<std::array<QSlider*, DeviceSimulation::kVoltages>, kPanelModuleCount> sliders_{};
    std::array<std::array<QLabel*, DeviceSimulation::kVoltages>, kPanelModuleCount> sliderLabels_{};
    QCheckBox* chkSupply_ = nullptr;
    QTimer tmrInfinit_;
    QTimer tmrTimeDifferance_;
    QTimer tmrBlinkingPowerLEDTimer_;
    QTimer tmrBlinkingRunStopLEDTimer_;
    QTimer tmrBlinkingErrorLEDTimer_;
    bool powerBlink_ = true;
    bool runBlink_ = true;
    bool errorBlink_ = true;
    bool finished_ = false;
};

}  // namespace bdx
