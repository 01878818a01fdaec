#include "comm_controller.h"

#include "comm/comm_link.h"
#include "comm/comm_settings.h"
#include "ladder/program.h"
#include "ser_setting_form.h"
#include "shell/app_settings.h"
#include "shell/prompter.h"
#include "ui/main/app_context.h"
#include "ui/main/frm_main.h"
#include "utilities_controller.h"

namespace bdx {

CommController::CommController(AppContext& context, frmMain& frame) : context_(context), frame_(frame) {
    // The link holds the socket; the reply and port-test time-outs (tmrTimeOut, tmrTestPortTimeOut)
    // are members of its session.
    frame_.registerCommand("mnuOptionsCommPort", [this] { showCommSettings(); });
    // A link that fails while the user is editing (an Ethernet device switched off) is told in
    // the status bar: a box in the middle of drawing would answer a question nobody asked.
    context_.commLink().setIdleReporter([this](const QString& text) { frame_.showStatusMessage(text); });
    new UtilitiesController(
        context_, frame_, [this] { showCommSettings(); }, [this] { saveCommSettings(); });
}

void CommController::showCommSettings() {
    ser_setting_form dialog(context_.commLink(), context_.program().ModelIndex, &frame_);
    // Connect and Disconnect save at once: the dialog may still be cancelled afterwards.
    connect(&dialog, &ser_setting_form::settingsToSave, this, &CommController::saveCommSettings);
    if (context_.runDialog(dialog) == DialogResult::Accepted) {
        saveCommSettings();
    }
}

void CommController::saveCommSettings() {
    QString error;
    if (!SaveCommSettings(context_.commLink().state(), context_.settings(), context_.settingsPath(),
                          &error)) {
        context_.prompter().warn(
            QStringLiteral("The settings could not be saved to %1: %2").arg(context_.settingsPath(), error));
    }
}

}  // namespace bdx
