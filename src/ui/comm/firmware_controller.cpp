#include "firmware_controller.h"

#include <QAction>
#include <QFileInfo>

#include "comm/comm_link.h"
#include "comm/comm_settings.h"
#include "comm/comm_texts.h"
#include "frm_communication_error_msg.h"
#include "frm_update_firmware.h"
#include "ladder/program_document.h"
#include "shell/prompter.h"
#include "ui/main/app_context.h"
#include "ui/main/frm_main.h"

namespace bdx {

FirmwareController::FirmwareController(AppContext& context, frmMain& frame)
    : context_(context), frame_(frame) {
    frame_.registerCommand("mnuFileFirmware", [this] { showFirmwareUpdate(); });
    context_.commLink().setCommErrorDialog([this] { showCommunicationError(); },
                                           [this] { unloadCommunicationError(); });
}

FirmwareController::~FirmwareController() {
    // The link outlives the window: it must not call back into a controller that is gone.
    context_.commLink().setCommErrorDialog({}, {});  // back to the plain warning
}

void FirmwareController::showFirmwareUpdate() {
    // The package is unpacked where the application keeps its own files.
    const QString folder = QFileInfo(context_.document().applicationCopyPath()).absolutePath();
    frmUpdateFirmware dialog(context_.commLink(), folder, &frame_);
    dialog.setShowCommSettings([this] {
        if (QAction* settings = frame_.command(QStringLiteral("mnuOptionsCommPort"))) {
            settings->trigger();
        }
    });
    context_.runDialog(dialog);
}

void FirmwareController::showCommunicationError() {
    if (commError_) {
        return;  // an exchange of the address search itself failed: the report is already up
    }
    frmCommunicationErrorMsg dialog(context_.commLink(), false, &frame_);
    dialog.setSaveSettings([this] { saveCommSettings(); });
    commError_ = &dialog;
    context_.runDialog(dialog);
    commError_ = nullptr;
}

void FirmwareController::unloadCommunicationError() {
    if (commError_) {
        commError_->reject();
    }
}

void FirmwareController::saveCommSettings() {
    QString error;
    if (!SaveCommSettings(context_.commLink().state(), context_.settings(), context_.settingsPath(),
                          &error)) {
        context_.prompter().warn(LoadText(CommText::SettingsNotSaved).arg(context_.settingsPath(), error));
    }
}

}  // namespace bdx
