#include "trend_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QVarLengthArray>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>

#include "sim/sim_operands.h"
#include "sim/trend_recorder.h"

namespace bdx {

namespace {

constexpr int kNameWidth = 150;
constexpr int kRowHeight = 30;
constexpr int kAxisHeight = 22;
constexpr int kMargin = 6;
constexpr int kMinimumTickSpacing = 70;
constexpr int kDragThreshold = 4;
constexpr double kWheelZoom = 1.25;

const std::array<QColor, 6> kTraceColours = {QColor(0x1f, 0x63, 0xc1), QColor(0xc2, 0x41, 0x0c),
                                             QColor(0x1b, 0x7f, 0x3b), QColor(0x8e, 0x24, 0xaa),
                                             QColor(0x00, 0x7c, 0x89), QColor(0x9a, 0x6a, 0x00)};

// A tick step of 1, 2 or 5 times a power of ten hundredths, at least `minimum`.
std::int64_t niceStep(double minimum) {
    std::int64_t power = 1;
    for (;;) {
        for (const int factor : {1, 2, 5}) {
            if (static_cast<double>(power * factor) >= minimum) {
                return power * factor;
            }
        }
        power *= 10;
    }
}

}  // namespace

TrendView::TrendView(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    setMouseTracking(false);
}

void TrendView::setRecorder(const TrendRecorder* recorder) {
    recorder_ = recorder;
    updateGeometry();
    update();
}

void TrendView::refresh() {
    updateGeometry();
    update();
}

std::int64_t TrendView::latest() const {
    return recorder_ != nullptr ? std::max<std::int64_t>(recorder_->latest(), 0) : 0;
}

std::int64_t TrendView::earliest() const {
    return recorder_ != nullptr && recorder_->latest() >= 0 ? recorder_->windowStart() : 0;
}

std::int64_t TrendView::end() const {
    // A short recording starts at the left edge rather than at the right.
    return follow_ ? std::max(latest(), earliest() + span_) : end_;
}

void TrendView::setSpan(std::int64_t span) {
    const std::int64_t widest = recorder_ != nullptr ? std::max(recorder_->window(), kDefaultSpan) : kDefaultSpan;
    span_ = std::clamp(span, kMinimumSpan, widest);
    update();
}

void TrendView::scrollTo(std::int64_t end) {
    const std::int64_t last = std::max(latest(), earliest() + span_);
    follow_ = end >= last;
    end_ = std::clamp(end, earliest() + span_, last);
    update();
}

void TrendView::followLatest() {
    follow_ = true;
    update();
}

void TrendView::setCursorTime(std::optional<std::int64_t> time) {
    cursor_ = time;
    update();
    Q_EMIT cursorMoved();
}

QString TrendView::cursorText(int index) const {
    if (recorder_ == nullptr || !cursor_ || index < 0 || index >= static_cast<int>(recorder_->traces().size())) {
        return QString();
    }
    const std::optional<double> value = recorder_->traces()[static_cast<std::size_t>(index)].valueAt(*cursor_);
    return value ? FormatSimValue(*value) : QString();
}

QRect TrendView::plotRect() const {
    return QRect(kNameWidth, 0, std::max(1, width() - kNameWidth - kMargin), std::max(1, height() - kAxisHeight));
}

std::int64_t TrendView::timeAt(int x) const {
    const QRect plot = plotRect();
    const double fraction = static_cast<double>(x - plot.left()) / plot.width();
    return end() - span_ + static_cast<std::int64_t>(std::llround(fraction * static_cast<double>(span_)));
}

int TrendView::xOf(std::int64_t time) const {
    const QRect plot = plotRect();
    const double fraction = static_cast<double>(time - (end() - span_)) / static_cast<double>(span_);
    return plot.left() + static_cast<int>(std::lround(std::clamp(fraction, -1.0, 2.0) * plot.width()));
}

QSize TrendView::sizeHint() const {
    const int rows = recorder_ != nullptr ? static_cast<int>(recorder_->traces().size()) : 0;
    return {640, std::max(3, rows) * kRowHeight + kAxisHeight};
}

QSize TrendView::minimumSizeHint() const {
    return {kNameWidth + 120, 2 * kRowHeight + kAxisHeight};
}

void TrendView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& pal = palette();
    const QRect plot = plotRect();
    const std::int64_t last = end();
    const std::int64_t first = last - span_;
    const int traceCount = recorder_ != nullptr ? static_cast<int>(recorder_->traces().size()) : 0;

    // Rows: the name and the value at the cursor on the left, the trace on the right.
    for (int row = 0; row < traceCount; ++row) {
        const TrendTrace& trace = recorder_->traces()[static_cast<std::size_t>(row)];
        const QRect band(0, row * kRowHeight, width(), kRowHeight);
        if (row % 2 == 1) {
            painter.fillRect(band, pal.color(QPalette::AlternateBase));
        }
        const QColor colour = kTraceColours[static_cast<std::size_t>(row) % kTraceColours.size()];
        QFont bold = font();
        bold.setBold(true);
        painter.setFont(bold);
        painter.setPen(colour);
        const QRect nameRect(kMargin, band.top(), kNameWidth - 2 * kMargin, kRowHeight);
        painter.drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter, trace.operand().name);
        painter.setFont(font());
        painter.setPen(pal.color(QPalette::Text));
        painter.drawText(nameRect, Qt::AlignRight | Qt::AlignVCenter, cursorText(row));

