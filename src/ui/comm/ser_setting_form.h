#pragma once

#include <QDialog>
#include <array>

#include "comm/comm_settings.h"

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace bdx {

class CommLink;

// The communication settings dialog: transport (serial port, USB cable, Ethernet), line
// settings, device address, the Ethernet address with its Connect button, and the device's own
// communication parameters. OK puts the choice into the link's state and accepts; saving the
// settings file is the owner's job, on accept and whenever settingsToSave() is emitted.
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

    // Time-out of the Ethernet connect; below 0 it waits until the socket connects or fails.
    void setConnectTimeout(int ms) { connectTimeoutMs_ = ms; }

    void Command1_Click();
    void cmdConnect_Click();
    void btnReadPara_Click();
    void btnWritePara_Click();

  public Q_SLOTS:
    // Refused while Cancel is off: after a Connect the new link must be confirmed with OK.
    void reject() override;

  Q_SIGNALS:
    // Connect or Disconnect changed the Ethernet settings in the link's state.
    void settingsToSave();

  private:
    void buildLayout();
    void Form_Load();
    void updateTransportControls();
    // Buttons off while the link is busy, and back on with Connect's state applied.
    void setButtonsEnabled(bool enabled);
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
};

}  // namespace bdx
