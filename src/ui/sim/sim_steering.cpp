#include "sim_steering.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QToolButton>

#include "pc_simulation_runner.h"
#include "shell/language_table.h"
#include "ui/main/frm_main.h"
#include "ui/widgets/captions.h"
#include "ui/widgets/toolbar_icons.h"

namespace bdx {

namespace {

enum TextId {
    Pause = 8700,
    Resume = 8701,
    ShortFastest = 8709,
    SimulatedTime = 8710,
    ScansPerSecond = 8711,
    Paused = 8712,
};

constexpr std::array<const char*, kTimeScales> kScaleCommands = {"mnuTimeScaleX1", "mnuTimeScaleX10",
                                                                 "mnuTimeScaleX100", "mnuTimeScaleFastest"};

// The scale in a few characters, for the toolbar button and the status bar.
QString ShortScaleName(TimeScale scale) {
    const int factor = TimeScaleFactor(scale);
    return factor > 0 ? QStringLiteral("x%1").arg(factor) : LoadText(ShortFastest);
}

}  // namespace

QString FormatSimulatedTime(qint64 hundredths) {
    const qint64 seconds = hundredths / 100;
    return QStringLiteral("%1:%2:%3.%4")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

SimStatusPanel::SimStatusPanel(PcSimulationRunner& runner, QWidget* parent) : QWidget(parent), runner_(runner) {
    setObjectName(QStringLiteral("sbSimulationStatus"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    time_ = new QLabel(this);
    time_->setObjectName(QStringLiteral("sbSimulatedTime"));
    rate_ = new QLabel(this);
    rate_->setObjectName(QStringLiteral("sbScanRate"));
    for (QLabel* label : {time_, rate_}) {
        label->setContentsMargins(6, 0, 6, 0);
        layout->addWidget(label);
    }
    // Refreshed with the scans, but a few times a second is all the eye can read.
    connect(&runner_, &PcSimulationRunner::scanned, this, &SimStatusPanel::refreshSoon);
    connect(&runner_, &PcSimulationRunner::steeringChanged, this, &SimStatusPanel::refresh);
    connect(&runner_, &PcSimulationRunner::started, this, &SimStatusPanel::refresh);
    sinceRefresh_.start();
}

void SimStatusPanel::refreshSoon() {
    // A step refreshes at once: the user waits for exactly that scan.
    if (runner_.paused() || sinceRefresh_.elapsed() >= 200) {
        refresh();
    }
}

void SimStatusPanel::refresh() {
    sinceRefresh_.restart();
    time_->setText(LoadText(SimulatedTime).arg(FormatSimulatedTime(runner_.simulatedHundredths())));
    const QString state = runner_.paused() ? LoadText(Paused)
                                           : LoadText(ScansPerSecond).arg(qRound64(runner_.scanRate()));
    rate_->setText(state + QStringLiteral("  (") + ShortScaleName(runner_.timeScale()) + QLatin1Char(')'));
    for (QLabel* label : {time_, rate_}) {
        label->setAccessibleName(label->text());
    }
}

SimSteering::SimSteering(PcSimulationRunner& runner, frmMain& frame, QObject* parent)
    : QObject(parent), runner_(runner), frame_(frame) {
    pause_ = frame_.registerCommand("mnuSimulationPause", [this] { runner_.setPaused(!runner_.paused()); });
    step_ = frame_.registerCommand("mnuSimulationStep", [this] { runner_.step(); });
    next_ = frame_.registerCommand("mnuTimeScaleNext", [this] { nextScale(); });
    // F6, F7 and F8 steer the run from any of its windows: block dialogs, the monitor, the display.
    for (QAction* key : {pause_, step_, next_}) {
        key->setShortcutContext(Qt::ApplicationShortcut);
    }
    for (int i = 0; i < kTimeScales; ++i) {
        scales_[i] = frame_.registerCommand(kScaleCommands[i],
                                            [this, i] { runner_.setTimeScale(static_cast<TimeScale>(i)); });
    }
    // The toolbar's scale button steps to the next scale; its arrow offers them all.
    if (QToolButton* button = frame_.toolbarButton(QStringLiteral("SimulationTimeScale"))) {
        auto* choices = new QMenu(button);
        choices->setObjectName(QStringLiteral("mnuToolbarTimeScale"));
        for (QAction* scale : scales_) {
            choices->addAction(scale);
        }
        button->setMenu(choices);
        button->setPopupMode(QToolButton::MenuButtonPopup);
    }

    status_ = new SimStatusPanel(runner_, &frame_);
    frame_.statusBar()->addPermanentWidget(status_);
    status_->hide();

    connect(&runner_, &PcSimulationRunner::started, this, [this] { enable(true); });
    connect(&runner_, &PcSimulationRunner::ended, this, [this] { enable(false); });
    connect(&runner_, &PcSimulationRunner::steeringChanged, this, &SimSteering::showSteering);
    connect(&frame_, &frmMain::captionsApplied, this, [this] {
        showSteering();
        status_->refresh();
    });
    enable(runner_.running());
}

void SimSteering::enable(bool running) {
    for (QAction* action : {pause_, step_, next_}) {
        frame_.setCommandEnabled(action, running);
    }
    for (QAction* scale : scales_) {
        frame_.setCommandEnabled(scale, running);
    }
    status_->setVisible(running);
    showSteering();
    status_->refresh();
}

void SimSteering::showSteering() {
    const bool paused = runner_.paused();
    SetTextId(pause_, paused ? Resume : Pause);
    pause_->setText(LoadText(paused ? Resume : Pause));
    pause_->setIcon(ToolbarIcon(QLatin1String(paused ? "SimulationResume" : "SimulationPause")));
    scales_[static_cast<int>(runner_.timeScale())]->setChecked(true);
    next_->setToolTip(WithoutAccelerators(next_->text()) + QStringLiteral(" (") +
                      ShortScaleName(runner_.timeScale()) + QLatin1Char(')'));
}

void SimSteering::nextScale() {
    runner_.setTimeScale(static_cast<TimeScale>((static_cast<int>(runner_.timeScale()) + 1) % kTimeScales));
}

}  // namespace bdx
