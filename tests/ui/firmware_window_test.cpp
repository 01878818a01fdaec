// The firmware update window and the communication-error report against the virtual device on
// a pseudo-terminal.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

#include "comm/firmware_update.h"
#include "comm/modbus_requests.h"
#include "device_app_rig.h"
#include "shell/app_settings.h"
#include "ui/comm/frm_communication_error_msg.h"
#include "ui/comm/frm_update_firmware.h"

namespace bdx {
namespace {

class FirmwareWindow : public DeviceAppRig {
  protected:
    QString writePackage(const TestPackageOptions& options, const char* name) {
        const QString file = path(name);
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly) && out.write(BuildTestFirmwarePackage(options)) > 0);
        return file;
    }
    // Chooses the package in the window as the user would.
    void choose(frmUpdateFirmware& window, const QString& package) {
        prompter.queueFile(package);
        window.BrowseBinFile()->click();
    }
    QString deviceFirmware() { return device.dumpValue("model").section(QStringLiteral("firmware: "), 1); }
    int boxesContaining(const QString& text) const {
        return static_cast<int>(prompter.texts().filter(text).size());
    }
};

// The checks that refuse an update leave the device alone; then a real update with read-back.
TEST_F(FirmwareWindow, RefusalsTouchNothingThenAnUpdateWithVerifySucceeds) {
    startOnPty({"--firmware", "QX2 V2.10"});
    TestPackageOptions otherFamily;
    otherFamily.family = 1;
    TestPackageOptions good;
    good.imageSize = 1000;  // 8 blocks of 128
    const QString otherPackage = writePackage(otherFamily, "other.qvex");
    const QString goodPackage = writePackage(good, "good.qvex");

    openFrom<frmUpdateFirmware>("mnuFileFirmware", [&](frmUpdateFirmware& w) {
        EXPECT_FALSE(w.WriteHexFileButton()->isEnabled());  // nothing chosen yet
        choose(w, goodPackage);
        EXPECT_EQ(w.lblVersion()->text(), QStringLiteral("QX2 V2.20"));
        EXPECT_EQ(w.lblDateTime()->text(), QStringLiteral("14/03/25 09:26:53"));
        ASSERT_TRUE(w.WriteHexFileButton()->isEnabled());

        // A port not on 9600,n,8,1 is refused before anything is sent.
        link().state().BaudRateText = QStringLiteral("4800");
        prompter.clear();
        w.WriteHexFileButton()->click();
        EXPECT_EQ(prompter.texts(), QStringList{LineSettingsMessage()});
        link().state().BaudRateText = QStringLiteral("9600");

        // A package for another device type: refused, the device keeps running its firmware.
        choose(w, otherPackage);
        prompter.clear();
        w.WriteHexFileButton()->click();
        EXPECT_EQ(w.lastResult(), FirmwareResult::Refused);
        EXPECT_EQ(prompter.texts(),
                  QStringList{"The connected device type and selected 'QVEX' file types are different."});
        EXPECT_EQ(deviceFirmware(), QStringLiteral("QX2 V2.10"));

        choose(w, goodPackage);
        prompter.clear();
        prompter.queueReply(Reply::Yes);  // overwrite the present firmware
        w.chkVerify()->setChecked(true);
        w.WriteHexFileButton()->click();
        EXPECT_EQ(w.lastResult(), FirmwareResult::Updated) << prompter.texts().join(u'\n').toStdString();
        EXPECT_EQ(prompter.texts().last(), QStringLiteral("Successful!"));
        EXPECT_EQ(prompter.unanswered(), 0);
        EXPECT_EQ(w.prgBar()->maximum(), 8);
        EXPECT_EQ(w.prgBar()->value(), 8);
        EXPECT_TRUE(w.Command1()->isEnabled());
        EXPECT_FALSE(w.StopButton()->isEnabled());
        w.Command1()->click();
    });
    EXPECT_EQ(deviceFirmware(), QStringLiteral("QX2 V2.20"));
    // The package was unpacked into the application's own folder.
    EXPECT_TRUE(QFile::exists(path("data") + QStringLiteral("/QVEX.bin")));
}

