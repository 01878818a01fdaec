#include "sim_controller.h"

#include <QFileInfo>
#include <memory>

#include "check/validate_before_run.h"
#include "comm/device_image.h"
#include "editor/ladder_editor.h"
#include "frm_dev_simulation.h"
#include "io_form.h"
#include "ladder/program_document.h"
#include "pc_simulation_runner.h"
#include "shell/language_table.h"
#include "shell/prompter.h"
#include "ui/main/app_context.h"
#include "ui/main/frm_main.h"

namespace bdx {

namespace {
constexpr int kImageFileNotWritten = 8654;  // "The device image file could not be written: "
}  // namespace

SimController::SimController(AppContext& context, frmMain& frame) : context_(context), frame_(frame) {
    PcSimulationRunner& runner = context_.simulation();
    frame_.registerCommand("mnuSimulationPC", [this] { start(); });
    frame_.registerCommand("mnuSimulationStop", [&runner] { runner.stop(); });
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
        context_.prompter().critical(LoadText(kImageFileNotWritten) + imagePath +
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
}

void SimController::onEnded() {
    // Back in edit mode the editor checks the program again and the windows follow.
    context_.editor().setSimulationActive(false);
    frame_.leaveSimulation();
}

}  // namespace bdx
