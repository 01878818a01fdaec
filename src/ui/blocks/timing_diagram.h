#pragma once

#include <QWidget>

class QPainter;

namespace bdx {

// Draws the timing diagram of a timer type: trigger, reset and output traces with the set
// times marked. Vector drawing, so it stays sharp at any size.
void PaintTimingDiagram(QPainter& painter, const QRectF& area, int type);

// The picture box of the timer dialog.
class TimingDiagram : public QWidget {
    Q_OBJECT
  public:
    explicit TimingDiagram(QWidget* parent = nullptr);

    int type() const { return type_; }
    void setType(int type);

    QSize sizeHint() const override { return {360, 150}; }
    QSize minimumSizeHint() const override { return {240, 110}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int type_ = 0;
};

}  // namespace bdx
