#pragma once

#include "block_dialog.h"
#include "blocks/analog_record.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace bdx {

// The analog function dialog: which input is compared, by which function, with which other input
// or reference value, plus lock and comment of one block, A1..A12 chosen in Combo4. During a run
// it stays open after an update and shows the compared values and the block's output live.
class analog_form : public BlockDialog {
    Q_OBJECT
  public:
    // `block` is 0-based; `run` as for BlockDialog.
    analog_form(LadderEditor& editor, Prompter& prompter, int block, PcSimulationRunner* run = nullptr,
                QWidget* parent = nullptr);

    int block() const { return number(); }

    QComboBox* Combo4() const { return Combo4_; }
    QComboBox* Combo1() const { return Combo1_; }
    QComboBox* Combo2() const { return Combo2_; }
    QComboBox* Combo3() const { return Combo3_; }
    QLineEdit* Text1() const { return Text1_; }
    QComboBox* cboDecimalPos() const { return cboDecimalPos_; }
    QLabel* lblVref() const { return lblVref_; }
    QLabel* lblHysteresis() const { return lblHysteresis_; }
    QLabel* lblValue1() const { return lblValue1_; }
    QLabel* lblValue2() const { return lblValue2_; }
    QLabel* lblOutput() const { return lblOutput_; }
    QRadioButton* optLocked() const { return optLocked_; }
    QRadioButton* optNotLocked() const { return optNotLocked_; }
    QLineEdit* Text20() const { return Text20_; }
    QPushButton* Command2() const { return saveButton(); }
    QPushButton* Command1() const { return closeButton(); }

  protected:
    void refreshLive() override;

  private:
    QGroupBox* buildCompareFrame();
    QGroupBox* buildStatusFrame();
    void Form_Activate();
    void Combo4_Click(int index);
    void Text1_Change(const QString& typed);
    // Reference fields on for "VREF" only; the "Vref = " and hysteresis texts follow the fields.
    void showOperands();
    AnalogRecord fieldsRecord() const;
    bool save() override { return save_analog_params(); }
    bool save_analog_params();

    QComboBox* Combo4_;
    QComboBox* Combo1_;
    QComboBox* Combo2_;
    QComboBox* Combo3_;
    QLineEdit* Text1_;
    QComboBox* cboDecimalPos_;
    QLabel* lblVref_;
    QLabel* lblHysteresis_;
    QGroupBox* fraCurrentStatus_;
    QLabel* lblValue1_;
    QLabel* lblValue2_;
    QLabel* lblOutput_;
    QRadioButton* optLocked_;
    QRadioButton* optNotLocked_;
    QLineEdit* Text20_;
};

}  // namespace bdx
