#pragma once

#include <QObject>

namespace bdx {

class AppContext;
class frmMain;

// Simulation with the PC in the frame: With PC and Stop, and the switch of the frame's mode when
// a run starts and ends.
class SimController : public QObject {
    Q_OBJECT
  public:
    SimController(AppContext& context, frmMain& frame);

  private:
    void start();
    void onStarted();
    void onEnded();

    AppContext& context_;
    frmMain& frame_;
};

}  // namespace bdx
