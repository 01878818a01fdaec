#include "sim_controller.h"

#include "editor/ladder_editor.h"
#include "io_form.h"
#include "pc_simulation_runner.h"
#include "sim_steering.h"
#include "ui/main/app_context.h"
#include "ui/main/frm_main.h"

namespace bdx {

SimController::SimController(AppContext& context, frmMain& frame) : context_(context), frame_(frame) {
    PcSimulationRunner& runner = context_.simulation();
    frame_.registerCommand("mnuSimulationPC", [this] { start(); });
    frame_.registerCommand("mnuSimulationStop", [&runner] { runner.stop(); });
    connect(&runner, &PcSimulationRunner::started, this, &SimController::onStarted);
    connect(&runner, &PcSimulationRunner::ended, this, &SimController::onEnded);
    new SimSteering(runner, frame_, this);
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
