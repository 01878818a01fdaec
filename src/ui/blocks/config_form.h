#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QPushButton;
class QTableWidget;

namespace bdx {

class LadderEditor;
class Prompter;

// The model dialog: one of the four offered device models and the extension modules A, B, C.
// exec() gives Accepted once the choice is in the program; a refusal of the time switch check
// keeps the dialog open with the program untouched.
class config_form : public QDialog {
    Q_OBJECT
  public:
    config_form(LadderEditor& editor, Prompter& prompter, QWidget* parent = nullptr);

    QTableWidget* gd1() const { return gd1_; }
    QCheckBox* Check1(int index) const { return Check1_.at(static_cast<std::size_t>(index)); }
    QPushButton* Command1() const { return Command1_; }
    QPushButton* Command2() const { return Command2_; }

    // The selected grid row 1..4, 0 for none.
    int selectedRow() const;
    void selectRow(int row);

  private:
    void Form_Load();
    void Command1_Click();

    LadderEditor& editor_;
    Prompter& prompter_;
    QTableWidget* gd1_;
    std::array<QCheckBox*, 3> Check1_{};
    QPushButton* Command1_;
    QPushButton* Command2_;
};

}  // namespace bdx
