#pragma once

#include <QDialog>
#include <functional>

#include "comm/program_transfer.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace bdx {

class CommLink;
class ProgramDocument;

// The program transfer dialog: writes the editor's program into the device, or reads the
// device's program into the editor, with a progress bar, a status line and Stop. While a
// transfer runs the two commands are off, Stop is on and the dialog does not close (closing is
// taken as Stop). A write that succeeds closes the dialog.
class transfer_form : public QDialog, private TransferProgress {
    Q_OBJECT
  public:
    // What the dialog needs from the rest of the application; every member may be left empty.
    struct Hooks {
        // ModbusID moved to the address that answered: save the settings file.
        std::function<void()> settingsChanged;
        // No serial port chosen: the communication settings, modally.
        std::function<void()> showCommSettings;
        // The main window's run/stop controls, off while the device is being stopped.
        std::function<void(bool enabled)> setRunControlsEnabled;
    };

    transfer_form(CommLink& link, ProgramDocument& document, Prompter& prompter, bool bigEndian, Hooks hooks,
                  QWidget* parent = nullptr);
    ~transfer_form() override;

    QProgressBar* prgBar() const { return prgBar_; }
    QLabel* Label1() const { return Label1_; }
    QPushButton* pc_to_leg() const { return pc_to_leg_; }
    QPushButton* leg_to_pc() const { return leg_to_pc_; }
    QPushButton* cmd_stop() const { return cmd_stop_; }
    bool transferring() const { return job_ != nullptr; }

    // Each returns once the transfer has ended; true when it succeeded.
    bool pc_to_leg_Click();
    bool leg_to_pc_Click();
    void cmd_stop_Click();

  public Q_SLOTS:
    // Escape or the window's close while a transfer runs stops it instead of closing.
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // TransferProgress
    void setRange(int minimum, int maximum) override;
    void setValue(int value) override;
    void setStatus(const QString& text) override;

    // Runs one direction with the controls switched for a transfer and the link's device action
    // held; `program` is the program the transfer works on.
    bool transfer(Program& program, bool write);

    CommLink& link_;
    ProgramDocument& document_;
    Prompter& prompter_;
    bool bigEndian_;
    Hooks hooks_;
    ProgramTransfer* job_ = nullptr;

    QLabel* Label1_;
    QProgressBar* prgBar_;
    QPushButton* pc_to_leg_;
    QPushButton* leg_to_pc_;
    QPushButton* cmd_stop_;
};

}  // namespace bdx
