#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>

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
//
// Scans run at a steady rate, one every kScanIntervalMs on the wall clock: a turn of the event
// loop runs the scans that fell due since the last, at most kMaxScansPerTurn, so a late turn
// catches up and the block timers keep real time, while an idle run leaves the processor alone.
class PcSimulationRunner : public QObject {
    Q_OBJECT
  public:
    static constexpr int kScanIntervalMs = 10;
    static constexpr int kMaxScansPerTurn = 10;

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
    // The time the blocks run on: the wall clock by default, a manual clock in tests so that
    // timers are exact and instant. Takes effect as resetSimulation(); nullptr goes back to the
    // wall clock. Nothing while a run is going.
    void setClock(const Clock* clock);
    // Scans of the run going or of the last one.
    qint64 scanCount() const { return scans_; }

    // Where the compilation writes its diagnostic dump ("x.txt" of the application folder by
    // default); empty for none.
    void setDumpPath(const QString& path);

  Q_SIGNALS:
    void started();
    // After each turn's scans: the windows that show live values refresh once per turn.
    void scanned();
    void ended();

  private:
    void runScans();
    void finish();

    LadderEditor& editor_;
    Prompter& prompter_;
    QPointer<QWidget> panelParent_;
    WallClock wallClock_;
    const Clock* clock_ = &wallClock_;
    std::unique_ptr<PcSimulation> simulation_;
    QString dumpPath_;
    QTimer scanTimer_;
    QElapsedTimer runClock_;
    qint64 scans_ = 0;
    qint64 slotsDone_ = 0;  // scan intervals of the run dealt with, run or let go
    QPointer<I_O_form> panel_;
    bool active_ = false;
    bool stopRequested_ = false;
    bool inScans_ = false;
};

}  // namespace bdx
