#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <optional>

#include "comm/comm_link.h"
#include "sim/clock.h"

namespace bdx {

class AppContext;
class I_O_form;
class OnlineMonitoring;
class PcSimulation;
class ScanEngine;
class frmMain;
class run_text_form;

// Simulation / With Device: the program runs on the PC with the connected device as its inputs
// and outputs. The frame is in simulation mode while it runs: the ladder shows live states, the
// input/output panel the device's inputs and the program's outputs.
//
// The passes run one at a time from a single-shot timer, so the start, Stop and Exit are plain
// events between two passes; a pass still lets the interface breathe while it waits on the
// device. Stop and the end of the link let the running pass finish, then the device is stopped.
class DeviceRunController : public QObject {
    Q_OBJECT
  public:
    DeviceRunController(AppContext& context, frmMain& frame);
    ~DeviceRunController() override;

    // From the first check until the device has been stopped.
    bool running() const { return phase_ != Phase::Idle; }
    // The run's simulation, its panel and its text display; null outside a run.
    const ScanEngine* engine() const;
    I_O_form* panel() const;
    run_text_form* textDisplay() const;
    // Completed passes of the current or latest run.
    int passes() const { return passes_; }
    // The pause before the device's stop command; tests shorten it.
    void setStopDelayMs(int ms) { stopDelayMs_ = ms; }

    // With Device. Nothing while any simulation runs or is being set up.
    void start();
    // Stop: the running pass completes, then the device is stopped.
    void stop();

  Q_SIGNALS:
    // After every completed pass.
    void passed();
    // The run is over and the frame back in editing.
    void ended();

  protected:
    // Closing the frame during a run: asked first, and the frame closes once the device has been
    // stopped.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    enum class Phase { Idle, Starting, Running, Stopping };

    // The link to the device and its firmware; false (told) when the run must not start.
    bool checkDevice();
    void setStartsEnabled(bool enabled);
    void enterRunMode();
    void nextPass();
    void finish();

    AppContext& context_;
    frmMain& frame_;
    WallClock clock_;
    std::unique_ptr<PcSimulation> simulation_;
    std::unique_ptr<OnlineMonitoring> monitoring_;
    std::optional<CommLink::Action> action_;
    QPointer<I_O_form> panel_;
    QPointer<run_text_form> textDisplay_;
    QTimer passTimer_;
    Phase phase_ = Phase::Idle;
    bool stopRequested_ = false;
    bool checking_ = false;
    bool closeAfterRun_ = false;
    bool inRunMode_ = false;
    int passes_ = 0;
    int stopDelayMs_ = 400;
};

}  // namespace bdx
