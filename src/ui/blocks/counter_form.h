#pragma once

#include "block_dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace bdx {

struct CounterRecord;

// The counter dialog: set point, scaling, retentive flag, lock and comment of one counter,
// C1..C16 chosen in Combo1. During a run it shows the counter's inputs, output and value live
// and stays open after an update.
class counter_form : public BlockDialog {
    Q_OBJECT
  public:
    // `counter` is 0-based; `run` as for BlockDialog.
    counter_form(LadderEditor& editor, Prompter& prompter, int counter, PcSimulationRunner* run = nullptr,
                 QWidget* parent = nullptr);

    int counter() const { return number(); }

    QComboBox* Combo1() const { return Combo1_; }
    QLineEdit* Text1() const { return Text1_; }
    QLineEdit* txtSPFlotVal() const { return txtSPFlotVal_; }
    QComboBox* cboDecimalPos() const { return cboDecimalPos_; }
    QLineEdit* txtNumOfPulse() const { return txtNumOfPulse_; }
    QLineEdit* txtDesireUnit() const { return txtDesireUnit_; }
    QCheckBox* chkRetentive() const { return chkRetentive_; }
    QRadioButton* optLocked() const { return optLocked_; }
    QRadioButton* optNotLocked() const { return optNotLocked_; }
    QLineEdit* Text2() const { return Text2_; }
    QCheckBox* chkCount() const { return chkCount_; }
    QCheckBox* chkReset() const { return chkReset_; }
    QCheckBox* chkDirection() const { return chkDirection_; }
    QLabel* lblCount() const { return lblCount_; }
    QLabel* lblReset() const { return lblReset_; }
    QLabel* lblDirection() const { return lblDirection_; }
    QLabel* lblOutput() const { return lblOutput_; }
    QLabel* lblCurrentValue() const { return lblCurrentValue_; }
    QPushButton* Command2() const { return saveButton(); }
    QPushButton* Command1() const { return closeButton(); }

  private:
    QWidget* buildSettings();
    QWidget* buildStatus();
    void Form_Activate();
    void Combo1_Click(int index);
    void Text1_Change();
    void showSetPoint();
    bool save() override { return save_counter_params(); }
    // The save steps: the fields into a record, the record checked and stored.
    bool save_counter_params();
    void save_counter_preset(CounterRecord& record) const;
    void save_counter_NumPulse(CounterRecord& record) const;
    void save_counter_DisplyUnit(CounterRecord& record) const;
    void refreshLive() override;

    QComboBox* Combo1_;
    QLineEdit* Text1_;
    QLineEdit* txtSPFlotVal_;
    QComboBox* cboDecimalPos_;
    QLineEdit* txtNumOfPulse_;
    QLineEdit* txtDesireUnit_;
    QCheckBox* chkRetentive_;
    QRadioButton* optLocked_;
    QRadioButton* optNotLocked_;
    QLineEdit* Text2_;
    QCheckBox* chkCount_;
    QCheckBox* chkReset_;
    QCheckBox* chkDirection_;
    QLabel* lblCount_;
    QLabel* lblReset_;
    QLabel* lblDirection_;
    QLabel* lblOutput_;
    QLabel* lblCurrentValue_;
};

}  // namespace bdx
