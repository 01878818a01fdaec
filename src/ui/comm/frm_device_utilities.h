#pragma once

#include "utilities_window.h"

class QRadioButton;

namespace bdx {

class DevicePasswordPanel;

// Run / stop and the backlight of the second-generation display models, with the way to the
// reset-menu password and the device passwords.
class frmDeviceUtilities : public UtilitiesWindow {
    Q_OBJECT
  public:
    frmDeviceUtilities(const UtilitiesWiring& wiring, QWidget* parent = nullptr);

    void btnDeviceStart_Click();
    void btnDeviceStop_Click();
    void SetModeButton_Click();
    void cmdSetRstPassConf_Click();

  private:
    QRadioButton* OptAuto_;
    QRadioButton* optOn_;
    QRadioButton* optOff_;
};

// Run / stop and the device passwords of every other model.
class frmDeviceUtilities_Other : public UtilitiesWindow {
    Q_OBJECT
  public:
    frmDeviceUtilities_Other(const UtilitiesWiring& wiring, QWidget* parent = nullptr);

    DevicePasswordPanel* passwords() const { return passwords_; }

  private:
    DevicePasswordPanel* passwords_;
};

// Which password the device's own Reset menu function asks for, and the device passwords.
class frmSetRstPasswordConf : public UtilitiesWindow {
    Q_OBJECT
  public:
    frmSetRstPasswordConf(const UtilitiesWiring& wiring, QWidget* parent = nullptr);

    void btnRead_Click();
    void btnOK_Click();

  private:
    QRadioButton* radLevel1Password_;
    QRadioButton* radLevel2Password_;
    QRadioButton* radNoPassword_;
};

}  // namespace bdx
