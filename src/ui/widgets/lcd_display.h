#pragma once

#include <QStringList>
#include <QWidget>

namespace bdx {

// The device's character display drawn by hand: a dark bezel around a backlit glass with three
// rows of twelve character cells, the unlit cells faintly visible as on the real display. It only
// shows the lines it is given, so any window (a simulation run, the device simulator) can use it.
// It scales to the size it is given.
class LcdDisplay : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kRows = 3;
    static constexpr int kColumns = 12;

    explicit LcdDisplay(QWidget* parent = nullptr);

    // Missing rows and characters show blank; longer rows are cut.
    void setLines(const QStringList& lines);
    const QStringList& lines() const { return lines_; }
    // Off: the backlight is out and the glass shows nothing, as with the supply switched off.
    void setLit(bool lit);
    bool isLit() const { return lit_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QStringList lines_;
    bool lit_ = true;
};

}  // namespace bdx
