#pragma once

#include <QObject>

namespace bdx {

class AppContext;
class frmMain;

// Function blocks and the device model in the frame: Configuration / PLC Model for now; the block
// dialogs join here.
class BlocksController : public QObject {
    Q_OBJECT
  public:
    BlocksController(AppContext& context, frmMain& frame);

  private:
    void configModel();

    AppContext& context_;
    frmMain& frame_;
};

}  // namespace bdx
