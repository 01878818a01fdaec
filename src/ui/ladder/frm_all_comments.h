#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <memory>

#include "ladder/operands.h"

class QLineEdit;
class QPushButton;
class QTabBar;
class QTableWidget;

namespace bdx {

class LadderEditor;
class Prompter;

// The longest operand comment kept. A comment is one line of the program file; this keeps
// every comment readable in lists and printouts and the file far below its size limit.
inline constexpr int kMaxOperandCommentLength = 255;

// Makes one comment storable by the rules the comments dialog applies to all of them: characters
// outside the device's code page are removed once the user agrees (false when the user declines),
// and a text over kMaxOperandCommentLength characters is shortened with a notice naming `label`.
bool FitComment(QString& text, const QString& label, Prompter& prompter);

// Shows and edits the operand comments of every letter, one tab per group. The dialog edits a
// copy; Apply and OK write the changed comments into the program as one undoable change.
class frmAllComments : public QDialog {
    Q_OBJECT
  public:
    // Messages go to message boxes of its own.
    frmAllComments(LadderEditor& editor, QWidget* parent = nullptr);
    frmAllComments(LadderEditor& editor, Prompter& prompter, QWidget* parent = nullptr);
    ~frmAllComments() override;

    QTabBar* tabComments() const { return tabComments_; }
    QTableWidget* grdComment() const { return grdComment_; }
    QLineEdit* txtComment() const { return txtComment_; }
    QPushButton* OKButton() const { return OKButton_; }
    QPushButton* ApplyButton() const { return ApplyButton_; }
    QPushButton* CancelButton() const { return CancelButton_; }

    // Writes the dialog's comments into the program. False when the user chose to correct
    // characters the program file cannot hold; nothing is written then.
    bool apply();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build();
    void showGroup(int tab);
    void rowChanged();
    void commentEdited(const QString& text);
    // The grid and the comment box after the dialog's copy changed underneath them.
    void refreshTexts();
    // Flat comment index of a grid row of the current tab; -1 for none.
    int commentIndexOfRow(int row) const;
    void selectComment(int commentIndex);
    void OKButton_Click();

    LadderEditor& editor_;
    std::unique_ptr<Prompter> ownPrompter_;
    Prompter& prompter_;
    std::array<QString, kOperandCommentCount> comments_;
    QTabBar* tabComments_ = nullptr;
    QTableWidget* grdComment_ = nullptr;
    QLineEdit* txtComment_ = nullptr;
    QPushButton* OKButton_ = nullptr;
    QPushButton* ApplyButton_ = nullptr;
    QPushButton* CancelButton_ = nullptr;
};

}  // namespace bdx
