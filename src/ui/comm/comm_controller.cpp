#include "comm_controller.h"

#include <QStatusBar>

#include "clock_controller.h"
#include "comm/comm_link.h"
#include "comm/comm_settings.h"
#include "comm/comm_texts.h"
#include "firmware_controller.h"
#include "ladder/program.h"
#include "ser_setting_form.h"
#include "transfer_controller.h"
#include "shell/app_settings.h"
#include "shell/prompter.h"
#include "ui/main/app_context.h"
#include "ui/main/frm_main.h"
#include "utilities_controller.h"

namespace bdx {

namespace {
constexpr int kLinkNoticeMs = 15000;
}

CommController::CommController(AppContext& context, frmMain& frame) : context_(context), frame_(frame) {
    // The link holds the socket; the reply and port-test time-outs (tmrTimeOut, tmrTestPortTimeOut)
    // are members of its session.
    // Transfer / Communication Parameters and Options / Comm Port are the same dialog.
    frame_.registerCommand("mnuOptionsCommPort", [this] { showCommSettings(); });
    frame_.registerCommand("mnuTransferComm", [this] { showCommSettings(); });
    new ClockController(
        context_, frame_, [this] { showCommSettings(); }, [this] { saveCommSettings(); }, this);
    // A link that fails while the user is editing (an Ethernet device switched off) is told in
    // the status bar: a box in the middle of drawing would answer a question nobody asked. The
    // line stays long enough to be read.
    context_.commLink().setIdleReporter(
        [this](const QString& text) { frame_.statusBar()->showMessage(text, kLinkNoticeMs); });
    firmware_ = std::make_unique<FirmwareController>(context_, frame_);
    new TransferController(
        context_, frame_, [this] { saveCommSettings(); }, [this] { showCommSettings(); }, this);
    new UtilitiesController(
        context_, frame_, [this] { showCommSettings(); }, [this] { saveCommSettings(); });
}

CommController::~CommController() = default;

void CommController::showCommSettings() {
    const AppSettings opened = context_.settings();
    ser_setting_form dialog(context_.commLink(), context_.program().ModelIndex, &frame_);
    // Connect and Disconnect save at once: the dialog may still be cancelled afterwards.
    connect(&dialog, &ser_setting_form::settingsToSave, this, &CommController::saveCommSettings);
    if (context_.runDialog(dialog) == DialogResult::Accepted) {
        saveCommSettings();
    } else if (dialog.settingsRestored()) {
        // Cancel takes back what Connect and Disconnect saved: the file as it was.
        context_.settings() = opened;
        writeSettings([this](QString* error) {
            return WriteSettings(context_.settingsPath(), context_.settings(), error);
        });
    }
}

void CommController::saveCommSettings() {
    writeSettings([this](QString* error) {
        return SaveCommSettings(context_.commLink().state(), context_.settings(), context_.settingsPath(),
                                error);
    });
}

void CommController::writeSettings(const std::function<bool(QString* error)>& write) {
    QString error;
    if (!write(&error)) {
        context_.prompter().warn(LoadText(CommText::SettingsNotSaved).arg(context_.settingsPath(), error));
    }
}

}  // namespace bdx
