#pragma once

#include <QDialog>
#include <array>

#include "comm/comm_settings.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace bdx {

class CommLink;
class DeviceBusyBar;

// The communication settings dialog: transport (serial port, USB cable, Ethernet), line
// settings, device address, the Ethernet address with its Connect button, and the device's own
// communication parameters. OK puts the choice into the link's state and accepts; saving the
// settings file is the owner's job, on accept and whenever settingsToSave() is emitted.
// Every exchange with the device (Connect, reading and writing its parameters) runs on the
// busy line with Stop. Cancel, Escape and the close box always leave: after a Connect that is
// still up they keep the connection; otherwise the settings are as they were when it opened.
class ser_setting_form : public QDialog {
    Q_OBJECT
  public:
    // `modelIndex` decides whether the device-parameter buttons are offered. The lister and the
    // probe default to the system's serial ports.
    ser_setting_form(CommLink& link, int modelIndex, QWidget* parent = nullptr, SerialPortLister lister = {},
                     SerialPortProbe probe = {});
    ~ser_setting_form() override;

    QRadioButton* optUART() const { return optUART_; }
    QRadioButton* optUSB() const { return optUSB_; }
    QRadioButton* optEthernet() const { return optEthernet_; }
    QComboBox* cmbCommPort() const { return cmbCommPort_; }
    QComboBox* CmbBaud() const { return CmbBaud_; }
    QComboBox* cmbParity() const { return cmbParity_; }
    QComboBox* cmbStop() const { return cmbStop_; }
    QLineEdit* txtModbusID() const { return txtModbusID_; }
    QGroupBox* frameEthernet() const { return frameEthernet_; }
    // The four numbers of the dotted address (0..3): txtIPAddress, txtIPAddress1, txtIPAddress2,
    // txtIPAddress3.
    QLineEdit* txtIPAddress(int part) const { return txtIPAddress_.at(static_cast<std::size_t>(part)); }
    QLineEdit* txtPortNumber() const { return txtPortNumber_; }
    QPushButton* cmdConnect() const { return cmdConnect_; }
    QPushButton* btnReadPara() const { return btnReadPara_; }
    QPushButton* btnWritePara() const { return btnWritePara_; }
    QPushButton* Command1() const { return Command1_; }
    QPushButton* CancelButton() const { return CancelButton_; }
    DeviceBusyBar* busyBar() const { return busy_; }
    // Says how to fix a Modbus ID the dialog would refuse; hidden while the ID is fine.
    QLabel* lblModbusIdHint() const { return lblModbusIdHint_; }
    QLabel* lblPortAccess() const { return lblPortAccess_; }

    // After a Cancel: Connect or Disconnect had saved the settings and the link's state is back
    // as it was, so the owner writes back the settings file it had.
    bool settingsRestored() const { return settingsRestored_; }

    // Time-out of the Ethernet connect; below 0 it waits until the socket connects or fails.
    void setConnectTimeout(int ms) { connectTimeoutMs_ = ms; }

    void Command1_Click();
    void cmdConnect_Click();
    void btnReadPara_Click();
    void btnWritePara_Click();

  public Q_SLOTS:
    // Stop while an exchange runs; otherwise leaves as the class comment says.
    void reject() override;

  Q_SIGNALS:
    // Connect or Disconnect changed the Ethernet settings in the link's state.
    void settingsToSave();

  private:
    void buildLayout();
    void Form_Load();
    void updateTransportControls();
    void updateModbusIdHint();
    void updatePortAccess();
    // Cancel follows Connect: off while a connection made here is up.
    void updateCancel();
    void showConnected(bool connected);
    QWidget* ethernetFieldWidget(EthernetField field) const;
    // The address and port checks; the first fault is shown and its box gets the focus.
    bool ethernetFieldsValid();
    std::array<QString, 4> ipParts() const;
    void selectText(QComboBox* box, const QString& text);

    CommLink& link_;
    int modelIndex_;
    SerialPortLister lister_;
    SerialPortProbe probe_;
    int connectTimeoutMs_ = -1;
    bool connectedHere_ = false;
    bool savedHere_ = false;  // Connect or Disconnect wrote the settings file
    bool settingsRestored_ = false;
    // The Ethernet settings that Connect changes, as they were when the dialog opened.
    struct EthernetSettings {
        bool isEthernet = false;
        QString host;
        std::uint16_t port = 0;
    } opened_;

    QRadioButton* optUART_;
    QRadioButton* optUSB_;
    QRadioButton* optEthernet_;
    QComboBox* cmbCommPort_;
    QComboBox* CmbBaud_;
    QComboBox* cmbParity_;
    QComboBox* cmbStop_;
    QLineEdit* txtModbusID_;
    QGroupBox* frameEthernet_;
    std::array<QLineEdit*, 4> txtIPAddress_{};
    QLineEdit* txtPortNumber_;
    QPushButton* cmdConnect_;
    QPushButton* btnReadPara_;
    QPushButton* btnWritePara_;
    QPushButton* Command1_;
    QPushButton* CancelButton_;
    QLabel* lblModbusIdHint_;
    QLabel* lblPortAccess_;
    DeviceBusyBar* busy_;
};

}  // namespace bdx