        if (trace.empty()) {
            continue;
        }
        paintTrace(painter, trace, band, colour);
    }

    // The time axis: ticks at 1, 2 or 5 times a power of ten, labelled in seconds.
    const int axisTop = plot.bottom() + 1;
    painter.setPen(pal.color(QPalette::Mid));
    painter.drawLine(plot.left(), axisTop, plot.right(), axisTop);
    painter.drawLine(kNameWidth - 1, 0, kNameWidth - 1, axisTop);
    const std::int64_t step =
        niceStep(static_cast<double>(span_) * kMinimumTickSpacing / std::max(1, plot.width()));
    const QFontMetrics metrics(font());
    for (std::int64_t t = (std::max<std::int64_t>(first, 0) + step - 1) / step * step; t <= last; t += step) {
        const int tickX = xOf(t);
        painter.setPen(pal.color(QPalette::Midlight));
        painter.drawLine(tickX, 0, tickX, axisTop);
        painter.setPen(pal.color(QPalette::Text));
        painter.drawLine(tickX, axisTop, tickX, axisTop + 4);
        const QString label = FormatSimTime(t) + QStringLiteral(" s");
        const int labelWidth = metrics.horizontalAdvance(label);
        painter.drawText(QRect(tickX - labelWidth / 2 - 2, axisTop + 4, labelWidth + 4, kAxisHeight - 4),
                         Qt::AlignCenter, label);
    }

    // The cursor with its time on the axis.
    if (cursor_ && *cursor_ >= first && *cursor_ <= last) {
        const int cursorX = xOf(*cursor_);
        painter.setPen(QPen(QColor(0xd0, 0x1c, 0x1c), 1.0, Qt::DashLine));
        painter.drawLine(cursorX, 0, cursorX, axisTop);
        const QString label = FormatSimTime(*cursor_) + QStringLiteral(" s");
        const QRect labelRect(cursorX - metrics.horizontalAdvance(label) / 2 - 3, axisTop + 2,
                              metrics.horizontalAdvance(label) + 6, kAxisHeight - 3);
        painter.fillRect(labelRect, QColor(0xd0, 0x1c, 0x1c));
        painter.setPen(Qt::white);
        painter.drawText(labelRect, Qt::AlignCenter, label);
    }
}

void TrendView::paintTrace(QPainter& painter, const TrendTrace& trace, const QRect& band, const QColor& colour) const {
    const QRect plot = plotRect();
    const std::int64_t last = end();
    const std::int64_t first = last - span_;
    // The point that holds at the left edge, and the first after the right edge.
    const qsizetype begin = std::max<qsizetype>(trace.upperBound(first) - 1, 0);
    const qsizetype stop = trace.upperBound(last);

    // One pixel column at a time: a column with several points becomes one vertical stroke over
    // their range, so a zoomed-out view of a busy trace costs a stroke per column, not per point.
    // A binary trace jumps over a column's points at once, since they can only be its two levels.
    const double perPixel = static_cast<double>(span_) / plot.width();
    const auto columnOf = [&](std::int64_t time) {
        return plot.left() + static_cast<int>(std::floor(static_cast<double>(time - first) / perPixel));
    };
    const auto columnEnd = [&](int column) {  // the first time right of `column`
        return first + static_cast<std::int64_t>(std::ceil((column + 1 - plot.left()) * perPixel));
    };
    struct Column {
        int x;
        double least, most, last;
    };
    QVarLengthArray<Column, 1024> columns;
    const double startValue = trace.at(begin).value;
    double minimum = startValue;
    double maximum = startValue;
    for (qsizetype i = begin + 1; i < stop;) {
        const int x = std::max(plot.left(), columnOf(trace.at(i).time));
        const std::int64_t limit = columnEnd(x);
        Column column{x, trace.at(i).value, trace.at(i).value, trace.at(i).value};
        if (trace.binary()) {
            const qsizetype next = std::min(trace.upperBound(limit - 1), stop);
            if (next - i > 1) {
                column.least = 0.0;
                column.most = 1.0;
            }
            column.last = trace.at(next - 1).value;
            i = next;
        } else {
            for (++i; i < stop; ++i) {
                const TrendPoint point = trace.at(i);
                if (point.time >= limit) {
                    break;
                }
                column.least = std::min(column.least, point.value);
                column.most = std::max(column.most, point.value);
                column.last = point.value;
            }
        }
        minimum = std::min(minimum, column.least);
        maximum = std::max(maximum, column.most);
        columns.append(column);
    }
    if (trace.binary()) {
        minimum = 0.0;
        maximum = 1.0;
    }
    const int top = band.top() + 6;
    const int bottom = band.bottom() - 6;
    const auto yOf = [&](double value) {
        if (maximum <= minimum) {
            return (top + bottom) / 2;
        }
        return bottom - static_cast<int>(std::lround((value - minimum) / (maximum - minimum) * (bottom - top)));
    };

    QList<QLine> lines;
    QList<QRect> highs;  // the high stretches of a binary trace
    const auto addHigh = [&](int from, int to) {
        if (!highs.isEmpty() && highs.back().right() + 1 >= from) {
            highs.back().setRight(to - 1);
        } else {
            highs.append(QRect(from, top, to - from, bottom - top));
        }
    };
    int x = std::max(plot.left(), columnOf(std::max(trace.at(begin).time, earliest())));
    int y = yOf(startValue);
    for (const Column& column : columns) {
        if (trace.binary() && y == top && column.x > x) {
            addHigh(x, column.x);
        }
        // Next to the column before, the stroke below joins them without a line of its own.
        if (column.x - x > 1) {
            lines.append(QLine(x, y, column.x, y));
        }
        const int high = yOf(column.most);
        const int low = yOf(column.least);
        lines.append(QLine(column.x, std::min(high, y), column.x, std::max(low, y)));
        x = column.x;
        y = yOf(column.last);
    }
    const int rightEdge = std::min(plot.right(), xOf(latest()));
    if (rightEdge > x) {
        if (trace.binary() && y == top) {
            addHigh(x, rightEdge);
        }
        lines.append(QLine(x, y, rightEdge, y));
    }
    painter.save();
    painter.setClipRect(plot);
    QColor shade = colour;
    shade.setAlpha(40);
    for (const QRect& rect : std::as_const(highs)) {
        painter.fillRect(rect, shade);
    }
    // Two strokes of a thin pen one pixel apart: as bold as a wide pen, and many times faster
    // for the raster engine, which draws a thin pen's lines without stroking them.
    painter.setPen(QPen(colour, 0));
    painter.drawLines(lines);
    painter.translate(1, 1);
    painter.drawLines(lines);
    painter.restore();
}

