#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <map>
#include <vector>

#include "ladder/operands.h"

namespace bdx {

class AppContext;
class BlockDialog;
class PcSimulationRunner;
class frmMain;
struct BlockRef;

// Function blocks and the device model in the frame: Configuration / PLC Model and the block
// dialogs that Properties opens.
class BlocksController : public QObject {
    Q_OBJECT
  public:
    BlocksController(AppContext& context, frmMain& frame);
    ~BlocksController() override;

    // Opens the dialog of `block`: modal while editing, modeless during a run (the parameter
    // monitor opens them this way too), where a block whose dialog is open already brings that
    // one forward. Letters without a dialog do nothing.
    void openBlock(const BlockRef& block);

  private:
    // Makes the dialog of block `number` (0-based); `run` is the runner during a run.
    using DialogFactory = std::function<BlockDialog*(int number, PcSimulationRunner* run)>;

    void configModel();
    // Configuration / Analog / Analog Scaling Configuration.
    void analogScaling();
    // Opens the dialog of the selected block.
    void properties();

    AppContext& context_;
    frmMain& frame_;
    // One factory per block letter that has a dialog.
    std::map<Operand, DialogFactory> dialogs_;
    // The dialogs open beside the running simulation.
    std::vector<QPointer<BlockDialog>> runDialogs_;
};

}  // namespace bdx
