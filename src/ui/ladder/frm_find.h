#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace bdx {

class LadderEditor;

// Finds the next contact or coil of an operand. Modeless: the user keeps it open beside the
// editor and presses Find Next repeatedly; the editor does the search and its messages.
class frmFind : public QDialog {
    Q_OBJECT
  public:
    frmFind(LadderEditor& editor, QWidget* parent = nullptr);

    QComboBox* cmbFind() const { return cmbFind_; }
    QLineEdit* txtFindVal() const { return txtFindVal_; }
    QPushButton* btnFind() const { return btnFind_; }
    QPushButton* btnClose() const { return btnClose_; }

  private:
    void btnFind_Click();
    // A new category or number starts a new series of searches.
    void searchChanged();
    void setFindCaption(int textId);

    LadderEditor& editor_;
    QComboBox* cmbFind_;
    QLineEdit* txtFindVal_;
    QPushButton* btnFind_;
    QPushButton* btnClose_;
};

}  // namespace bdx
