#include "app_rig.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "comm/comm_link.h"
#include "comm/comm_settings.h"
#include "comm/port_access.h"
#include "shell/language_table.h"
#include "shell/scripted_prompter.h"
#include "ui/comm/device_busy_bar.h"
#include "ui/comm/ser_setting_form.h"

namespace bdx {
namespace {

class CommSettingsDialogTest : public ::testing::Test {
  protected:
    CommSettingsDialogTest() {
        link.state().CommPort = 1;
        link.state().SerialPortPath = QStringLiteral("/dev/ttyUSB0");
    }

    std::unique_ptr<ser_setting_form> open(int model = 2) {
        auto dialog = std::make_unique<ser_setting_form>(
            link, model, nullptr, [this] { return ports; },
            [this](const QString& path) { return !closedPorts.contains(path); });
        dialog->show();
        return dialog;
    }

    static void setAddress(ser_setting_form& d, const QString& ip, const QString& port) {
        const QStringList parts = ip.split(u'.');
        for (int i = 0; i < 4; ++i) {
            d.txtIPAddress(i)->setText(parts.value(i));
        }
        d.txtPortNumber()->setText(port);
    }
    // Transport 0 serial, 1 USB cable, 2 Ethernet.
    static void fill(ser_setting_form& d, int transport, const char* id, const char* path, const char* ip,
                     const char* port) {
        QRadioButton* radios[] = {d.optUART(), d.optUSB(), d.optEthernet()};
        radios[transport]->setChecked(true);
        d.txtModbusID()->setText(QString::fromLatin1(id));
        d.cmbCommPort()->setEditText(QString::fromLatin1(path));
        setAddress(d, QString::fromLatin1(ip), QString::fromLatin1(port));
    }

