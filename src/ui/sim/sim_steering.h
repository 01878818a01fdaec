#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QWidget>
#include <array>

#include "sim/simulation_clock.h"

class QAction;
class QLabel;

namespace bdx {

class PcSimulationRunner;
class frmMain;

// The status bar's part of a run with the PC: the simulated time and the scan rate with the
// time scale, or "Paused". Refreshed a few times a second at most, never by a timer of its own.
class SimStatusPanel : public QWidget {
    Q_OBJECT
  public:
    explicit SimStatusPanel(PcSimulationRunner& runner, QWidget* parent = nullptr);
    // Now, whatever the last refresh.
    void refresh();
    QLabel* timeLabel() const { return time_; }
    QLabel* rateLabel() const { return rate_; }

  private:
    void refreshSoon();

    PcSimulationRunner& runner_;
    QLabel* time_ = nullptr;
    QLabel* rate_ = nullptr;
    QElapsedTimer sinceRefresh_;
};

// Simulated time as the status bar shows it: hours, minutes, seconds and hundredths, "0:01:05.30".
QString FormatSimulatedTime(qint64 hundredths);

// Pause / Resume, Step and the time scale of a run with the PC: the commands of the Simulation
// menu and their toolbar buttons, on only while a run is going, and the status bar panel.
class SimSteering : public QObject {
    Q_OBJECT
  public:
    SimSteering(PcSimulationRunner& runner, frmMain& frame, QObject* parent = nullptr);

  private:
    void enable(bool running);
    void showSteering();
    void nextScale();

    PcSimulationRunner& runner_;
    frmMain& frame_;
    QAction* pause_ = nullptr;
    QAction* step_ = nullptr;
    QAction* next_ = nullptr;
    std::array<QAction*, kTimeScales> scales_{};
    SimStatusPanel* status_ = nullptr;
};

}  // namespace bdx
