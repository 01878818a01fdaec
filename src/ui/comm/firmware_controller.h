#pragma once

#include <QObject>
#include <QPointer>

namespace bdx {

class AppContext;
class frmCommunicationErrorMsg;
class frmMain;

// File / Firmware Update, and the communication-error report with the address search that the
// serial link shows when the device does not answer its probe.
class FirmwareController : public QObject {
    Q_OBJECT
  public:
    FirmwareController(AppContext& context, frmMain& frame);
    ~FirmwareController() override;

  private:
    void showFirmwareUpdate();
    void showCommunicationError();
    void unloadCommunicationError();
    void saveCommSettings();

    AppContext& context_;
    frmMain& frame_;
    QPointer<frmCommunicationErrorMsg> commError_;  // the report on screen, if any
};

}  // namespace bdx
