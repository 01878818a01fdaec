#include "lcd_display.h"

#include <QFontDatabase>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace bdx {

namespace {

// Proportions of one character cell (5 x 8 dots) with the gap to the next, in units of a dot.
constexpr qreal kCellDotsWide = 5.0;
constexpr qreal kCellDotsHigh = 8.0;
constexpr qreal kGapDots = 1.0;
// The bezel and the glass margin around the cells, in units of a dot.
constexpr qreal kBezelDots = 3.0;
constexpr qreal kGlassDots = 2.5;
constexpr qreal kDotsWide = 2 * (kBezelDots + kGlassDots) + LcdDisplay::kColumns * (kCellDotsWide + kGapDots) - kGapDots;
constexpr qreal kDotsHigh = 2 * (kBezelDots + kGlassDots) + LcdDisplay::kRows * (kCellDotsHigh + kGapDots) - kGapDots;
constexpr int kPreferredDot = 4;  // pixels per dot at the preferred size

const QColor kBezelTop(0x4a, 0x4f, 0x57);
const QColor kBezelBottom(0x24, 0x27, 0x2c);
const QColor kGlassLitTop(0xc6, 0xe0, 0x8f);
const QColor kGlassLitBottom(0xa4, 0xc8, 0x6a);
const QColor kGlassDark(0x5b, 0x66, 0x4c);
const QColor kUnlitCell(0x00, 0x30, 0x00, 0x1e);
const QColor kInk(0x16, 0x26, 0x0e);

}  // namespace

LcdDisplay::LcdDisplay(QWidget* parent) : QWidget(parent) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setLines({});
}

void LcdDisplay::setLines(const QStringList& lines) {
    QStringList fitted;
    for (int row = 0; row < kRows; ++row) {
        fitted << (row < lines.size() ? lines[row] : QString()).left(kColumns).leftJustified(kColumns);
    }
    if (fitted != lines_) {
        lines_ = fitted;
        // Screen readers read what the glass shows.
        setAccessibleDescription(lines_.join(u'\n'));
        update();
    }
}

void LcdDisplay::setLit(bool lit) {
    if (lit != lit_) {
        lit_ = lit;
        update();
    }
}

QSize LcdDisplay::sizeHint() const {
    return {qRound(kDotsWide * kPreferredDot), qRound(kDotsHigh * kPreferredDot)};
}

QSize LcdDisplay::minimumSizeHint() const {
    return {qRound(kDotsWide * 2), qRound(kDotsHigh * 2)};
}

int LcdDisplay::heightForWidth(int width) const {
    return qRound(width * kDotsHigh / kDotsWide);
}

void LcdDisplay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    // The largest area of the display's proportions, centred in the widget.
    const qreal dot = std::min(width() / kDotsWide, height() / kDotsHigh);
    const QSizeF size(kDotsWide * dot, kDotsHigh * dot);
    const QRectF outer(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);

    QLinearGradient bezel(outer.topLeft(), outer.bottomLeft());
    bezel.setColorAt(0, kBezelTop);
    bezel.setColorAt(1, kBezelBottom);
    painter.setPen(Qt::NoPen);
    painter.setBrush(bezel);
    painter.drawRoundedRect(outer, 2.0 * dot, 2.0 * dot);

    const QRectF glass = outer.adjusted(kBezelDots * dot, kBezelDots * dot, -kBezelDots * dot, -kBezelDots * dot);
    if (lit_) {
        QLinearGradient light(glass.topLeft(), glass.bottomLeft());
        light.setColorAt(0, kGlassLitTop);
        light.setColorAt(1, kGlassLitBottom);
        painter.setBrush(light);
    } else {
        painter.setBrush(kGlassDark);
    }
    painter.drawRoundedRect(glass, 0.8 * dot, 0.8 * dot);
    // A thin shadow under the bezel's upper edge gives the glass some depth.
    painter.setBrush(QColor(0, 0, 0, 40));
    painter.drawRect(QRectF(glass.left(), glass.top(), glass.width(), 0.5 * dot));
    if (!lit_) {
        return;
    }

    // Each cell a block of faint dots, then the character in a bold monospaced font over it.
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    font.setBold(true);
    font.setPixelSize(std::max(1, qRound(kCellDotsHigh * dot * 0.92)));
    // Wide enough for a cell: a monospaced glyph is about 0.6 of its height.
    const qreal advance = QFontMetricsF(font).horizontalAdvance(QLatin1Char('M'));
    const qreal cellWidth = kCellDotsWide * dot;
    if (advance > cellWidth * 1.05) {
        font.setStretch(std::max(50, qRound(100 * cellWidth * 1.05 / advance)));
    }
    painter.setFont(font);

    const QPointF origin = glass.topLeft() + QPointF(kGlassDots * dot, kGlassDots * dot);
    const qreal pitchX = (kCellDotsWide + kGapDots) * dot;
    const qreal pitchY = (kCellDotsHigh + kGapDots) * dot;
    const qreal pixel = dot * 0.82;
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const QPointF cell = origin + QPointF(column * pitchX, row * pitchY);
            painter.setPen(Qt::NoPen);
            painter.setBrush(kUnlitCell);
            for (int y = 0; y < int(kCellDotsHigh); ++y) {
                for (int x = 0; x < int(kCellDotsWide); ++x) {
                    painter.drawRect(QRectF(cell + QPointF(x * dot, y * dot), QSizeF(pixel, pixel)));
                }
            }
            const QChar c = lines_[row][column];
            if (!c.isSpace() && !c.isNull()) {
                painter.setPen(kInk);
                painter.drawText(QRectF(cell, QSizeF(cellWidth, kCellDotsHigh * dot)), Qt::AlignCenter, QString(c));
            }
        }
    }
}

}  // namespace bdx
