#pragma once

#include <QObject>
#include <QPointer>

#include "sim/clock.h"

class QAction;

namespace bdx {

class AppContext;
class frmDevSimulation;
class frmMain;
class run_parameters;

// Simulation with the PC in the frame: With PC and Stop, the switch of the frame's mode when
// a run starts and ends, the parameter monitor (View / Parameters) during a run, and the device
// simulator window (Options / Device Simulator).
class SimController : public QObject {
    Q_OBJECT
  public:
    SimController(AppContext& context, frmMain& frame);

  private:
    void start();
    void onStarted();
    void onEnded();
    // View / Parameters: opens the monitor, or closes it when it is open.
    void toggleParameters();
    // The command's caption: "Show Parameters" / "Hide Parameters" during a run, the menu's
    // own caption otherwise.
    void updateParametersCommand();
    // Opens the device simulator window for the program, or brings the open one forward.
    void openDeviceSimulator();

    AppContext& context_;
    frmMain& frame_;
    QAction* parametersCommand_ = nullptr;
    QPointer<run_parameters> monitor_;
    WallClock deviceClock_;
    QPointer<frmDevSimulation> deviceWindow_;
};

}  // namespace bdx
