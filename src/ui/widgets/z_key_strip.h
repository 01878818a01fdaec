#pragma once

#include <QString>
#include <QWidget>
#include <array>

namespace bdx {

// The four Z keys drawn as key caps, each showing its "Pressed" or "Unpressed" picture. A click on
// a cap reports the key pressed and released, for windows that let the user press them there.
class ZKeyStrip : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kKeys = 4;

    explicit ZKeyStrip(QWidget* parent = nullptr);

    // Key 1..4.
    void setPressed(int k, bool pressed);
    bool isPressed(int k) const { return valid(k) && pressed_[k - 1]; }
    // The name of the picture key k shows: "Z1 Pressed" or "Z1 Unpressed".
    QString imageName(int k) const;
    // Key 1..4 under a point of the widget, 0 for none.
    int keyAt(const QPoint& point) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  Q_SIGNALS:
    void keyPressed(int k);
    void keyReleased(int k);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    static bool valid(int k) { return k >= 1 && k <= kKeys; }
    QRectF capRect(int k) const;

    std::array<bool, kKeys> pressed_{};
    int mouseKey_ = 0;  // the key the mouse holds down
};

}  // namespace bdx
