#include <QStatusBar>

#include "device_app_rig.h"

namespace bdx {
namespace {

using DeviceLink = DeviceAppRig;

// An Ethernet device that goes away while the user edits: a line in the status bar, no box.
// The same loss during a device action is the action's to tell, in a box.
TEST_F(DeviceLink, LossWhileEditingGoesToTheStatusBar) {
    startConnected();
    prompter.clear();
    device.kill();
    ASSERT_TRUE(LoopUntil([this] { return !window()->statusBar()->currentMessage().isEmpty(); }, 5000));
    EXPECT_TRUE(prompter.messages().empty()) << prompter.texts().join(u'\n').toStdString();
    EXPECT_FALSE(link().ethernetConnected());

    // Connecting again is something the user asked for: the refusal comes in a box.
    const CommLink::Action action(link());
    EXPECT_FALSE(link().connectEthernet(5000));
    EXPECT_EQ(prompter.messages().size(), 1u);
}

}  // namespace
}  // namespace bdx
