#pragma once

#include <QStringList>
#include <QWidget>
#include <vector>

namespace bdx {

// Three rows of twelve characters in a fixed font on a display-coloured background, as the
// device's text display shows a message. Marked spans (embedded values) are shaded; an
// optional cursor frames one cell, or a whole span when it starts there.
class SoftTextGrid : public QWidget {
    Q_OBJECT
  public:
    struct Span {
        int begin = 0;
        int end = 0;  // one past the last cell
        QString toolTip;
    };

    explicit SoftTextGrid(QWidget* parent = nullptr);

    // Missing rows and characters show blank; longer rows are cut.
    void setLines(const QStringList& lines);
    const QStringList& lines() const { return lines_; }
    void setSpans(std::vector<Span> spans);
    // Cell 0..35 framed as the cursor; -1 for none.
    void setCursorCell(int cell);
    int cursorCell() const { return cursor_; }

    // Cell 0..35 under a point of the widget, -1 outside the grid.
    int cellAt(const QPoint& point) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

  private:
    QSize cellSize() const;
    QRect cellRect(int cell) const;
    const Span* spanAt(int cell) const;

    QStringList lines_;
    std::vector<Span> spans_;
    int cursor_ = -1;
};

}  // namespace bdx
