#pragma once

#include <QObject>
#include <memory>

namespace bdx {

class AppContext;
class frmMain;
class FirmwareController;

// Device communication in the frame: Options / Comm Port for now; the transfer, clock and
// utility dialogs join here.
class CommController : public QObject {
    Q_OBJECT
  public:
    CommController(AppContext& context, frmMain& frame);
    ~CommController() override;

  private:
    // The settings dialog, modal; OK saves the settings file.
    void showCommSettings();
    void saveCommSettings();

    AppContext& context_;
    frmMain& frame_;
    std::unique_ptr<FirmwareController> firmware_;
};

}  // namespace bdx
