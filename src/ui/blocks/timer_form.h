#pragma once

#include <QDialog>

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

class LadderEditor;
class Prompter;
class SetTimeGroup;
class TimingDiagram;
struct TimerRecord;

// The timer dialog: mode, set times, lock and comment of one timer, T1..T16 chosen in Combo1.
// Save stores the record as one edit (one undo point) and closes; Cancel leaves the program
// as it was. Moving to another timer with unsaved changes asks whether to save them first.
class timer_form : public QDialog {
    Q_OBJECT
  public:
    // `timer` is 0-based.
    timer_form(LadderEditor& editor, Prompter& prompter, int timer, QWidget* parent = nullptr);

    int timer() const { return timer_; }
    // The grid's selected type 0..13.
    int selectedType() const;
    void selectType(int type);
    bool edited() const { return edited_; }

    QComboBox* Combo1() const { return Combo1_; }
    QTableWidget* gd1() const { return gd1_; }
    QPlainTextEdit* txtDescription() const { return txtDescription_; }
    TimingDiagram* imgTimingDiag() const { return imgTimingDiag_; }
    SetTimeGroup* onTime() const { return onTime_; }
    SetTimeGroup* offTime() const { return offTime_; }
    QRadioButton* optLocked() const { return optLocked_; }
    QRadioButton* optNotLocked() const { return optNotLocked_; }
    QLineEdit* Text2() const { return Text2_; }
    QPushButton* Command3() const { return Command3_; }
    QPushButton* Command4() const { return Command4_; }

  private:
    QWidget* buildModeColumn();
    QWidget* buildSettingsColumn();
    void Form_Activate();
    void show_function_dia();
    void Combo1_Click(int index);
    void Command3_Click();
    // The record as the controls hold it.
    TimerRecord fieldsRecord() const;
    bool save_timer_params();
    void markEdited() { edited_ = true; }

    LadderEditor& editor_;
    Prompter& prompter_;
    int timer_;
    bool edited_ = false;
    bool loading_ = false;
    QComboBox* Combo1_;
    QTableWidget* gd1_;
    QPlainTextEdit* txtDescription_;
    TimingDiagram* imgTimingDiag_;
    SetTimeGroup* onTime_;
    SetTimeGroup* offTime_;
    QGroupBox* fraLocked_;
    QRadioButton* optLocked_;
    QRadioButton* optNotLocked_;
    QLineEdit* Text2_;
    QCheckBox* chkTrigger_;
    QCheckBox* chkReset_;
    QLabel* lblTrigger_;
    QLabel* lblReset_;
    QLabel* lblOutput_;
    QPushButton* Command3_;
    QPushButton* Command4_;
};

}  // namespace bdx
