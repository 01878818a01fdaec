#include "soft_text_grid.h"

#include <QFontDatabase>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace bdx {

namespace {

constexpr int kRows = 3;
constexpr int kColumns = 12;
constexpr int kMargin = 8;
const QColor kBackground(0xb5, 0xd0, 0x8c);
const QColor kInk(0x1d, 0x2b, 0x12);
const QColor kSpanShade(0x8f, 0xb2, 0x63);

}  // namespace

SoftTextGrid::SoftTextGrid(QWidget* parent) : QWidget(parent) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    font.setPointSizeF(font.pointSizeF() * 1.6);
    font.setBold(true);
    setFont(font);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setLines({});
}

void SoftTextGrid::setLines(const QStringList& lines) {
    lines_.clear();
    for (int row = 0; row < kRows; ++row) {
        lines_ << (row < lines.size() ? lines[row] : QString()).left(kColumns).leftJustified(kColumns);
    }
    update();
}

void SoftTextGrid::setSpans(std::vector<Span> spans) {
    spans_ = std::move(spans);
    update();
}

void SoftTextGrid::setCursorCell(int cell) {
    cursor_ = cell >= 0 && cell < kRows * kColumns ? cell : -1;
    update();
}

QSize SoftTextGrid::cellSize() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(QLatin1Char('M')) + 6, metrics.height() + 8};
}

QRect SoftTextGrid::cellRect(int cell) const {
    const QSize size = cellSize();
    return {kMargin + (cell % kColumns) * size.width(), kMargin + (cell / kColumns) * size.height(),
            size.width(), size.height()};
}

int SoftTextGrid::cellAt(const QPoint& point) const {
    const QSize size = cellSize();
    const int column = (point.x() - kMargin) / size.width();
    const int row = (point.y() - kMargin) / size.height();
    if (point.x() < kMargin || point.y() < kMargin || column >= kColumns || row >= kRows) {
        return -1;
    }
    return row * kColumns + column;
}

const SoftTextGrid::Span* SoftTextGrid::spanAt(int cell) const {
    for (const Span& span : spans_) {
        if (cell >= span.begin && cell < span.end) {
            return &span;
        }
    }
    return nullptr;
}

QSize SoftTextGrid::sizeHint() const {
    const QSize size = cellSize();
    return {2 * kMargin + kColumns * size.width(), 2 * kMargin + kRows * size.height()};
}

void SoftTextGrid::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    for (const Span& span : spans_) {
        for (int cell = span.begin; cell < span.end; ++cell) {
            painter.fillRect(cellRect(cell).adjusted(0, 2, 0, -2), kSpanShade);
        }
    }
    // Faint cell dots, as on the device's matrix, so blanks can be counted.
    painter.setPen(QPen(kSpanShade, 1));
    for (int cell = 0; cell < kRows * kColumns; ++cell) {
        const QRect r = cellRect(cell);
        painter.drawPoint(r.center().x(), r.bottom() - 2);
    }
    painter.setPen(kInk);
    for (int cell = 0; cell < kRows * kColumns; ++cell) {
        painter.drawText(cellRect(cell), Qt::AlignCenter, QString(lines_[cell / kColumns][cell % kColumns]));
    }
    if (cursor_ >= 0) {
        const Span* span = spanAt(cursor_);
        const QRect first = cellRect(span ? span->begin : cursor_);
        const QRect last = cellRect(span ? span->end - 1 : cursor_);
        QPen pen(kInk, hasFocus() ? 2 : 1, hasFocus() ? Qt::SolidLine : Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(first.united(last).adjusted(1, 1, -1, -1));
    }
}

bool SoftTextGrid::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const Span* span = spanAt(cellAt(help->pos()));
        if (span && !span->toolTip.isEmpty()) {
            QToolTip::showText(help->globalPos(), span->toolTip, this);
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QWidget::event(event);
}

}  // namespace bdx
