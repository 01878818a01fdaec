#pragma once

#include <QWidget>

class QPainter;
#include <cstdint>
#include <optional>

namespace bdx {

class TrendRecorder;
class TrendTrace;

// A timing diagram of a recording: one row per trace with its name on the left, a time axis
// under them, and a cursor line whose time and values the name column reads out. Binary traces
// are drawn as high and low levels, values as steps scaled to what is in view.
//
// Ctrl+wheel zooms around the mouse, the wheel and dragging pan, a click places the cursor;
// the arrow keys pan, Ctrl+Plus and Ctrl+Minus zoom, End follows the latest scan again.
class TrendView : public QWidget {
    Q_OBJECT
  public:
    static constexpr std::int64_t kMinimumSpan = 20;  // hundredths in view at the most zoom
    static constexpr std::int64_t kDefaultSpan = 1000;

    explicit TrendView(QWidget* parent = nullptr);

    // What to draw; nullptr for nothing. The recorder must outlive the view or be unset.
    void setRecorder(const TrendRecorder* recorder);
    // New samples arrived: while following, the view moves on with the latest.
    void refresh();

    // The stretch of time in view, in hundredths of a second, ending at end().
    std::int64_t span() const { return span_; }
    std::int64_t end() const;
    bool following() const { return follow_; }
    void setSpan(std::int64_t span);
    // Shows `end` at the right edge; past the latest sample the view follows again.
    void scrollTo(std::int64_t end);
    // Keeps the latest sample at the right edge from now on.
    void followLatest();

    std::optional<std::int64_t> cursorTime() const { return cursor_; }
    void setCursorTime(std::optional<std::int64_t> time);
    // The value of trace `index` at the cursor as the name column shows it; empty without one.
    QString cursorText(int index) const;

    // The time under x, and the x of a time, in widget coordinates.
    std::int64_t timeAt(int x) const;
    int xOf(std::int64_t time) const;
    QRect plotRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  Q_SIGNALS:
    void cursorMoved();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void paintTrace(QPainter& painter, const TrendTrace& trace, const QRect& band, const QColor& colour) const;
    void zoom(double factor, int anchorX);
    std::int64_t latest() const;
    std::int64_t earliest() const;

    const TrendRecorder* recorder_ = nullptr;
    std::int64_t span_ = kDefaultSpan;
    std::int64_t end_ = kDefaultSpan;  // while not following
    bool follow_ = true;
    std::optional<std::int64_t> cursor_;
    // A press pans when the mouse moves, places the cursor when it does not.
    bool pressed_ = false;
    bool dragged_ = false;
    int pressX_ = 0;
    std::int64_t pressEnd_ = 0;
};

}  // namespace bdx