    ScriptedPrompter prompter;
    CommLink link{prompter};
    std::vector<SerialPortEntry> ports;
    QStringList closedPorts;
};

// Each field's checks and texts are the settings' own; here every field's refusal reaches the user,
// keeps the dialog open and puts the focus on its box.
TEST_F(CommSettingsDialogTest, RefusalsKeepTheDialogOpenWithTheFocusOnTheField) {
    const struct {
        const char* id;
        int transport;
        const char *path, *ip, *port;
        QString message;
        const char* focus;
    } cases[] = {
        {"0", 0, "/dev/ttyS0", "", "", CheckModbusId(QStringLiteral("0")).value(), "txtModbusID"},
        {"5", 0, " ", "", "", LoadText(4289), "cmbCommPort"},
        {"5", 2, "", "224.1.1.1", "502", "Please enter a valid IP Address between 1 to 223.", "txtIPAddress"},
        {"5", 2, "", "10.256.0.1", "502", "Please enter a valid IP Address between 0 to 255.",
         "txtIPAddress1"},
        {"5", 2, "", "10.0.x.1", "502", "Please enter a valid IP Address between 0 to 255.", "txtIPAddress2"},
        {"5", 2, "", "10.0.0.0", "502", "Please enter a valid IP Address between 1 to 254.", "txtIPAddress3"},
        {"5", 2, "", "10.0.0.1", "65536", "Please enter a valid Port Number between 1 to 65535.",
         "txtPortNumber"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString() + " " + c.ip + ":" + c.port);
        prompter.clear();
        auto d = open();
        fill(*d, c.transport, c.id, c.path, c.ip, c.port);
        d->Command1()->click();
        EXPECT_EQ(prompter.texts(), QStringList{c.message});
        ASSERT_NE(d->focusWidget(), nullptr);
        EXPECT_EQ(d->focusWidget()->objectName(), QString::fromLatin1(c.focus));
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(link.state().CommPort, 1);
        EXPECT_EQ(link.state().ModbusID, 1);
    }
}

TEST_F(CommSettingsDialogTest, OkEncodesTheTransportAndTheLineSettings) {
    const struct {
        const char* id;
        int transport;
        const char* path;
        std::uint16_t commPort;
    } cases[] = {
        {"247", 0, "/dev/pts/3", 4},
        {"12", 1, "", 32768},
        {"13", 2, "", 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.transport);
        const bool ethernet = c.transport == 2;
        link.state().IsEthernet = !ethernet;
        auto d = open();
        fill(*d, c.transport, c.id, c.path, "10.0.0.1", "65535");
        d->CmbBaud()->setCurrentIndex(2);
        d->cmbParity()->setCurrentIndex(1);
        d->cmbStop()->setCurrentIndex(1);
        d->Command1()->click();
        ASSERT_EQ(d->result(), QDialog::Accepted);
        const CommState& s = link.state();
        EXPECT_EQ(s.ModbusID, QString::fromLatin1(c.id).toInt());
        EXPECT_EQ(s.CommPort, c.commPort);
        EXPECT_EQ(s.IsEthernet, ethernet);
        if (c.transport == 0) {
            EXPECT_EQ(s.SerialPortPath, QString::fromLatin1(c.path));
        }
        if (ethernet) {
            EXPECT_EQ(s.TcpHost + u':' + QString::number(s.TcpPort), QStringLiteral("10.0.0.1:65535"));
        }
        EXPECT_EQ(s.lineSettings(), QStringLiteral("2400,E,8,2"));
    }
}

TEST_F(CommSettingsDialogTest, LoadShowsTheStoredSettings) {
    for (const char* path : {"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyACM0"}) {
        SerialPortEntry entry;
        entry.path = QString::fromLatin1(path);
        ports.push_back(entry);
    }
    closedPorts = {QStringLiteral("/dev/ttyS1")};
    CommState& s = link.state();
    s.SerialPortPath = QStringLiteral("/dev/pts/7");  // a pseudo-terminal: never listed
    s.BaudRateText = QStringLiteral("1200");
    s.ParityText = QStringLiteral("Odd");
    s.StopBitText = QStringLiteral("2");
    s.ModbusID = 17;
    s.TcpHost = QStringLiteral("192.168.10.20");
    s.TcpPort = 503;
    auto d = open();
    QComboBox* port = d->cmbCommPort();
    EXPECT_EQ(port->count(), 3);
    EXPECT_EQ(port->findText(QStringLiteral("/dev/ttyS1")), -1);
    EXPECT_EQ(port->currentText(), QStringLiteral("/dev/pts/7"));
    EXPECT_TRUE(port->isEditable());
    const auto indexes = {d->CmbBaud()->currentIndex(), d->cmbParity()->currentIndex(),
                          d->cmbStop()->currentIndex()};
    EXPECT_EQ(std::vector<int>(indexes), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(d->txtModbusID()->text(), QStringLiteral("17"));
    EXPECT_TRUE(d->optUART()->isChecked());
    EXPECT_FALSE(d->frameEthernet()->isEnabled());
    EXPECT_EQ(d->txtIPAddress(1)->text() + d->txtIPAddress(3)->text() + d->txtPortNumber()->text(),
              QStringLiteral("16820503"));
    d->optEthernet()->setChecked(true);
    EXPECT_TRUE(d->frameEthernet()->isEnabled());

    // The address that means "not set" leaves the boxes empty; Ethernet opens with its frame on.
    s.TcpHost = QStringLiteral("1.1.1.1");
    s.CommPort = 1000;
    auto unset = open();
    EXPECT_TRUE(unset->txtIPAddress(0)->text().isEmpty());
    EXPECT_TRUE(unset->optEthernet()->isChecked());
    EXPECT_TRUE(unset->frameEthernet()->isEnabled());
}

TEST_F(CommSettingsDialogTest, ParameterButtonsOnlyForModelsWithoutADisplay) {
    const std::pair<int, bool> cases[] = {{0, false}, {2, true}, {15, true}};  // the predicate's own table
    for (const auto& [model, shown] : cases) {
        SCOPED_TRACE(model);
        auto d = open(model);
        EXPECT_EQ(d->btnReadPara()->isVisible(), shown);
        EXPECT_EQ(d->btnWritePara()->isVisible(), shown);
    }
}

// The wait for the socket ends when the socket reports an error, or when the user stops it
// (Stop, or Escape while the busy line runs). Either way the dialog stays open and usable, and a
// refusal is told in a box: Connect is something the user asked for.
TEST_F(CommSettingsDialogTest, ConnectWaitsWithStopAndARefusalComesInABox) {
    // A listener whose queue is full: the next connection attempt is never answered.
    QTcpServer silent;
    silent.setListenBacklogSize(0);
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    silent.pauseAccepting();
    QTcpSocket filler;
    filler.connectToHost(QHostAddress::LocalHost, silent.serverPort());
    ASSERT_TRUE(filler.waitForConnected(5000));
    QStringList statusLines;
    link.setIdleReporter([&statusLines](const QString& text) { statusLines << text; });

    auto d = open();
    d->optEthernet()->setChecked(true);
    setAddress(*d, QStringLiteral("127.0.0.1"), QString::number(silent.serverPort()));
    bool busySeen = false;
    QTimer escape;
    QObject::connect(&escape, &QTimer::timeout, [&] {
        if (d->busyBar()->running()) {
            busySeen = !d->Command1()->isEnabled() && !d->CancelButton()->isEnabled() &&
                       d->busyBar()->stopButton()->isEnabled();
            QTest::keyClick(d.get(), Qt::Key_Escape);
        }
    });
    escape.start(20);
    d->cmdConnect()->click();
    escape.stop();
    EXPECT_TRUE(busySeen);
    EXPECT_FALSE(link.ethernetConnected());
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->cmdConnect()->text(), LoadText(8186));
    EXPECT_TRUE(d->CancelButton()->isEnabled() && d->cmdConnect()->isEnabled() && d->Command1()->isEnabled());
    EXPECT_TRUE(prompter.messages().empty());

    silent.close();
    d->cmdConnect()->click();
    EXPECT_EQ(prompter.messages().size(), 1u);
    EXPECT_TRUE(statusLines.isEmpty());
    EXPECT_TRUE(d->CancelButton()->isEnabled() && d->cmdConnect()->isEnabled() && d->Command1()->isEnabled());
}

// A Modbus ID the dialog would refuse (254, the default of a missing settings line) says so next
// to the box before OK is pressed, and goes quiet once the ID is fixed.
TEST_F(CommSettingsDialogTest, AModbusIdThatOkWouldRefuseShowsHowToFixIt) {
    const std::pair<const char*, bool> cases[] = {
        {"254", true}, {"0", true}, {"", true}, {"1", false}, {"247", false}};
    for (const auto& [text, hint] : cases) {
        SCOPED_TRACE(text);
        auto d = open();
        d->txtModbusID()->setText(QString::fromLatin1(text));
        EXPECT_EQ(d->lblModbusIdHint()->isVisible(), hint);
        EXPECT_EQ(d->lblModbusIdHint()->text(), LoadText(8797));
    }
}

// The serial port's check follows the path typed or chosen; the USB cable is found elsewhere.
TEST_F(CommSettingsDialogTest, UnderTheSerialPortSaysWhyItCannotBeOpened) {
    QTemporaryDir dir;
    const QString present = dir.filePath(QStringLiteral("ttyS7"));
    QFile file(present);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QString gone = dir.filePath(QStringLiteral("ttyUSB9"));
    auto d = open();
    d->optUART()->setChecked(true);
    d->cmbCommPort()->setEditText(gone);
    EXPECT_TRUE(d->lblPortAccess()->isVisible());
    EXPECT_EQ(d->lblPortAccess()->text(), PortAccessMessage(CheckPortAccess(gone)));
    d->optUSB()->setChecked(true);
    EXPECT_FALSE(d->lblPortAccess()->isVisible());
    d->optUART()->setChecked(true);
    d->cmbCommPort()->setEditText(present);
    EXPECT_FALSE(d->lblPortAccess()->isVisible());
}

TEST_F(CommSettingsDialogTest, Screenshots) {
    link.state().ModbusID = 254;
    InScreenshotLanguages([this](const QString& language) {
        const auto d = open();
        Shoot(*d, QStringLiteral("ser_setting_form_") + language);
    });
}

}  // namespace
}  // namespace bdx
