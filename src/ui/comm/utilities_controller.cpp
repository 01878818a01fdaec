#include "utilities_controller.h"

#include <QAction>

#include "blocks/device_model.h"
#include "comm/device_utilities.h"
#include "frm_device_utilities.h"
#include "ladder/program.h"
#include "shell/app_settings.h"
#include "ui/main/app_context.h"
#include "ui/main/frm_main.h"

namespace bdx {

UtilitiesController::UtilitiesController(AppContext& context, frmMain& frame,
                                         std::function<void()> showCommSettings,
                                         std::function<void()> saveCommSettings)
    : QObject(&frame),
      context_(context),
      frame_(frame),
      showCommSettings_(std::move(showCommSettings)),
      saveCommSettings_(std::move(saveCommSettings)) {
    frame_.registerCommand("mnuConfigUtilities", [this] { mnuConfigUtilities_Click(); });
}

UtilitiesWiring UtilitiesController::wiring() {
    UtilitiesWiring w;
    w.link = &context_.commLink();
    w.configure = [this](DeviceUtilities& u) { configure(u); };
    w.runDialog = [this](QDialog& dialog) { return context_.runDialog(dialog); };
    w.modelIndex = context_.program().ModelIndex;
    return w;
}

void UtilitiesController::configure(DeviceUtilities& u) {
    u.saveSettings = saveCommSettings_;
    u.showCommSettings = showCommSettings_;
    u.bigEndian = context_.settings().BigEndian;
    // The stop command stays off while the device is being stopped, and then returns to what
    // the simulation mode made it.
    u.setStopControlsEnabled = [this](bool enabled) {
        QAction* stop = frame_.command(QStringLiteral("mnuSimulationStop"));
        if (stop == nullptr) {
            return;
        }
        if (!enabled) {
            stopWasEnabled_ = stop->isEnabled();
            stop->setEnabled(false);
        } else {
            frame_.setCommandEnabled(stop, stopWasEnabled_);
        }
    };
}

void UtilitiesController::mnuConfigUtilities_Click() {
    // The second-generation display models have the backlight and the reset-menu password;
    // every other model the password boxes.
    if (IsSecondGenerationDisplayModel(context_.program().ModelIndex)) {
        frmDeviceUtilities window(wiring(), &frame_);
        context_.runDialog(window);
    } else {
        frmDeviceUtilities_Other window(wiring(), &frame_);
        context_.runDialog(window);
    }
}

}  // namespace bdx
