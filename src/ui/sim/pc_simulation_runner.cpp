#include "pc_simulation_runner.h"

#include <QDockWidget>
#include <QElapsedTimer>
#include <QWidget>
#include <algorithm>

#include "editor/ladder_editor.h"
#include "io_form.h"
#include "shell/app_paths.h"

namespace bdx {

namespace {
// A scan takes about a microsecond, so yielding to the event loop after every one would spend
// nearly all the time in event processing. Each turn of the loop instead runs scans for up to
// this long, then lets the windows have their events: inputs, sliders and the stop command
// take effect between two scans, and the interface stays responsive.
constexpr qint64 kBatchNanoseconds = 2'000'000;
}  // namespace

PcSimulationRunner::PcSimulationRunner(LadderEditor& editor, Prompter& prompter, QWidget* panelParent,
                                       QObject* parent)
    : QObject(parent), editor_(editor), panelParent_(panelParent), simulation_(clock_, prompter) {
    simulation_.setDumpPath(NetworkDumpPath());
    scanTimer_.setInterval(0);
    connect(&scanTimer_, &QTimer::timeout, this, &PcSimulationRunner::runScans);
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
    if (!simulation_.PrepareSimulation(program, editor_.errors())) {
        return false;
    }
    panel_ = new I_O_form(simulation_, panelParent_);
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
    scanTimer_.start();
    Q_EMIT started();
    return true;
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
    if (!active_ || inScans_) {
        return;
    }
    inScans_ = true;
    QElapsedTimer batch;
    batch.start();
    bool goOn = true;
    do {
        goOn = simulation_.ScanOnce() == 2;
    } while (goOn && !stopRequested_ && batch.nsecsElapsed() < kBatchNanoseconds);
    inScans_ = false;
    if (!goOn || stopRequested_) {
        finish();
    }
}

void PcSimulationRunner::finish() {
    scanTimer_.stop();
    active_ = false;
    stopRequested_ = false;
    simulation_.EndSimulation();
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
