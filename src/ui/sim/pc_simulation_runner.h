#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>

#include "sim/clock.h"
#include "sim/pc_simulation.h"
#include "sim/simulation_clock.h"

class QWidget;

namespace bdx {

class I_O_form;
class LadderEditor;
class Prompter;

// Simulation with the PC: checks and prepares the editor's program, shows the
// input/output panel and runs the scans on the user-interface thread until the run is stopped
// or the program ends it. The main window switches its menus on started() and ended().
//
// Scans run at a steady rate, one per 10 ms of simulated time, and the simulated time follows
// the wall clock by the time scale (x1, x10, x100). A turn of the event loop, every
// kScanIntervalMs, runs the scans that fell due since the last, at most kMaxScansPerTurn times
// the scale, so a late turn catches up and the block timers keep time, while an idle run leaves
// the processor alone. As fast as possible, turns follow each other at once and each runs scans
// for kFastTurnMs, so that the windows still get their events. A paused run has no timer at all.
class PcSimulationRunner : public QObject {
    Q_OBJECT
  public:
    static constexpr int kScanIntervalMs = 10;
    static constexpr int kMaxScansPerTurn = 10;
    static constexpr int kFastTurnMs = 15;

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

    const ScanEngine& engine() const { return simulation_->engine(); }
    // The scan engine, blocks, input image and sliders, for the windows that show or change them.
    PcSimulation& simulation() { return *simulation_; }
    I_O_form* panel() const;
    // Where the panel goes: a dock takes it as its content, any other widget as its owner.
    void setPanelParent(QWidget* parent) { panelParent_ = parent; }
    // Another program: a fresh simulation, so that retentive relays, the input image and the
    // sliders do not carry over. Nothing while a run is going.
    void resetSimulation();
    // The time the blocks run on: the run's simulated time by default, a manual clock in tests
    // so that timers are exact and instant. Takes effect as resetSimulation(); nullptr goes back
    // to the simulated time. Nothing while a run is going.
    void setClock(const Clock* clock);
    // Scans of the run going or of the last one.
    qint64 scanCount() const { return scans_; }

    // Steering the run going; nothing without one. A new run starts unpaused at the scale chosen
    // last. Paused, no scan runs and the simulated time stands still.
    void setPaused(bool paused);
    bool paused() const { return active_ && simClock_.paused(); }
    // Exactly one scan, 10 ms of simulated time later; a running run is paused first.
    void step();
    void setTimeScale(TimeScale scale);
    TimeScale timeScale() const { return simClock_.scale(); }
    // Simulated time of the latest scan since the run started, in hundredths.
    qint64 simulatedHundredths() const { return simClock_.runTime(); }
    // Scans per second of wall time over the latest half second; 0 while paused.
    double scanRate() const { return scanRate_; }
    // The wall time that paces the scans: the real one by default, a manual clock in tests so
    // that a scaled run takes no real time. nullptr goes back to the real one.
    void setWallClock(const Clock* wall);

    // Where the compilation writes its diagnostic dump ("x.txt" of the application folder by
    // default); empty for none.
    void setDumpPath(const QString& path);

  Q_SIGNALS:
    void started();
    // After each turn's scans: the windows that show live values refresh once per turn.
    void scanned();
    // After every single scan, for what must see each one (a recording at scan resolution
    // when a turn runs many); windows use scanned().
    void scanMade();
    void ended();
    // Paused, resumed or another time scale.
    void steeringChanged();

  private:
    void runScans();
    // One scan at the clock's next time; false when the program ended the run.
    bool scanOnce();
    void measureRate(qint64 wall);
    void finish();

    LadderEditor& editor_;
    Prompter& prompter_;
    QPointer<QWidget> panelParent_;
    WallClock wallClock_;
    const Clock* wall_ = &wallClock_;
    SimulationClock simClock_;
    const Clock* clock_ = &simClock_;
    std::unique_ptr<PcSimulation> simulation_;
    QString dumpPath_;
    QTimer scanTimer_;
    qint64 scans_ = 0;
    double scanRate_ = 0.0;
    qint64 rateWall_ = 0;  // start of the rate's measuring window, and the scans before it
    qint64 rateScans_ = 0;
    QPointer<I_O_form> panel_;
    bool active_ = false;
    bool stopRequested_ = false;
    bool inScans_ = false;
};

}  // namespace bdx
