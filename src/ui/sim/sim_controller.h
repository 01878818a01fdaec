#pragma once

#include <QObject>
#include <QPointer>

#include "sim/clock.h"

namespace bdx {

class AppContext;
class frmDevSimulation;
class frmMain;

// Simulation with the PC in the frame: With PC and Stop, and the switch of the frame's mode when
// a run starts and ends. Also the device simulator window (Options / Device Simulator).
class SimController : public QObject {
    Q_OBJECT
  public:
    SimController(AppContext& context, frmMain& frame);

  private:
    void start();
    void onStarted();
    void onEnded();
    // Opens the device simulator window for the program, or brings the open one forward.
    void openDeviceSimulator();

    AppContext& context_;
    frmMain& frame_;
    WallClock deviceClock_;
    QPointer<frmDevSimulation> deviceWindow_;
};

}  // namespace bdx
