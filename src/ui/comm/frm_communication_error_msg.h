#pragma once

#include <QDialog>
#include <functional>

#include "comm/device_utilities.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace bdx {

class CommLink;

// The text lines of the communication-error report, in the current language.
QString CommunicationErrorLines(bool ethernet);

// Shown when the device did not answer the probe on the serial line: why that may be, and the
// search for the device's Modbus address. It opens inside the failed exchange, so it cannot
// repeat the operation that failed: Try Again closes it, and the user starts the operation
// again (with the address the search found, when it found one).
class frmCommunicationErrorMsg : public QDialog, public ScanProgress {
    Q_OBJECT
  public:
    frmCommunicationErrorMsg(CommLink& link, bool ethernet, QWidget* parent = nullptr);
    ~frmCommunicationErrorMsg() override;

    // The search found the device: save the settings (ModbusID is already set).
    void setSaveSettings(std::function<void()> save) { saveSettings_ = std::move(save); }

    void btScanModbusID_Click();
    void btScanCancel_Click();

    bool scanning() const { return scanning_; }
    // Whether the last search found the device.
    bool found() const { return found_; }

    QLabel* CommunicationErrorText() const { return text_; }
    QPushButton* btTryAgain() const { return btTryAgain_; }
    QPushButton* btScanModbusID() const { return btScanModbusID_; }
    QPushButton* btScanCancel() const { return btScanCancel_; }
    QPushButton* btCancel() const { return btCancel_; }
    QProgressBar* prgScan() const { return prgScan_; }

    // ScanProgress
    void setRange(int minimum, int maximum) override;
    void setValue(int value) override;

  public Q_SLOTS:
    // Closing while searching ends the search first; the window goes once it has.
    void reject() override;
    void accept() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void showScanning(bool scanning);

    CommLink& link_;
    std::function<void()> saveSettings_;
    DeviceUtilities* search_ = nullptr;  // while the search runs
    bool scanning_ = false;
    bool found_ = false;
    int closeWhenDone_ = -1;  // the result to close with once the search has ended

    QLabel* text_;
    QPushButton* btTryAgain_;
    QPushButton* btScanModbusID_;
    QPushButton* btScanCancel_;
    QPushButton* btCancel_;
    QProgressBar* prgScan_;
};

}  // namespace bdx
