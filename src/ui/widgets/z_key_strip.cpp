#include "z_key_strip.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

namespace bdx {

namespace {

constexpr int kCapWidth = 46;
constexpr int kCapHeight = 34;
constexpr int kSpacing = 10;
constexpr int kMargin = 4;

}  // namespace

ZKeyStrip::ZKeyStrip(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ZKeyStrip::setPressed(int k, bool pressed) {
    if (valid(k) && pressed_[k - 1] != pressed) {
        pressed_[k - 1] = pressed;
        update();
    }
}

QString ZKeyStrip::imageName(int k) const {
    return QStringLiteral("Z%1 %2").arg(k).arg(isPressed(k) ? QLatin1String("Pressed") : QLatin1String("Unpressed"));
}

QRectF ZKeyStrip::capRect(int k) const {
    const qreal left = (width() - (kKeys * kCapWidth + (kKeys - 1) * kSpacing)) / 2.0;
    return {left + (k - 1) * (kCapWidth + kSpacing), (height() - kCapHeight) / 2.0, kCapWidth, kCapHeight};
}

int ZKeyStrip::keyAt(const QPoint& point) const {
    for (int k = 1; k <= kKeys; ++k) {
        if (capRect(k).contains(point)) {
            return k;
        }
    }
    return 0;
}

QSize ZKeyStrip::sizeHint() const {
    return {kKeys * kCapWidth + (kKeys - 1) * kSpacing + 2 * kMargin, kCapHeight + 2 * kMargin};
}

void ZKeyStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    for (int k = 1; k <= kKeys; ++k) {
        const bool down = pressed_[k - 1];
        const QRectF cap = capRect(k);
        // A raised cap with a shadow below; a pressed one sits lower, darker, without the shadow.
        if (!down) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(0, 0, 0, 60));
            painter.drawRoundedRect(cap.translated(0, 2.5), 6, 6);
        }
        const QRectF face = down ? cap.translated(0, 2) : cap;
        QLinearGradient fill(face.topLeft(), face.bottomLeft());
        fill.setColorAt(0, down ? QColor(0x1f, 0x5f, 0xb8) : QColor(0xfa, 0xfb, 0xfc));
        fill.setColorAt(1, down ? QColor(0x2f, 0x80, 0xed) : QColor(0xd5, 0xd9, 0xdf));
        painter.setPen(QPen(down ? QColor(0x17, 0x4a, 0x90) : QColor(0x8a, 0x90, 0x99), 1.2));
        painter.setBrush(fill);
        painter.drawRoundedRect(face, 6, 6);
        painter.setPen(down ? Qt::white : QColor(0x2b, 0x30, 0x36));
        painter.drawText(face, Qt::AlignCenter, QStringLiteral("Z%1").arg(k));
    }
}

void ZKeyStrip::mousePressEvent(QMouseEvent* event) {
    const int k = event->button() == Qt::LeftButton ? keyAt(event->position().toPoint()) : 0;
    if (k == 0 || mouseKey_ != 0) {
        QWidget::mousePressEvent(event);
        return;
    }
    mouseKey_ = k;
    Q_EMIT keyPressed(k);
}

void ZKeyStrip::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || mouseKey_ == 0) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const int k = mouseKey_;
    mouseKey_ = 0;
    Q_EMIT keyReleased(k);
}

}  // namespace bdx
