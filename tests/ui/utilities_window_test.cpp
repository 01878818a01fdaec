#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "comm/device_protocol.h"
#include "comm/modbus_requests.h"
#include "comm/program_transfer.h"
#include "device_app_rig.h"
#include "ui/comm/device_busy_bar.h"
#include "ui/comm/frm_device_utilities.h"
#include "ui/comm/frm_password_dialogs.h"
#include "ui/main/qt_prompter.h"

namespace bdx {
namespace {

const QString kExample = QStringLiteral(BDX_SOURCE_DIR "/examples/motor_start_stop.h53");  // model 8

template <class T = QPushButton>
T* child(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}
void click(QWidget& window, const char* name) {
    child(window, name)->click();
}
void type(QWidget& window, const char* name, const QString& text) {
    QLineEdit* box = child<QLineEdit>(window, name);
    box->clear();
    QTest::keyClicks(box, text);
}

class UtilitiesWindows : public DeviceAppRig {
  protected:
    // A copy of its own: the program file is locked while an application has it open, and
    // tests run side by side.
    QString example() {
        const QString copy = path("motor_start_stop.h53");
        EXPECT_TRUE(QFile::exists(copy) || QFile::copy(kExample, copy));
        return copy;
    }
    QString last() const { return prompter.texts().isEmpty() ? QString() : prompter.texts().last(); }
    std::string said() const { return prompter.texts().join(u'\n').toStdString(); }
};

// A level-1 password set in the window protects the next program write: a wrong entry moves
// nothing, the right one lets the program through.
TEST_F(UtilitiesWindows, PasswordSetInTheWindowIsAskedOnTheNextWrite) {
    startConnected({QStringLiteral("--model"), QStringLiteral("8")}, example());
    openFrom<frmDeviceUtilities>("mnuConfigUtilities", [this](frmDeviceUtilities& utilities) {
        expectDialog<frmSetRstPasswordConf>([this](frmSetRstPasswordConf& reset) {
            // Nothing to save before a level is chosen.
            EXPECT_FALSE(child(reset, "OKPasswordButton")->isEnabled());
            expectDialog<frmPasswordSelection>([](frmPasswordSelection& selection) {
                child<QRadioButton>(selection, "optLevel1")->setChecked(true);
                selection.accept();
            });
            click(reset, "SetPasswordButton");
            EXPECT_FALSE(child<QLineEdit>(reset, "txtNewPasslvl2")->isEnabled());
            type(reset, "txtNewPass", QStringLiteral("1234"));
            type(reset, "txtConfirmPass", QStringLiteral("1234"));
            prompter.queueReply(Reply::Yes);  // out of run mode
            click(reset, "OKPasswordButton");
            EXPECT_EQ(last(), "Password has been set successfully.") << said();
            EXPECT_TRUE(child<QLineEdit>(reset, "txtNewPass")->text().isEmpty());

            // A wrong old password changes nothing (the write below still takes 1234).
            type(reset, "txtOldPass", QStringLiteral("9999"));
            type(reset, "txtNewPass", QStringLiteral("5555"));
            type(reset, "txtConfirmPass", QStringLiteral("5555"));
            prompter.queueReply(Reply::Yes);
            click(reset, "OKPasswordButton");
            EXPECT_EQ(last(), "Please enter correct Old Password. ") << said();
        });
        click(utilities, "cmdSetRstPassConf");
    });

    ProgramTransfer transfer(link().session(), program(), prompter);
    prompter.clear();
    prompter.queueReply(Reply::Yes);
    prompter.queuePassword(QStringLiteral("1111"));
    EXPECT_FALSE(transfer.pc_to_leg_Click());
    EXPECT_EQ(last(), "Invalid password. ") << said();
    EXPECT_FALSE(prompter.texts().contains(LoadText(4300)));

    prompter.queueReply(Reply::Yes);
    prompter.queuePassword(QStringLiteral("1234"));
    prompter.queueReply(Reply::No);  // stay stopped
    EXPECT_TRUE(transfer.pc_to_leg_Click()) << said();
    EXPECT_EQ(prompter.unanswered(), 0) << said();
}

// Run and stop from the window of the other model group; a device that has gone gives one
// message and leaves the window usable.
TEST_F(UtilitiesWindows, RunStopAndAVanishedDevice) {
    startConnected({QStringLiteral("--model"), QStringLiteral("0")});
    openFrom<frmDeviceUtilities_Other>("mnuConfigUtilities", [this](frmDeviceUtilities_Other& window) {
        // Model 0 devices know no level-2 password: Change opens level 1 at once.
        EXPECT_FALSE(child<QLineEdit>(window, "txtOldPasslvl2")->isVisibleTo(&window));
        click(window, "SetPasswordButton");
        EXPECT_TRUE(child<QLineEdit>(window, "txtNewPass")->isEnabled());

        click(window, "btnDeviceStart");
        EXPECT_EQ(device.dumpValue(QStringLiteral("mode")), "run") << said();
        click(window, "btnDeviceStop");
        EXPECT_EQ(device.dumpValue(QStringLiteral("mode")), "stop") << said();
        EXPECT_TRUE(prompter.messages().empty()) << said();

        device.kill();
        ASSERT_TRUE(LoopUntil([this] { return !link().ethernetConnected(); }, 5000));
        prompter.clear();
        click(window, "btnDeviceStart");
        EXPECT_EQ(prompter.messages().size(), 1u) << said();
        EXPECT_TRUE(child(window, "btnDeviceStart")->isEnabled());
        EXPECT_FALSE(window.busyBar()->running());
    });
}

// Stop ends an exchange with a device that never answers, over either transport (on the serial
// line it also closes the port under the waiting exchange), and the window comes back.
TEST_F(UtilitiesWindows, StopEndsAnExchangeWithASilentDevice) {
    for (const bool serial : {false, true}) {
        SCOPED_TRACE(serial ? "serial" : "tcp");
        const QStringList arguments = {QStringLiteral("--model"), QStringLiteral("0"),
                                       QStringLiteral("--fault"), QStringLiteral("no-reply")};
        if (serial) {
            app.reset();
            device.kill();
            startOnPty(arguments);
        } else {
            startConnected(arguments);
        }
        prompter.clear();
        openFrom<frmDeviceUtilities_Other>("mnuConfigUtilities", [this](frmDeviceUtilities_Other& window) {
            QTimer::singleShot(300, &window, [&window] { window.busyBar()->stopButton()->click(); });
            click(window, "btnDeviceStart");
            EXPECT_TRUE(prompter.messages().empty()) << said();  // the user asked for the end
            EXPECT_TRUE(child(window, "btnDeviceStart")->isEnabled());
            EXPECT_FALSE(window.busyBar()->stopButton()->isEnabled());
        });
    }
}

// The backlight needs a choice and reaches the device; the reset menu cannot be tied to a
// level-2 password the device does not have.
TEST_F(UtilitiesWindows, BacklightAndResetMenuPassword) {
    startConnected({QStringLiteral("--model"), QStringLiteral("8")}, example());
    openFrom<frmDeviceUtilities>("mnuConfigUtilities", [this](frmDeviceUtilities& utilities) {
        click(utilities, "SetModeButton");
        EXPECT_EQ(last(), "Please select one of the backlight option.");
        child<QRadioButton>(utilities, "optOff")->setChecked(true);
        prompter.queueReply(Reply::Yes);
        click(utilities, "SetModeButton");
        EXPECT_EQ(last(), "Backlight mode has been set successfully. ") << said();

        expectDialog<frmSetRstPasswordConf>([this](frmSetRstPasswordConf& reset) {
            click(reset, "btnRead");
            EXPECT_TRUE(child<QRadioButton>(reset, "radNoPassword")->isChecked()) << said();
            child<QRadioButton>(reset, "radLevel2Password")->setChecked(true);
            prompter.queueReply(Reply::Yes);
            click(reset, "btnOK");
            EXPECT_EQ(last(), "Level 2 Password is not present in the device.") << said();
            click(reset, "btnRead");
            EXPECT_TRUE(child<QRadioButton>(reset, "radNoPassword")->isChecked());
        });
        click(utilities, "cmdSetRstPassConf");
    });
    const std::optional<QByteArray> backlight = ReadDeviceItem(link().session(), Area::Backlight);
    ASSERT_TRUE(backlight && !backlight->isEmpty());
    EXPECT_EQ(int(backlight->back()), 2);
}

// The password box of every device flow: digits only, four of them, and the GUI prompter
// asks with it.
TEST(PasswordCheck, FourDigitsOnlyAndTheApplicationAsksWithIt) {
    ScriptedPrompter prompter;
    frmPasswordCheck dialog(prompter, LoadText(8160));
    dialog.show();
    QLineEdit* box = child<QLineEdit>(dialog, "Text1");
    QTest::keyClicks(box, QStringLiteral("1a2 3x45"));
    EXPECT_EQ(box->text(), "1234");
    box->setText(QStringLiteral("123"));
    dialog.cmdOK_Click();
    EXPECT_EQ(prompter.texts(), QStringList{"Enter 4 Digit password."});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    QtPrompter application;
    const auto answer = [](const QString& digits) {
        QTimer::singleShot(0, [digits] {
            auto* shown = qobject_cast<frmPasswordCheck*>(QApplication::activeModalWidget());
            ASSERT_NE(shown, nullptr);
            if (digits.isEmpty()) {
                shown->reject();
                return;
            }
            shown->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(digits);
            shown->cmdOK_Click();
        });
    };
    answer(QStringLiteral("0042"));
    EXPECT_EQ(application.askPassword(LoadText(8160)), QStringLiteral("0042"));
    answer(QString());
    EXPECT_EQ(application.askPassword(LoadText(8160)), std::nullopt);
}

TEST_F(UtilitiesWindows, Screenshots) {
    start();
    const auto wiring = [this](int model) {
        UtilitiesWiring w;
        w.link = &link();
        w.runDialog = [](QDialog&) { return DialogResult::Rejected; };
        w.modelIndex = model;
        return w;
    };
    InScreenshotLanguages([&](const QString& language) {
        frmDeviceUtilities utilities(wiring(8));
        Shoot(utilities, QStringLiteral("frmDeviceUtilities_") + language);
        frmDeviceUtilities_Other other(wiring(12));
        other.passwords()->selectLevel(2);
        Shoot(other, QStringLiteral("frmDeviceUtilities_Other_") + language);
        frmSetRstPasswordConf reset(wiring(9));
        Shoot(reset, QStringLiteral("frmSetRstPasswordConf_") + language);
        frmPasswordSelection selection;
        Shoot(selection, QStringLiteral("frmPasswordSelection_") + language);
        frmPasswordCheck check(prompter, LoadText(8160));
        Shoot(check, QStringLiteral("frmPasswordCheck_") + language);
    });
}

}  // namespace
}  // namespace bdx
