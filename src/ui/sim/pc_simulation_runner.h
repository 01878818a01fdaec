#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include "sim/clock.h"
#include "sim/pc_simulation.h"

class QWidget;

namespace bdx {

class I_O_form;
class LadderEditor;
class Prompter;

// Simulation with the PC on the wall clock: checks and prepares the editor's program, shows the
// input/output panel and runs the scans on the user-interface thread until the run is stopped
// or the program ends it. The main window switches its menus on started() and ended().
class PcSimulationRunner : public QObject {
    Q_OBJECT
  public:
    PcSimulationRunner(LadderEditor& editor, Prompter& prompter, QWidget* panelParent,
                       QObject* parent = nullptr);
    ~PcSimulationRunner() override;

    // Starts a run. False when the program was refused (the reason went through the prompter)
    // or a run is already going; nothing runs then.
    bool RunPcSimulation();
    // Ends the run after the scan in progress; nothing when no run is going. Safe from any
    // slot, including the panel's own.
    void stop();
    bool running() const { return active_; }

    const ScanEngine& engine() const { return simulation_.engine(); }
    // The scan engine, blocks, input image and sliders, for the windows that show or change them.
    PcSimulation& simulation() { return simulation_; }
    I_O_form* panel() const { return panel_.data(); }

    // Where the compilation writes its diagnostic dump ("x.txt" of the application folder by
    // default); empty for none.
    void setDumpPath(const QString& path) { simulation_.setDumpPath(path); }

  Q_SIGNALS:
    void started();
    void ended();

  private:
    void runScans();
    void finish();

    LadderEditor& editor_;
    QPointer<QWidget> panelParent_;
    WallClock clock_;
    PcSimulation simulation_;
    QTimer scanTimer_;
    QPointer<I_O_form> panel_;
    bool active_ = false;
    bool stopRequested_ = false;
    bool inScans_ = false;
};

}  // namespace bdx
