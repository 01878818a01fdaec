#include "blocks_controller.h"

#include "config_form.h"
#include "editor/ladder_editor.h"
#include "timer_form.h"
#include "ui/main/app_context.h"
#include "ui/main/frm_main.h"
#include "ui/widgets/captions.h"

namespace bdx {

BlocksController::BlocksController(AppContext& context, frmMain& frame) : context_(context), frame_(frame) {
    frame_.registerCommand("mnuConfigModel", [this] { configModel(); });
    frame_.registerCommand("mnuEditProperties", [this] { properties(); });
    dialogs_[Operand::T] = [this](int timer) { openTimer(timer); };
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

void BlocksController::properties() {
    // The dialogs do not yet talk to a running simulation.
    if (frame_.simulationRunning()) {
        return;
    }
    const std::optional<BlockRef> block = context_.editor().PropertiesTarget();
    if (!block) {
        return;
    }
    const auto opener = dialogs_.find(block->kind);
    if (opener != dialogs_.end()) {
        opener->second(block->number);
    }
}

void BlocksController::openTimer(int timer) {
    timer_form dialog(context_.editor(), context_.prompter(), timer, &frame_);
    context_.runDialog(dialog);
}

}  // namespace bdx
