#pragma once

#include <QObject>
#include <functional>

namespace bdx {

class AppContext;
class frmMain;

// Transfer / Program and the toolbar's Transfer button: the program transfer dialog, modal.
class TransferController : public QObject {
    Q_OBJECT
  public:
    // `saveCommSettings` writes the link's settings to the settings file; `showCommSettings`
    // shows the communication settings dialog modally.
    TransferController(AppContext& context, frmMain& frame, std::function<void()> saveCommSettings,
                       std::function<void()> showCommSettings, QObject* parent = nullptr);

    void showTransfer();

  private:
    // The main window's Stop (menu entry and toolbar button, one command) while the device is
    // being stopped: off, then back to what the mode says.
    void setRunControlsEnabled(bool enabled);

    AppContext& context_;
    frmMain& frame_;
    std::function<void()> saveCommSettings_;
    std::function<void()> showCommSettings_;
};

}  // namespace bdx