// The device dies while blocks are written: one message, and the window works again.
TEST_F(FirmwareWindow, DeviceKilledMidUpdateGivesOneMessage) {
    startOnPty();
    link().state().replyTimeoutMs = 500;
    TestPackageOptions options;
    options.imageSize = 3000;  // 24 blocks
    const QString package = writePackage(options, "fw.qvex");

    openFrom<frmUpdateFirmware>("mnuFileFirmware", [&](frmUpdateFirmware& w) {
        choose(w, package);
        bool closedWhileRunning = false;
        QObject::connect(w.prgBar(), &QProgressBar::valueChanged, &w, [&](int value) {
            if (value == 2) {
                w.close();  // refused: the update runs on
                closedWhileRunning = !w.isVisible();
            } else if (value == 3) {
                device.kill();
            }
        });
        prompter.clear();
        prompter.queueReply(Reply::Yes);  // overwrite
        prompter.queueReply(Reply::Ok);   // the failure box
        w.WriteHexFileButton()->click();
        EXPECT_FALSE(closedWhileRunning);
        EXPECT_EQ(w.lastResult(), FirmwareResult::Failed);
        EXPECT_EQ(boxesContaining(QStringLiteral("Unable to update firmware.")), 1)
            << prompter.texts().join(u'\n').toStdString();
        const auto& boxes = prompter.messages();
        EXPECT_EQ(std::count_if(boxes.begin(), boxes.end(),
                                [](const Message& m) {
                                    return m.icon != MessageIcon::Information &&
                                           m.icon != MessageIcon::Question;
                                }),
                  1)
            << prompter.texts().join(u'\n').toStdString();
        EXPECT_FALSE(w.running());
        EXPECT_TRUE(w.WriteHexFileButton()->isEnabled());
        EXPECT_TRUE(w.BrowseBinFile()->isEnabled());
        EXPECT_FALSE(w.StopButton()->isEnabled());
        w.Command1()->click();
        EXPECT_FALSE(w.isVisible());
    });
}

// A device that answers at another address than the configured one: the report that the failed
// exchange brings up finds it, and the address is kept in memory and in the settings file.
TEST_F(FirmwareWindow, AddressSearchFindsTheDeviceAtAnotherAddress) {
    startOnPty({"--id", "5"});
    CommState& state = link().state();
    state.replyTimeoutMs = 300;
    expectDialog<frmCommunicationErrorMsg>([&](frmCommunicationErrorMsg& w) {
        EXPECT_TRUE(w.CommunicationErrorText()->text().startsWith(QStringLiteral(
            "The communication with the device was unsuccessful because\n1. The communication cable")));
        w.btScanModbusID()->click();
        EXPECT_TRUE(w.found());
        EXPECT_EQ(w.prgScan()->value(), 5);  // stopped at the first address that answered
        EXPECT_EQ(w.result(), QDialog::Accepted);
    });
    // The last address a probe tries, nobody there: as the probe's final attempt fails.
    state.QuietComm = true;
    state.IdSearchCount = 2;
    state.MatchedReply = false;
    QByteArray request = AreaQueryRequest(9, Area::Time);
    QByteArray reply;
    ModbusSession& session = link().session();
    session.openIfSerial();
    EXPECT_FALSE(session.ModbusTransaction(request, reply));
    session.closeIfSerial();
    state.QuietComm = false;

    EXPECT_EQ(state.ModbusID, 5);
    EXPECT_EQ(ReadSettings(settingsPath()).ModbusID, 5);
    EXPECT_EQ(prompter.texts().last(), QStringLiteral("ModBus ID modified\nDevice ModBus ID =5"));
}

// Stop ends the update at the next block; the window tells so and works again.
TEST_F(FirmwareWindow, StopEndsTheUpdate) {
    startOnPty();
    TestPackageOptions options;
    options.imageSize = 3000;
    const QString package = writePackage(options, "fw.qvex");
    openFrom<frmUpdateFirmware>("mnuFileFirmware", [&](frmUpdateFirmware& w) {
        choose(w, package);
        QObject::connect(w.prgBar(), &QProgressBar::valueChanged, &w, [&](int value) {
            if (value == 2) {
                EXPECT_TRUE(w.StopButton()->isEnabled());
                EXPECT_FALSE(w.WriteHexFileButton()->isEnabled());
                w.StopButton()->click();
            }
        });
        prompter.queueReply(Reply::Yes);
        prompter.queueReply(Reply::Ok);  // the box saying the memory was left half written
        w.WriteHexFileButton()->click();
        EXPECT_EQ(w.lastResult(), FirmwareResult::Stopped);
        EXPECT_EQ(w.prgBar()->value(), 2);
        EXPECT_EQ(w.lblNote()->text(), QStringLiteral("The update was stopped."));
        EXPECT_TRUE(w.WriteHexFileButton()->isEnabled());
        w.Command1()->click();
    });
}

TEST_F(FirmwareWindow, Screenshots) {
    start();
    const QString package = writePackage({}, "shot.qvex");
    InScreenshotLanguages([&](const QString& language) {
        frmUpdateFirmware firmware(link(), path("data"), window());
        choose(firmware, package);
        firmware.txtBinFile()->setText(QStringLiteral("QX2_V2.20.qvex"));  // no temporary folder in the docs
        Shoot(firmware, QStringLiteral("firmware_update_") + language);
        frmCommunicationErrorMsg report(link(), false, window());
        Shoot(report, QStringLiteral("communication_error_") + language);
    });
}

}  // namespace
}  // namespace bdx
