#pragma once

#include <QObject>
#include <functional>
#include <memory>

namespace bdx {

class AppContext;
class DeviceUtilities;
class frmMain;

// Transfer / Device Clock and the "ClockTransfer" toolbar button: the clock window, its device
// steps wired to the application.
class ClockController : public QObject {
    Q_OBJECT
  public:
    // `showCommSettings`: the communication settings, modal (no port chosen yet);
    // `saveSettings`: the communication settings into the settings file (the device answered at
    // another Modbus ID).
    ClockController(AppContext& context, frmMain& frame, std::function<void()> showCommSettings,
                    std::function<void()> saveSettings, QObject* parent = nullptr);

  private:
    void showClock();
    std::unique_ptr<DeviceUtilities> makeUtilities();

    AppContext& context_;
    frmMain& frame_;
    std::function<void()> showCommSettings_;
    std::function<void()> saveSettings_;
};

}  // namespace bdx
