#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "device_app_rig.h"
#include "ui/comm/device_busy_bar.h"
#include "ui/comm/ser_setting_form.h"

namespace bdx {
namespace {

// The communication settings dialog of the running application against the virtual device.
class CommPortDevice : public DeviceAppRig {
  protected:
    QByteArray settingsFile() const {
        QFile file(settingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void setEthernet(ser_setting_form& d, quint16 port) {
        d.optEthernet()->setChecked(true);
        const QStringList parts = {QStringLiteral("127"), QStringLiteral("0"), QStringLiteral("0"),
                                   QStringLiteral("1")};
        for (int i = 0; i < 4; ++i) {
            d.txtIPAddress(i)->setText(parts[i]);
        }
        d.txtPortNumber()->setText(QString::number(port));
    }
};

// A first run has no Modbus ID in Config.ini, so the dialog shows 254, which OK refuses: the
// dialog says how to fix it before and after OK, and the user can fix it or simply leave.
TEST_F(CommPortDevice, StoredModbusId254CanBeFixedOrLeft) {
    start();
    const QByteArray before = settingsFile();
    for (const bool fix : {false, true}) {
        SCOPED_TRACE(fix);
        prompter.clear();
        openFrom<ser_setting_form>("mnuOptionsCommPort", [this, fix](ser_setting_form& d) {
            EXPECT_EQ(d.txtModbusID()->text(), QStringLiteral("254"));
            EXPECT_TRUE(d.lblModbusIdHint()->isVisible());
            d.Command1()->click();
            EXPECT_EQ(prompter.texts(), QStringList{LoadText(8797)});
            EXPECT_TRUE(d.isVisible());
            EXPECT_EQ(d.focusWidget(), d.txtModbusID());
            if (fix) {
                d.txtModbusID()->setText(QStringLiteral("5"));
                d.cmbCommPort()->setEditText(QStringLiteral("/dev/ttyS0"));
                EXPECT_FALSE(d.lblModbusIdHint()->isVisible());
                d.Command1()->click();
            } else {
                ASSERT_TRUE(d.CancelButton()->isEnabled());
                d.CancelButton()->click();
            }
            EXPECT_FALSE(d.isVisible());
        });
        if (!fix) {
            EXPECT_EQ(settingsFile(), before);
        }
    }
    EXPECT_EQ(ReadSettings(settingsPath()).ModbusID, 5);
}

// Connect turns Cancel off; Disconnect gives it back, and Cancel then leaves everything as it
// was, the settings file included. Closing while connected keeps the connection and nothing else.
TEST_F(CommPortDevice, CancelAfterConnectLeavesNoChangesAndClosingKeepsOnlyTheConnection) {
    ASSERT_TRUE(device.start({QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:0")}))
        << device.failure.toStdString();
    start();
    const QByteArray before = settingsFile();
    openFrom<ser_setting_form>("mnuOptionsCommPort", [this](ser_setting_form& d) {
        setEthernet(d, device.tcpPort);
        d.txtModbusID()->setText(QStringLiteral("9"));
        d.cmdConnect()->click();
        ASSERT_TRUE(link().ethernetConnected());
        EXPECT_FALSE(d.CancelButton()->isEnabled());
        EXPECT_TRUE(d.Command1()->isEnabled());
        d.cmdConnect()->click();  // Disconnect
        EXPECT_TRUE(d.CancelButton()->isEnabled());
        d.CancelButton()->click();
    });
    EXPECT_EQ(settingsFile(), before);
    EXPECT_FALSE(link().state().IsEthernet);
    EXPECT_FALSE(link().ethernetConnected());

    openFrom<ser_setting_form>("mnuOptionsCommPort", [this](ser_setting_form& d) {
        setEthernet(d, device.tcpPort);
        d.txtModbusID()->setText(QStringLiteral("9"));
        d.cmdConnect()->click();
        QTest::keyClick(&d, Qt::Key_Escape);
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_TRUE(link().ethernetConnected());
    EXPECT_TRUE(link().state().IsEthernet);
    const AppSettings stored = ReadSettings(settingsPath());
    EXPECT_EQ(stored.IPAddress, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(stored.EthernetPort, device.tcpPort);
    EXPECT_EQ(stored.ModbusID, 254);
    EXPECT_TRUE(prompter.messages().empty()) << prompter.texts().join(u'\n').toStdString();
}

// A device that never answers: the read waits on the busy line, Stop ends it without a
// message, and every button works again.
TEST_F(CommPortDevice, StopEndsAReadFromASilentDevice) {
    startOnPty({QStringLiteral("--fault"), QStringLiteral("no-reply")});
    program().ModelIndex = 2;  // a model without a display offers the parameter buttons
    prompter.clear();
    openFrom<ser_setting_form>("mnuOptionsCommPort", [this](ser_setting_form& d) {
        QString status;
        QTimer stop;
        QObject::connect(&stop, &QTimer::timeout, [&d, &status] {
            if (d.busyBar()->running()) {
                status = d.busyBar()->statusLabel()->text();
                d.busyBar()->stopButton()->click();
            }
        });
        stop.start(50);
        d.btnReadPara()->click();
        stop.stop();
        EXPECT_EQ(status, LoadText(8142));
        EXPECT_FALSE(d.busyBar()->running());
        EXPECT_TRUE(prompter.messages().empty()) << prompter.texts().join(u'\n').toStdString();
        for (QPushButton* button : {d.btnReadPara(), d.btnWritePara(), d.Command1(), d.CancelButton()}) {
            EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString();
        }
        EXPECT_EQ(d.txtModbusID()->text(), QStringLiteral("1"));
        d.CancelButton()->click();
    });
}

// The device's own parameters over the pseudo-terminal: written from the dialog, read back
// into it; nothing reaches the settings until OK.
TEST_F(CommPortDevice, DeviceParametersAreWrittenAndReadBack) {
    startOnPty();
    program().ModelIndex = 2;
    prompter.clear();
    openFrom<ser_setting_form>("mnuOptionsCommPort", [this](ser_setting_form& d) {
        d.txtModbusID()->setText(QStringLiteral("12"));
        d.CmbBaud()->setCurrentIndex(1);
        d.cmbParity()->setCurrentIndex(1);
        d.cmbStop()->setCurrentIndex(1);
        d.btnWritePara()->click();
        EXPECT_EQ(prompter.texts(), QStringList{LoadText(4298)});

        d.txtModbusID()->setText(QStringLiteral("3"));
        d.CmbBaud()->setCurrentIndex(0);
        d.cmbParity()->setCurrentIndex(0);
        d.cmbStop()->setCurrentIndex(0);
        d.btnReadPara()->click();
        EXPECT_EQ(prompter.texts().last(), LoadText(4306));
        EXPECT_EQ(d.txtModbusID()->text(), QStringLiteral("12"));
        EXPECT_EQ(d.CmbBaud()->currentText() + d.cmbParity()->currentText() + d.cmbStop()->currentText(),
                  QStringLiteral("4800EVEN2"));
        d.CancelButton()->click();
    });
    EXPECT_EQ(link().state().ModbusID, 1);
    EXPECT_EQ(link().state().BaudRateText, QStringLiteral("9600"));
}

}  // namespace
}  // namespace bdx
