#include "blocks_controller.h"

#include "config_form.h"
#include "editor/ladder_editor.h"
#include "ui/main/app_context.h"
#include "ui/main/frm_main.h"
#include "ui/widgets/captions.h"

namespace bdx {

BlocksController::BlocksController(AppContext& context, frmMain& frame) : context_(context), frame_(frame) {
    frame_.registerCommand("mnuConfigModel", [this] { configModel(); });
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

}  // namespace bdx
