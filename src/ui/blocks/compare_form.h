#pragma once

#include "block_dialog.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace bdx {

struct CompareRecord;

// The compare counter dialog: first counter, function and second operand (a counter or a
// constant), lock and comment of one compare counter, P1..P16 chosen in Combo4. During a run it
// shows both operands' values and the output live.
class compare_form : public BlockDialog {
    Q_OBJECT
  public:
    // `compare` is 0-based; `run` as for BlockDialog.
    compare_form(LadderEditor& editor, Prompter& prompter, int compare, PcSimulationRunner* run = nullptr,
                 QWidget* parent = nullptr);

    int compare() const { return number(); }

    QComboBox* Combo4() const { return Combo4_; }
    QComboBox* Combo1() const { return Combo1_; }
    QComboBox* Combo3() const { return Combo3_; }
    QComboBox* Combo2() const { return Combo2_; }
    QLineEdit* Text2() const { return Text2_; }
    QLineEdit* Text1() const { return Text1_; }
    QRadioButton* optLocked() const { return optLocked_; }
    QRadioButton* optNotLocked() const { return optNotLocked_; }
    QLabel* lblFirstValue() const { return lblFirstValue_; }
    QLabel* lblSecondValue() const { return lblSecondValue_; }
    QLabel* lblOutput() const { return lblOutput_; }
    QPushButton* Command1() const { return saveButton(); }
    QPushButton* Command2() const { return closeButton(); }

  private:
    QWidget* buildComparison();
    void Form_Activate();
    void Combo4_Click(int index);
    void Combo2_Click();
    bool save() override { return save_compare_params(); }
    bool save_compare_params();
    void refreshLive() override;

    QComboBox* Combo4_;
    QComboBox* Combo1_;
    QComboBox* Combo3_;
    QComboBox* Combo2_;
    QLineEdit* Text2_;
    QLineEdit* Text1_;
    QRadioButton* optLocked_;
    QRadioButton* optNotLocked_;
    QLabel* lblFirstValue_;
    QLabel* lblSecondValue_;
    QLabel* lblOutput_;
};

}  // namespace bdx
