#pragma once

#include <QWidget>
#include <vector>

#include "editor/cross_reference.h"

class QTableWidget;

namespace bdx {

class LadderEditor;

// Every operand the ladder uses, with its uses, lines and comment, kept beside the editor. The
// rows follow each edit; double-click or Enter on a row selects the row's first line in the editor.
class XrefWindow : public QWidget {
    Q_OBJECT
  public:
    explicit XrefWindow(LadderEditor& editor, QWidget* parent = nullptr);

    void refresh();

    QTableWidget* grid() const { return grdCrossReference_; }

  Q_SIGNALS:
    // A row was chosen and its line selected; 0-based.
    void lineChosen(int line);

  private:
    void chooseRow(int row);

    LadderEditor& editor_;
    QTableWidget* grdCrossReference_;
    std::vector<CrossReferenceRow> rows_;
};

}  // namespace bdx
