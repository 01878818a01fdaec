#include "device_run_controller.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QMdiSubWindow>
#include <QScopeGuard>
#include <QSlider>
#include <QStatusBar>

#include "blocks/device_model.h"
#include "comm/comm_texts.h"
#include "comm/device_steps.h"
#include "comm/modbus_requests.h"
#include "comm/online_monitoring.h"
#include "editor/ladder_editor.h"
#include "io_form.h"
#include "pc_simulation_runner.h"
#include "run_text_form.h"
#include "shell/language_table.h"
#include "shell/prompter.h"
#include "sim/pc_simulation.h"
#include "ui/ladder/ladder_view.h"
#include "ui/main/app_context.h"
#include "ui/main/frm_main.h"

namespace bdx {

namespace {

enum TextId {
    EndSimulationQuestion = 4210,
};

// The panel shows what the device reads; a click there would be overwritten by the next pass.
void ShowOnly(QWidget* control) {
    if (control != nullptr) {
        control->setAttribute(Qt::WA_TransparentForMouseEvents);
        control->setFocusPolicy(Qt::NoFocus);
    }
}

}  // namespace

DeviceRunController::DeviceRunController(AppContext& context, frmMain& frame)
    : context_(context), frame_(frame) {
    // Among the frame's children, where the windows and tests that follow a run look for it;
    // the frame still deletes its controllers itself.
    setObjectName(QStringLiteral("DeviceRunController"));
    setParent(&frame_);
    frame_.registerCommand("mnuSimulationDevice", [this] { start(); });
    // Stop already ends a run with the PC; it ends this one as well.
    connect(frame_.command(QStringLiteral("mnuSimulationStop")), &QAction::triggered, this,
            &DeviceRunController::stop);
    passTimer_.setSingleShot(true);
    passTimer_.setInterval(0);
    connect(&passTimer_, &QTimer::timeout, this, &DeviceRunController::nextPass);
    frame_.installEventFilter(this);
}

DeviceRunController::~DeviceRunController() {
    frame_.removeEventFilter(this);
    // The windows refer to the simulation that dies with this object.
    delete textDisplay_.data();
    delete panel_.data();
}

const ScanEngine* DeviceRunController::engine() const {
    return simulation_ != nullptr ? &simulation_->engine() : nullptr;
}

I_O_form* DeviceRunController::panel() const {
    return panel_.data();
}

run_text_form* DeviceRunController::textDisplay() const {
    return textDisplay_.data();
}

void DeviceRunController::start() {
    if (running() || frame_.simulationRunning() || context_.simulation().running()) {
        return;
    }
    phase_ = Phase::Starting;
    stopRequested_ = false;
    passes_ = 0;
    // Both starts stay off while the device is checked: a run with the PC must not begin
    // underneath. Run mode keeps them off; a start that fails gives them back.
    setStartsEnabled(false);
    const auto restoreStarts = qScopeGuard([this] {
        if (!inRunMode_) {
            setStartsEnabled(true);
        }
    });
    CommLink& link = context_.commLink();
    // Held until the device has been stopped: every link error of the run is the user's to see.
    action_.emplace(link);
    // A silent device takes its time-outs to say so: the status bar says what is going on, and
    // Stop gives up the wait.
    checking_ = true;
    frame_.statusBar()->showMessage(LoadText(CommText::Connecting));
    const bool deviceOk = checkDevice();
    frame_.statusBar()->clearMessage();
    checking_ = false;
    if (!deviceOk || stopRequested_) {
        action_.reset();
        phase_ = Phase::Idle;
        if (closeAfterRun_) {
            closeAfterRun_ = false;
            QTimer::singleShot(0, &frame_, &QWidget::close);
        }
        return;
    }
    // A fresh simulation per run, on the PC's clock: the device's time is real time.
    delete textDisplay_.data();
    delete panel_.data();
    monitoring_.reset();
    simulation_ = std::make_unique<PcSimulation>(clock_, context_.prompter());
    monitoring_ = std::make_unique<OnlineMonitoring>(link.session(), *simulation_);
    monitoring_->stopDelayMs = stopDelayMs_;
    monitoring_->onlineStarted = [this] { enterRunMode(); };
    if (!monitoring_->BeginOnlineMonitoring(context_.program(), context_.editor().errors())) {
        finish();
        return;
    }
    phase_ = Phase::Running;
    if (stopRequested_) {
        monitoring_->requestStop();
    }
    passTimer_.start();
}

void DeviceRunController::setStartsEnabled(bool enabled) {
    for (const char* name : {"mnuSimulationPC", "mnuSimulationDevice"}) {
        frame_.setCommandEnabled(frame_.command(QString::fromLatin1(name)), enabled);
    }
    frame_.setCommandEnabled(frame_.command(QStringLiteral("mnuSimulationStop")), !enabled);
}

bool DeviceRunController::checkDevice() {
    ModbusSession& session = context_.commLink().session();
    CommState& state = session.state();
    state.CommFailed = false;
    state.CommCancelled = false;
    DeviceSteps steps(session);
    if (!steps.CheckCommPort()) {
        return false;
    }
    state.ModelByte = static_cast<std::uint8_t>(context_.program().ModelIndex);
    const ModelFamilyResult family = CheckModelFamily(session);
    if (family == ModelFamilyResult::Accepted) {
        return true;
    }
    // A failed exchange has told the user already.
    if (state.CommFailed || state.CommCancelled) {
        return false;
    }
    if (family == ModelFamilyResult::Rejected) {
        context_.prompter().show(
            {MessageIcon::Critical,
             LoadText(CommText::FirmwareNotSupported) + u'\n' + LoadText(CommText::SeeHelp),
             {Reply::Ok, Reply::Help}});
    } else {
        context_.prompter().critical(session.transport().isEthernet() ? EthernetNoReplyMessage()
                                                                      : SerialNoReplyMessage());
    }
    return false;
}

void DeviceRunController::enterRunMode() {
    const Program& program = context_.program();
    auto* panel = new I_O_form(*simulation_);
    panel->setWindowFlags(Qt::Widget);
    panel->prepare(program);
    for (int i = 0; i < kPanelInputs; ++i) {
        ShowOnly(panel->inputBox(i));
    }
    for (int channel = 0; channel < kAnalogChannels; ++channel) {
        ShowOnly(panel->slider(channel));
    }
    connect(panel, &I_O_form::stopRequested, this, &DeviceRunController::stop);
    panel_ = panel;

    context_.editor().setSimulationActive(true);
    frame_.enterSimulation(panel, true);
    inRunMode_ = true;
    // The frame's switch points the ladder at the PC run; this run has its own engine.
    if (QMdiSubWindow* editorWindow = frame_.editorWindow()) {
        if (auto* view = qobject_cast<LadderView*>(editorWindow->widget())) {
            view->setLiveEngine(&simulation_->engine());
        }
    }

    if (HasDisplay(program.ModelIndex)) {
        auto* display = new run_text_form(*simulation_, &frame_);
        connect(display, &run_text_form::stopRequested, this, &DeviceRunController::stop);
        textDisplay_ = display;
        simulation_->blocks().softTexts.setDisplayShown(true);
        display->adjustSize();
        if (frame_.isVisible()) {
            // Low on the right, over the editor rather than the panel's boxes.
            const QRect owner = frame_.frameGeometry();
            const QSize size = display->frameGeometry().size();
            display->move(std::max(owner.left(), owner.right() - size.width() - 24),
                          std::max(owner.top(), owner.bottom() - size.height() - 48));
        }
        display->show();
    }
}

void DeviceRunController::stop() {
    if (!running()) {
        return;
    }
    stopRequested_ = true;
    if (checking_) {
        // Nothing to stop on the device yet: the wait for its answer ends at once.
        context_.commLink().cancel();
    } else if (monitoring_ != nullptr) {
        monitoring_->requestStop();
    }
}

void DeviceRunController::nextPass() {
    if (phase_ != Phase::Running) {
        return;
    }
    if (!monitoring_->Pass()) {
        finish();
        return;
    }
    ++passes_;
    Q_EMIT passed();
    if (phase_ == Phase::Running) {
        passTimer_.start();
    }
}

void DeviceRunController::finish() {
    phase_ = Phase::Stopping;
    passTimer_.stop();
    // After a failed start the core has stopped the device already.
    if (inRunMode_) {
        monitoring_->StopOnlineMonitoring();
        inRunMode_ = false;
        // The windows go at once: no handler of theirs is under this call (theirs only ask for
        // a stop), and a later run must not find them on its predecessor's simulation.
        if (run_text_form* display = textDisplay_.data()) {
            textDisplay_ = nullptr;
            delete display;
        }
        // Back in edit mode the editor checks the program again and the windows follow.
        context_.editor().setSimulationActive(false);
        frame_.leaveSimulation();
        if (I_O_form* panel = panel_.data()) {
            panel_ = nullptr;
            delete panel;
        }
    }
    action_.reset();
    phase_ = Phase::Idle;
    Q_EMIT ended();
    if (closeAfterRun_) {
        closeAfterRun_ = false;
        QTimer::singleShot(0, &frame_, &QWidget::close);
    }
}

bool DeviceRunController::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &frame_ || event->type() != QEvent::Close || !running()) {
        return QObject::eventFilter(watched, event);
    }
    // The run is on the call stack of nothing: the frame closes once the device is stopped.
    event->ignore();
    if (closeAfterRun_) {
        return true;
    }
    if (stopRequested_ || phase_ == Phase::Stopping ||
        context_.prompter().askYesNo(LoadText(EndSimulationQuestion))) {
        closeAfterRun_ = true;
        stop();
    }
    return true;
}

}  // namespace bdx
