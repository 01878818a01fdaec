#pragma once

#include <QWidget>

class QTableWidget;

namespace bdx {

class LadderEditor;

// The rule checker's findings in a window of their own that the user keeps beside the editor.
// The rows cannot be edited; a click on one selects its line in the editor.
class ErrorListWindow : public QWidget {
    Q_OBJECT
  public:
    explicit ErrorListWindow(LadderEditor& editor, QWidget* parent = nullptr);

    // Rebuilds the rows from the editor's latest check.
    void refresh();

    QTableWidget* grid() const { return grdErrors_; }

  Q_SIGNALS:
    // The user closed the window (its menu entry follows).
    void closed();
    // A row with a line was clicked and the line selected; 0-based.
    void lineChosen(int line);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void chooseRow(int row);

    LadderEditor& editor_;
    QTableWidget* grdErrors_;
};

}  // namespace bdx
