#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class QAction;

namespace bdx {

class AppContext;
class DeviceUtilities;
class frmMain;
struct UtilitiesWiring;

// Configuration / Device Utilities: opens the utility window of the program's model group and
// wires the device flows to the application.
class UtilitiesController : public QObject {
    Q_OBJECT
  public:
    // `showCommSettings` runs the settings dialog modally; `saveCommSettings` writes a ModbusID
    // found by the device probe to the settings file.
    UtilitiesController(AppContext& context, frmMain& frame, std::function<void()> showCommSettings,
                        std::function<void()> saveCommSettings);

    void mnuConfigUtilities_Click();
    UtilitiesWiring wiring();

  private:
    void configure(DeviceUtilities& utilities);

    AppContext& context_;
    frmMain& frame_;
    std::function<void()> showCommSettings_;
    std::function<void()> saveCommSettings_;
    // The stop command's state before a device stop switched it off.
    bool stopWasEnabled_ = false;
};

}  // namespace bdx
