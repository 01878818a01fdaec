#include "blocks_controller.h"

#include <QAction>

#include "analog_form.h"
#include "blocks/device_model.h"
#include "compare_form.h"
#include "config_form.h"
#include "counter_form.h"
#include "editor/ladder_editor.h"
#include "frm_analog_scaling.h"
#include "frm_timeswitch_block.h"
#include "hour_meter_frm.h"
#include "soft_text_form.h"
#include "timer_form.h"
#include "ui/main/app_context.h"
#include "ui/main/frm_main.h"
#include "ui/sim/pc_simulation_runner.h"
#include "ui/widgets/captions.h"

namespace bdx {

BlocksController::BlocksController(AppContext& context, frmMain& frame) : context_(context), frame_(frame) {
    frame_.registerCommand("mnuConfigModel", [this] { configModel(); });
    frame_.registerCommand("mnuEditProperties", [this] { properties(); });
    context_.setBlockOpener([this](const BlockRef& block) { openBlock(block); });
    dialogs_[Operand::T] = [this](int number, PcSimulationRunner* run) -> BlockDialog* {
        return new timer_form(context_.editor(), context_.prompter(), number, run, &frame_);
    };
    dialogs_[Operand::C] = [this](int number, PcSimulationRunner* run) -> BlockDialog* {
        return new counter_form(context_.editor(), context_.prompter(), number, run, &frame_);
    };
    dialogs_[Operand::P] = [this](int number, PcSimulationRunner* run) -> BlockDialog* {
        return new compare_form(context_.editor(), context_.prompter(), number, run, &frame_);
    };
    dialogs_[Operand::Clock] = [this](int number, PcSimulationRunner* run) -> BlockDialog* {
        return new frmTimeswitchBlock(context_.editor(), context_.prompter(), number, run, &frame_);
    };
    dialogs_[Operand::H] = [this](int number, PcSimulationRunner* run) -> BlockDialog* {
        return new HourMeterFrm(context_.editor(), context_.prompter(), number, run, &frame_);
    };
    dialogs_[Operand::A] = [this](int number, PcSimulationRunner* run) -> BlockDialog* {
        return new analog_form(context_.editor(), context_.prompter(), number, run, &frame_);
    };
    // Analog scaling exists only where the model has analog inputs.
    QAction* scaling = frame_.registerCommand("mnuAnalogScaling", [this] { analogScaling(); });
    connect(&frame_, &frmMain::modelShown, scaling,
            [this, scaling](int model) { frame_.setCommandEnabled(scaling, HasAnalog(model)); });
    dialogs_[Operand::X] = [this](int number, PcSimulationRunner* run) -> BlockDialog* {
        return new soft_text_form(
            context_.editor(), context_.prompter(), number,
            [this](QDialog& d) { return context_.runDialog(d); }, run, &frame_);
    };
}

BlocksController::~BlocksController() {
    context_.setBlockOpener({});
}

void BlocksController::configModel() {
    if (frame_.simulationRunning()) {
        return;
    }
    config_form dialog(context_.editor(), context_.prompter(), &frame_);
    ApplyCaptions(&dialog);
    // The model change is an edit: the frame and the toolbox follow the editor's announcement.
    context_.runDialog(dialog);
}

void BlocksController::analogScaling() {
    if (!HasAnalog(context_.program().ModelIndex)) {
        return;
    }
    frmAnalogScaling dialog(context_.editor(), context_.prompter(), &frame_);
    context_.runDialog(dialog);
}

void BlocksController::properties() {
    if (const std::optional<BlockRef> block = context_.editor().PropertiesTarget()) {
        openBlock(*block);
    }
}

void BlocksController::openBlock(const BlockRef& block) {
    const auto factory = dialogs_.find(block.kind);
    if (factory == dialogs_.end()) {
        return;
    }
    PcSimulationRunner& runner = context_.simulation();
    if (!runner.running()) {
        std::unique_ptr<BlockDialog> dialog(factory->second(block.number, nullptr));
        context_.runDialog(*dialog);
        return;
    }
    // During a run the dialog lives beside the simulation and goes when closed or when the run
    // ends. Two dialogs of one block would store over each other: the open one comes forward.
    std::erase_if(runDialogs_, [](const QPointer<BlockDialog>& open) { return open.isNull(); });
    for (const QPointer<BlockDialog>& open : runDialogs_) {
        if (open->kind() == block.kind && open->number() == block.number) {
            open->raise();
            open->activateWindow();
            return;
        }
    }
    BlockDialog* dialog = factory->second(block.number, &runner);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    runDialogs_.emplace_back(dialog);
    dialog->show();
}

}  // namespace bdx