void TrendView::zoom(double factor, int anchorX) {
    const std::int64_t anchor = timeAt(anchorX);
    const QRect plot = plotRect();
    const double fraction = std::clamp(static_cast<double>(anchorX - plot.left()) / plot.width(), 0.0, 1.0);
    const bool wasFollowing = follow_;
    setSpan(static_cast<std::int64_t>(std::llround(static_cast<double>(span_) * factor)));
    if (wasFollowing && fraction > 0.95) {
        return;  // zooming at the live edge stays live
    }
    scrollTo(anchor + static_cast<std::int64_t>(std::llround((1.0 - fraction) * static_cast<double>(span_))));
}

void TrendView::wheelEvent(QWheelEvent* event) {
    const QPoint delta = event->angleDelta();
    const int steps = (delta.y() != 0 ? delta.y() : delta.x()) / 120;
    if (steps == 0) {
        event->ignore();
        return;
    }
    if (event->modifiers() & Qt::ControlModifier) {
        zoom(std::pow(kWheelZoom, -steps), static_cast<int>(event->position().x()));
    } else {
        // Turning away pans back in time, as a horizontal scroll bar would.
        scrollTo(end() - steps * std::max<std::int64_t>(span_ / 10, 1));
    }
    event->accept();
}

void TrendView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    pressed_ = true;
    dragged_ = false;
    pressX_ = static_cast<int>(event->position().x());
    pressEnd_ = end();
}

void TrendView::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_) {
        return;
    }
    const int dx = static_cast<int>(event->position().x()) - pressX_;
    if (!dragged_ && std::abs(dx) < kDragThreshold) {
        return;
    }
    dragged_ = true;
    setCursor(Qt::ClosedHandCursor);
    const double perPixel = static_cast<double>(span_) / plotRect().width();
    scrollTo(pressEnd_ - static_cast<std::int64_t>(std::llround(dx * perPixel)));
}

void TrendView::mouseReleaseEvent(QMouseEvent* event) {
    if (!pressed_ || event->button() != Qt::LeftButton) {
        return;
    }
    pressed_ = false;
    unsetCursor();
    if (!dragged_ && event->position().x() >= kNameWidth) {
        setCursorTime(std::clamp(timeAt(static_cast<int>(event->position().x())), earliest(), latest()));
    }
}

void TrendView::keyPressEvent(QKeyEvent* event) {
    const std::int64_t panStep = std::max<std::int64_t>(span_ / 10, 1);
    const bool control = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
        case Qt::Key_Left:
            scrollTo(end() - panStep);
            break;
        case Qt::Key_Right:
            scrollTo(end() + panStep);
            break;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            if (!control) {
                QWidget::keyPressEvent(event);
                return;
            }
            zoom(1.0 / kWheelZoom, plotRect().right());
            break;
        case Qt::Key_Minus:
            if (!control) {
                QWidget::keyPressEvent(event);
                return;
            }
            zoom(kWheelZoom, plotRect().right());
            break;
        case Qt::Key_End:
            followLatest();
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

}  // namespace bdx
