#include "sim_controller.h"

#include <QAction>
#include <QFileInfo>
#include <memory>

#include "check/validate_before_run.h"
#include "comm/device_image.h"
#include "editor/ladder_editor.h"
#include "frm_dev_simulation.h"
#include "io_form.h"
#include "ladder/program_document.h"
#include "pc_simulation_runner.h"
#include "run_parameters.h"
#include "shell/language_table.h"
#include "shell/prompter.h"
#include "ui/main/app_context.h"
#include "ui/main/frm_main.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    ParametersMenu = 154,
    ShowParameters = 8522,
    HideParameters = 8523,
    ImageFileNotWritten = 8654,  // "The device image file could not be written: "
};
}  // namespace

SimController::SimController(AppContext& context, frmMain& frame) : context_(context), frame_(frame) {
    PcSimulationRunner& runner = context_.simulation();
    frame_.registerCommand("mnuSimulationPC", [this] { start(); });
    frame_.registerCommand("mnuSimulationStop", [&runner] { runner.stop(); });
    parametersCommand_ = frame_.registerCommand("mnuViewParameters", [this] { toggleParameters(); });
    updateParametersCommand();
    frame_.registerCommand("mnuOptionsDeviceSimulator", [this] { openDeviceSimulator(); });
    // Leaving the application stops the library's timer without the wait of a closing window.
    connect(&frame_, &frmMain::closing, this, [this] {
        if (frmDevSimulation* window = deviceWindow_.data()) {
            window->shutdown();
            delete window;
        }
    });
    connect(&runner, &PcSimulationRunner::started, this, &SimController::onStarted);
    connect(&runner, &PcSimulationRunner::ended, this, &SimController::onEnded);
    // Retentive relays, the input image and the sliders belong to one program: another program
    // starts with a fresh simulation.
    connect(&frame_, &frmMain::programInPlace, this, [&runner] {
        if (!runner.running()) {
            runner.resetSimulation();
        }
    });
}

void SimController::start() {
    if (frame_.simulationRunning() || context_.simulation().running()) {
        return;
    }
    context_.simulation().RunPcSimulation();
}

void SimController::openDeviceSimulator() {
    // One device at a time: the library keeps one device per variant.
    if (frmDevSimulation* open = deviceWindow_.data(); open != nullptr && open->isVisible()) {
        open->raise();
        open->activateWindow();
        return;
    }
    const Program& program = context_.program();
    auto network = std::make_unique<CompiledNetwork>();
    if (ValidateBeforeRun(program, context_.editor().errors(), *network, context_.prompter(), QString())) {
        return;
    }
    const QString applicationFolder = QFileInfo(context_.document().applicationCopyPath()).absolutePath();
    const QString imagePath = ImageFilePath(program, applicationFolder);
    auto* window = new frmDevSimulation(MakeLibraryEmulationCalls(program.ModelIndex), deviceClock_, &frame_);
    QString error;
    if (!window->load(program, imagePath, &error)) {
        delete window;
        context_.prompter().critical(LoadText(ImageFileNotWritten) + imagePath +
                                     (error.isEmpty() ? QString() : QLatin1Char('\n') + error));
        return;
    }
    // Gone when its closing wait is over; a window opened meanwhile is another one.
    connect(window, &frmDevSimulation::finished, window, &QObject::deleteLater);
    deviceWindow_ = window;
    window->show();
}

void SimController::onStarted() {
    context_.editor().setSimulationActive(true);
    frame_.enterSimulation(context_.simulation().panel());
    updateParametersCommand();
}

void SimController::onEnded() {
    if (monitor_ != nullptr) {
        monitor_->close();
    }
    // Back in edit mode the editor checks the program again and the windows follow.
    context_.editor().setSimulationActive(false);
    frame_.leaveSimulation();
    updateParametersCommand();
}

void SimController::toggleParameters() {
    if (monitor_ != nullptr) {
        monitor_->close();
        return;
    }
    PcSimulationRunner& runner = context_.simulation();
    if (!runner.running()) {
        return;
    }
    monitor_ = new run_parameters(context_.editor(), runner, &frame_);
    connect(monitor_, &run_parameters::blockChosen, this, [this](Operand kind, int number) {
        context_.openBlock(BlockRef{kind, number});
    });
    // Closed by the user, the command or the end of the run; it deletes itself.
    connect(monitor_, &run_parameters::closed, this, [this] {
        monitor_ = nullptr;
        updateParametersCommand();
    });
    // Under the editor, clear of the input/output panel on the right.
    const QRect owner = frame_.geometry();
    monitor_->move(owner.left() + 24, std::max(owner.top(), owner.bottom() - monitor_->height() - 48));
    monitor_->show();
    updateParametersCommand();
}

void SimController::updateParametersCommand() {
    const bool running = context_.simulation().running();
    const int id = !running ? ParametersMenu : monitor_ != nullptr ? HideParameters : ShowParameters;
    SetTextId(parametersCommand_, id);
    parametersCommand_->setText(LoadText(id));
    frame_.setCommandEnabled(parametersCommand_, running);
}

}  // namespace bdx
