#include "pc_simulation_runner.h"

#include <QDockWidget>
#include <QWidget>
#include <algorithm>

#include "editor/ladder_editor.h"
#include "io_form.h"
#include "shell/app_paths.h"

namespace bdx {

PcSimulationRunner::PcSimulationRunner(LadderEditor& editor, Prompter& prompter, QWidget* panelParent,
                                       QObject* parent)
    : QObject(parent),
      editor_(editor),
      prompter_(prompter),
      panelParent_(panelParent),
      simulation_(std::make_unique<PcSimulation>(*clock_, prompter)),
      dumpPath_(NetworkDumpPath()) {
    simulation_->setDumpPath(dumpPath_);
    // Inputs, sliders and the stop command take effect between two scans; a precise timer keeps
    // the rate steady rather than rounding each interval to the coarse timer's slack.
    scanTimer_.setTimerType(Qt::PreciseTimer);
    scanTimer_.setInterval(kScanIntervalMs);
    connect(&scanTimer_, &QTimer::timeout, this, &PcSimulationRunner::runScans);
}

I_O_form* PcSimulationRunner::panel() const {
    return panel_.data();
}

void PcSimulationRunner::setDumpPath(const QString& path) {
    dumpPath_ = path;
    simulation_->setDumpPath(path);
}

void PcSimulationRunner::resetSimulation() {
    if (active_) {
        return;
    }
    simulation_ = std::make_unique<PcSimulation>(*clock_, prompter_);
    simulation_->setDumpPath(dumpPath_);
}

void PcSimulationRunner::setClock(const Clock* clock) {
    if (active_) {
        return;
    }
    clock_ = clock != nullptr ? clock : &simClock_;
    resetSimulation();
}

void PcSimulationRunner::setWallClock(const Clock* wall) {
    if (!active_) {
        wall_ = wall != nullptr ? wall : &wallClock_;
    }
}

PcSimulationRunner::~PcSimulationRunner() {
    // The panel refers to the simulation that dies with this object.
    delete panel_.data();
}

bool PcSimulationRunner::RunPcSimulation() {
    if (active_) {
        return false;
    }
    Program& program = editor_.program();
    if (!simulation_->PrepareSimulation(program, editor_.errors())) {
        return false;
    }
    panel_ = new I_O_form(*simulation_, panelParent_);
    connect(panel_, &I_O_form::stopRequested, this, &PcSimulationRunner::stop);
    panel_->prepare(program);
    if (auto* dock = qobject_cast<QDockWidget*>(panelParent_.data())) {
        // In a dock it is the dock's content, not a window of its own; the owner shows the dock.
        panel_->setWindowFlags(Qt::Widget);
        dock->setWidget(panel_);
    } else if (panelParent_ != nullptr && panelParent_->isVisible()) {
        // Along the right edge of the main window, clear of its menus and toolbar.
        const QRect owner = panelParent_->window()->frameGeometry();
        panel_->move(std::max(owner.left(), owner.right() - panel_->frameGeometry().width() - 16),
                     owner.top() + 96);
    }
    panel_->show();

    stopRequested_ = false;
    active_ = true;
    scans_ = 0;
    scanRate_ = 0.0;
    const qint64 wall = wall_->hundredths();
    // The calendar starts from the PC's; it then moves with the simulated time.
    simClock_.startRun(wall, QDateTime::currentDateTime());
    rateWall_ = wall;
    rateScans_ = 0;
    scanTimer_.setInterval(timeScale() == TimeScale::Fastest ? 0 : kScanIntervalMs);
    scanTimer_.start();
    Q_EMIT started();
    return true;
}

void PcSimulationRunner::setPaused(bool paused) {
    if (!active_ || paused == simClock_.paused()) {
        return;
    }
    const qint64 wall = wall_->hundredths();
    if (paused) {
        // No timer while paused: an idle paused run costs nothing.
        simClock_.pause();
        scanTimer_.stop();
        scanRate_ = 0.0;
        if (panel_ != nullptr) {
            panel_->setPaused(true);
        }
    } else {
        simClock_.resume(wall);
        rateWall_ = wall;
        rateScans_ = scans_;
        scanTimer_.start();
        if (panel_ != nullptr) {
            panel_->setPaused(false);
        }
    }
    Q_EMIT steeringChanged();
}

void PcSimulationRunner::step() {
    if (!active_ || inScans_) {
        return;
    }
    setPaused(true);
    inScans_ = true;
    const bool goOn = scanOnce();
    inScans_ = false;
    if (panel_ != nullptr) {
        panel_->refresh();
    }
    Q_EMIT scanned();
    if (!goOn || stopRequested_) {
        finish();
    }
}

void PcSimulationRunner::setTimeScale(TimeScale scale) {
    if (scale == simClock_.scale()) {
        return;
    }
    const qint64 wall = wall_->hundredths();
    simClock_.setScale(scale, wall);
    scanTimer_.setInterval(scale == TimeScale::Fastest ? 0 : kScanIntervalMs);
    rateWall_ = wall;
    rateScans_ = scans_;
    Q_EMIT steeringChanged();
}

void PcSimulationRunner::stop() {
    if (!active_) {
        return;
    }
    // Inside a scan (a message box of the blocks runs its own event loop) the run ends once
    // that scan is complete.
    if (inScans_) {
        stopRequested_ = true;
        return;
    }
    finish();
}

void PcSimulationRunner::runScans() {
    if (!active_ || inScans_ || simClock_.paused()) {
        return;
    }
    inScans_ = true;
    const qint64 wall = wall_->hundredths();
    const bool fastest = timeScale() == TimeScale::Fastest;
    qint64 due = simClock_.dueScans(wall);
    if (!fastest) {
        // A turn that came very late catches up a bounded stretch and lets the rest go, so that
        // the windows get their events back; the clock jumps past what was let go, so the block
        // timers lose no time.
        const qint64 most = qint64(kMaxScansPerTurn) * TimeScaleFactor(timeScale());
        if (due > most) {
            simClock_.skipScans(due - most);
            due = most;
        }
    }
    QElapsedTimer turn;
    turn.start();
    bool goOn = true;
    const qint64 scansBefore = scans_;
    while (goOn && !stopRequested_ && due > 0) {
        goOn = scanOnce();
        --due;
        // However fast, a turn ends in time for the windows; scans left over are due next turn,
        // or let go then at a scale.
        if ((scans_ & 31) == 0 && turn.elapsed() >= kFastTurnMs) {
            break;
        }
    }
    inScans_ = false;
    measureRate(wall);
    if (scans_ != scansBefore) {
        Q_EMIT scanned();
    }
    if (!goOn || stopRequested_) {
        finish();
    }
}

bool PcSimulationRunner::scanOnce() {
    simClock_.beginScan();
    ++scans_;
    const bool goOn = simulation_->ScanOnce() == 2;
    Q_EMIT scanMade();
    return goOn;
}

void PcSimulationRunner::measureRate(qint64 wall) {
    const qint64 window = wall - rateWall_;
    if (window >= 50) {
        scanRate_ = double(scans_ - rateScans_) * 100.0 / double(window);
        rateWall_ = wall;
        rateScans_ = scans_;
    }
}

void PcSimulationRunner::finish() {
    scanTimer_.stop();
    active_ = false;
    stopRequested_ = false;
    simulation_->EndSimulation();
    if (I_O_form* panel = panel_.data()) {
        panel_ = nullptr;
        panel->disconnect(this);
        panel->hide();
        // Later: stop() may have come from one of the panel's own handlers.
        panel->deleteLater();
    }
    Q_EMIT ended();
}

}  // namespace bdx
