#pragma once

#include <QAbstractScrollArea>
#include <QRect>
#include <QTimer>
#include <memory>

#include "editor/ladder_editor.h"
#include "paint/ladder_painter.h"

class QLineEdit;
class QMenu;

namespace bdx {

class Prompter;
class ScanEngine;

// The ladder editor window: the lines from TopLine that fit at its zoom, with a scroll bar.
class LadderView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    LadderView(LadderEditor& editor, Prompter& prompter, QWidget* parent = nullptr);
    ~LadderView() override;

    void setDisplayStyle(int style);  // 0 device style, 1 PLC (IEC 61131-3), 2 Electrical (IEC 60617)
    int displayStyle() const { return static_cast<int>(style_); }
    // Non-null while a simulation runs: conducting contacts, energised coils and live wires are
    // highlighted from the engine, repainted by the view's own timer at screen rate (~30 Hz),
    // never per scan. Null returns to edit mode.
    void setLiveEngine(const ScanEngine* engine);
    const ScanEngine* liveEngine() const { return engine_; }
    // A paused run changes only by a step: no repaint timer meanwhile, one repaint per step.
    void setLivePaused(bool paused);
    void refresh();  // after any change of program or selection made elsewhere
    // Size of the lines in percent of the size that fits the shown lines into the window.
    void setZoomPercent(int percent);
    int zoomPercent() const { return zoomPercent_; }
    double rowHeight() const { return layout().rowHeight(); }

    // Viewport rectangle of a position (contact, junction cell or coil); empty when its line is
    // not shown.
    QRect positionRect(const GridPosition& position) const;
    QRect lineNumberRect(int line) const;
    // Viewport rectangle of the operand text of an element; empty when the position has none.
    QRect labelRect(const GridPosition& position) const;
    // The popup menu of a coil or contact position, as the right mouse button opens it.
    std::unique_ptr<QMenu> contextMenuFor(const GridPosition& position);
    // Opens the in-place editor over the comment cell of a shown line (double click, F2). Enter
    // or leaving it stores the text as one edit, Escape drops it. Not while a simulation runs.
    void editLineComment(int line);
    QLineEdit* lineCommentEditor() const { return commentEditor_; }
    // The entry that opens over the target cell when an operand is typed (first letter, "/" or
    // "!"). The operand is placed once its number is complete, on Enter, on the next operand's
    // first character or on a move key (which then moves on); Escape drops it. A refused text
    // stays in the entry and its reason goes to the status bar.
    void openOperandEntry(const QString& typed);
    QLineEdit* operandEditor() const { return operandEditor_; }

  Q_SIGNALS:
    void propertiesRequested();                    // Properties chosen (coil menu / label click)
    void fileDropped(const QString& path);         // a .h53/.m53/.t53 dropped; others get message 4302 (box
                                                   // captioned "Error") through the Prompter
    void lineSelectionChanged(bool lineSelected);  // for the Cut/Copy/Paste Line captions
    void zoomRequested(int steps);                 // Ctrl+wheel: up (> 0) or down (< 0)
    void statusMessage(const QString& text);       // a refused typed operand, for the status bar

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool viewportEvent(QEvent* event) override;

  private:
    LadderLayout layout() const;
    LadderScene scene() const;
    LadderHit hitAt(QPointF point) const;
    bool overLabel(const LadderHit& hit, QPointF point) const;
    // A left click (or the second click of a double click) on the ladder.
    void click(const LadderHit& hit);
    void updatePointer(QPointF point);
    QString toolTipAt(QPointF point) const;
    void syncScrollBar();
    void addLineCommands(QMenu& menu);
    void finishLineComment(bool store);
    // Several lines, and the lines in view: Shift with a click on a line number or with the up,
    // down and page keys stretches the line selection; the shown lines follow zoom and height.
    void followShownLines();
    bool extendLinesByClick(const LadderHit& hit, QMouseEvent* event);
    bool extendLinesByKey(QKeyEvent* event);
    // A right click on a line number keeps a line selection it falls in.
    void selectLineForMenu(int line);
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Typing and keyboard wiring: true when the key was taken.
    bool typingKey(QKeyEvent* event);
    bool junctionKey(QKeyEvent* event);
    bool operandEntryEvent(QEvent* event);
    // Places the entry's text; false (and the reason shown) when it was refused.
    bool commitOperandEntry();
    void closeOperandEntry();
    bool dropOperand(QDropEvent* event);

    LadderEditor& editor_;
    Prompter& prompter_;
    DisplayStyle style_ = DisplayStyle::Device;
    const ScanEngine* engine_ = nullptr;
    std::unique_ptr<LivePower> live_;
    QTimer liveTimer_;
    bool lastLineSelected_ = false;
    bool syncingScrollBar_ = false;
    int zoomPercent_ = 100;
    QLineEdit* commentEditor_ = nullptr;
    int commentLine_ = -1;
    QLineEdit* operandEditor_ = nullptr;
    int wheelAngle_ = 0;  // a fine-grained wheel adds up to whole steps
};

}  // namespace bdx
