#include "transfer_controller.h"

#include <QAction>

#include "comm/comm_link.h"
#include "shell/app_settings.h"
#include "transfer_form.h"
#include "ui/main/app_context.h"
#include "ui/main/frm_main.h"

namespace bdx {

TransferController::TransferController(AppContext& context, frmMain& frame,
                                       std::function<void()> saveCommSettings,
                                       std::function<void()> showCommSettings, QObject* parent)
    : QObject(parent),
      context_(context),
      frame_(frame),
      saveCommSettings_(std::move(saveCommSettings)),
      showCommSettings_(std::move(showCommSettings)) {
    // The toolbar's Transfer button carries this command, so it follows the command's enabling
    // (off while a simulation runs).
    frame_.registerCommand("mnuTransferProgram", [this] { showTransfer(); });
}

void TransferController::showTransfer() {
    transfer_form::Hooks hooks;
    hooks.settingsChanged = saveCommSettings_;
    hooks.showCommSettings = showCommSettings_;
    hooks.setRunControlsEnabled = [this](bool enabled) { setRunControlsEnabled(enabled); };
    transfer_form dialog(context_.commLink(), context_.document(), context_.prompter(),
                         context_.settings().BigEndian, std::move(hooks), &frame_);
    context_.runDialog(dialog);
}

void TransferController::setRunControlsEnabled(bool enabled) {
    QAction* stop = frame_.command(QStringLiteral("mnuSimulationStop"));
    if (stop != nullptr) {
        frame_.setCommandEnabled(stop, enabled && frame_.simulationRunning());
    }
}

}  // namespace bdx
