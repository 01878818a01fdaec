#pragma once

#include <QElapsedTimer>
#include <QPoint>
#include <QWidget>
#include <cstdint>
#include <memory>

class QMimeData;

class QTreeWidget;
class QTreeWidgetItem;

namespace bdx {

class LadderEditor;

// The function selector: the floating list of operands and function blocks by group.
class FunctionSelector : public QWidget {
    Q_OBJECT
  public:
    explicit FunctionSelector(LadderEditor& editor, QWidget* parent = nullptr);
    void UpdateModelDisplay(
        int modelIndex);  // "Analog Functions" by HasAnalog, "Text Display" and "Z Keys" by HasDisplay

    QTreeWidget* tree() const { return tree_; }
    // The entry of an operand (contact code or coil letter, 1-based number); null when there is none.
    QTreeWidgetItem* operandItem(std::uint16_t code, int number) const;
    // The group entries in their order, and the two tool entries.
    QTreeWidgetItem* groupItem(int group) const;
    QTreeWidgetItem* selectionToolItem() const { return selectionTool_; }
    QTreeWidgetItem* wireToolItem() const { return wireTool_; }
    // What dragging an entry carries to the ladder: its operand; null for the other entries.
    std::unique_ptr<QMimeData> dragData(QTreeWidgetItem* item) const;

  Q_SIGNALS:
    void operandPlaced();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void build();
    // Click or Enter on an entry: a tool is taken, a group opens or closes, an operand is placed.
    void choose(QTreeWidgetItem* item);
    void showComments(QTreeWidgetItem* parent);
    // The comments of every open group, and the tool in use.
    void refreshComments();
    void markTool();
    // Starts dragging the operand pressed on once the mouse has moved far enough.
    bool dragOnMove(QEvent* event);

    LadderEditor& editor_;
    QTreeWidget* tree_ = nullptr;
    QTreeWidgetItem* selectionTool_ = nullptr;
    QTreeWidgetItem* wireTool_ = nullptr;
    // The first click of a double click has already chosen its entry.
    QTreeWidgetItem* lastClicked_ = nullptr;
    QElapsedTimer sinceClick_;
    QTreeWidgetItem* pressed_ = nullptr;
    QPoint pressPoint_;
};

}  // namespace bdx
