#pragma once

#include <QDialog>
#include <functional>

#include "comm/firmware_update.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace bdx {

class CommLink;

// The firmware update window: choose a ".qvex" package, see its version and build time, start
// the update with or without a read-back, follow it on the bar and the status line, stop it.
// The update itself is FirmwareUpdate's; this window only feeds it and shows its progress.
class frmUpdateFirmware : public QDialog, public FirmwareProgress {
    Q_OBJECT
  public:
    // `imageFolder`: where the package is unpacked (the application folder).
    frmUpdateFirmware(CommLink& link, const QString& imageFolder, QWidget* parent = nullptr);
    ~frmUpdateFirmware() override;

    // No serial port chosen when Update is pressed: the communication settings, modally.
    void setShowCommSettings(std::function<void()> show);

    void BrowseBinFile_Click();
    void WriteHexFileButton_Click();
    void StopButton_Click();

    bool running() const { return running_; }
    // How the last update ended (Refused before any update ran).
    FirmwareResult lastResult() const { return lastResult_; }

    QLineEdit* txtBinFile() const { return txtBinFile_; }
    QPushButton* BrowseBinFile() const { return BrowseBinFile_; }
    QLabel* lblVersion() const { return lblVersion_; }
    QLabel* lblDateTime() const { return lblDateTime_; }
    QPushButton* WriteHexFileButton() const { return WriteHexFileButton_; }
    QPushButton* StopButton() const { return StopButton_; }
    QCheckBox* chkVerify() const { return chkVerify_; }
    QProgressBar* prgBar() const { return prgBar_; }
    QLabel* lblNote() const { return lblNote_; }
    QPushButton* Command1() const { return Command1_; }

    // FirmwareProgress
    void setRange(int minimum, int maximum) override;
    void setValue(int value) override;
    void setStatus(const QString& text) override;

  public Q_SLOTS:
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildLayout();
    void setIdleControls();
    // While an update runs the window cannot be closed; says so on the status line.
    bool refuseWhileRunning();

    CommLink& link_;
    FirmwareUpdate update_;
    bool running_ = false;
    FirmwareResult lastResult_ = FirmwareResult::Refused;

    QLineEdit* txtBinFile_;
    QPushButton* BrowseBinFile_;
    QLabel* lblVersion_;
    QLabel* lblDateTime_;
    QPushButton* WriteHexFileButton_;
    QPushButton* StopButton_;
    QCheckBox* chkVerify_;
    QProgressBar* prgBar_;
    QLabel* lblNote_;
    QPushButton* Command1_;
};

}  // namespace bdx
