#pragma once

#include "block_dialog.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace bdx {

class SetTimeGroup;
class TimingDiagram;
struct TimerRecord;

// The timer dialog: mode, set times, lock and comment of one timer, T1..T16 chosen in Combo1.
// Save stores the record as one edit (one undo point) and closes; Cancel leaves the program
// as it was. Moving to another timer with unsaved changes asks whether to save them first.
// During a run the Input Status boxes and the Current Status lines follow the running timer,
// and Update hands the new parameters to it before the dialog closes.
class timer_form : public BlockDialog {
    Q_OBJECT
  public:
    // `timer` is 0-based; `run` as for BlockDialog.
    timer_form(LadderEditor& editor, Prompter& prompter, int timer, PcSimulationRunner* run = nullptr,
               QWidget* parent = nullptr);

    int timer() const { return number(); }
    // The grid's selected type 0..13.
    int selectedType() const;
    void selectType(int type);

    QComboBox* Combo1() const { return Combo1_; }
    QTableWidget* gd1() const { return gd1_; }
    QPlainTextEdit* txtDescription() const { return txtDescription_; }
    TimingDiagram* imgTimingDiag() const { return imgTimingDiag_; }
    SetTimeGroup* onTime() const { return onTime_; }
    SetTimeGroup* offTime() const { return offTime_; }
    QRadioButton* optLocked() const { return optLocked_; }
    QRadioButton* optNotLocked() const { return optNotLocked_; }
    QLineEdit* Text2() const { return Text2_; }
    QPushButton* Command3() const { return saveButton(); }
    QPushButton* Command4() const { return closeButton(); }
    QCheckBox* chkTrigger() const { return chkTrigger_; }
    QCheckBox* chkReset() const { return chkReset_; }
    QLabel* lblTrigger() const { return lblTrigger_; }
    QLabel* lblReset() const { return lblReset_; }
    QLabel* lblOutput() const { return lblOutput_; }

  private:
    QWidget* buildModeColumn();
    QWidget* buildSettingsColumn();
    void Form_Activate();
    void show_function_dia();
    void Combo1_Click(int index);
    // The record as the controls hold it.
    TimerRecord fieldsRecord() const;
    bool save() override { return save_timer_params(); }
    bool save_timer_params();
    // During a run: the timer's inputs in the check boxes and the status lines.
    void refreshLive() override;

    QComboBox* Combo1_;
    QTableWidget* gd1_;
    QPlainTextEdit* txtDescription_;
    TimingDiagram* imgTimingDiag_;
    SetTimeGroup* onTime_;
    SetTimeGroup* offTime_;
    QRadioButton* optLocked_;
    QRadioButton* optNotLocked_;
    QLineEdit* Text2_;
    QCheckBox* chkTrigger_;
    QCheckBox* chkReset_;
    QLabel* lblTrigger_;
    QLabel* lblReset_;
    QLabel* lblOutput_;
};

}  // namespace bdx
