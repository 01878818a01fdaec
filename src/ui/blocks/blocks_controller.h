#pragma once

#include <QObject>
#include <functional>
#include <map>

#include "ladder/operands.h"

namespace bdx {

class AppContext;
class frmMain;

// Function blocks and the device model in the frame: Configuration / PLC Model and the block
// dialogs that Properties opens.
class BlocksController : public QObject {
    Q_OBJECT
  public:
    BlocksController(AppContext& context, frmMain& frame);

  private:
    void configModel();
    // Opens the dialog of the selected block; letters without a dialog do nothing.
    void properties();
    void openTimer(int timer);

    AppContext& context_;
    frmMain& frame_;
    // One opener per block letter that has a dialog; the block number is 0-based.
    std::map<Operand, std::function<void(int)>> dialogs_;
};

}  // namespace bdx
