#include "clock_controller.h"

#include <QAction>

#include "comm/comm_link.h"
#include "comm/device_utilities.h"
#include "frm_clock_settings.h"
#include "shell/app_settings.h"
#include "ui/main/app_context.h"
#include "ui/main/frm_main.h"

namespace bdx {

ClockController::ClockController(AppContext& context, frmMain& frame, std::function<void()> showCommSettings,
                                 std::function<void()> saveSettings, QObject* parent)
    : QObject(parent),
      context_(context),
      frame_(frame),
      showCommSettings_(std::move(showCommSettings)),
      saveSettings_(std::move(saveSettings)) {
    // The toolbar's "ClockTransfer" button runs the same command.
    frame_.registerCommand("mnuTransferClock", [this] { showClock(); });
}

void ClockController::showClock() {
    frmClockSettings dialog(
        context_.commLink(), [this] { return makeUtilities(); }, &frame_);
    context_.runDialog(dialog);
}

std::unique_ptr<DeviceUtilities> ClockController::makeUtilities() {
    auto utilities = std::make_unique<DeviceUtilities>(context_.commLink().session());
    utilities->showCommSettings = showCommSettings_;
    utilities->saveSettings = saveSettings_;
    utilities->bigEndian = context_.settings().BigEndian;
    // Stop is off while the device is being stopped; it comes back only where a run is going on.
    utilities->setStopControlsEnabled = [this](bool enabled) {
        if (QAction* stop = frame_.command(QStringLiteral("mnuSimulationStop"))) {
            frame_.setCommandEnabled(stop, enabled && frame_.simulationRunning());
        }
    };
    return utilities;
}

}  // namespace bdx
