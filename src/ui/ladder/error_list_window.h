#pragma once

#include <QWidget>

class QTableWidget;

namespace bdx {

class LadderEditor;

// The rule checker's findings in a window of their own that the user keeps beside the editor.
// The rows only inform: they cannot be edited or selected.
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

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    LadderEditor& editor_;
    QTableWidget* grdErrors_;
};

}  // namespace bdx
