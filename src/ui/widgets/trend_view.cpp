#include "trend_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
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
        // The points in view, and the one before them that holds at the left edge.
        qsizetype index = 0;
        qsizetype low = 0;
        qsizetype high = trace.size() - 1;
        while (low < high) {
            const qsizetype middle = (low + high + 1) / 2;
            if (trace.at(middle).time <= first) {
                low = middle;
            } else {
                high = middle - 1;
            }
        }
        index = low;
        const int top = band.top() + 6;
        const int bottom = band.bottom() - 6;
        double minimum = 0.0;
        double maximum = 1.0;
        if (!trace.binary()) {
            minimum = maximum = trace.at(index).value;
            for (qsizetype i = index; i < trace.size() && trace.at(i).time <= last; ++i) {
                minimum = std::min(minimum, trace.at(i).value);
                maximum = std::max(maximum, trace.at(i).value);
            }
        }
        const auto yOf = [&](double value) {
            if (maximum <= minimum) {
                return (top + bottom) / 2;
            }
            return bottom - static_cast<int>(std::lround((value - minimum) / (maximum - minimum) * (bottom - top)));
        };
        // A step line; points that fall on one pixel column become one vertical stroke.
        QPainterPath path;
        const int rightEdge = std::min(plot.right(), xOf(latest()));
        int x = std::max(plot.left(), xOf(std::max(trace.at(index).time, earliest())));
        int y = yOf(trace.at(index).value);
        path.moveTo(x, y);
        QPainterPath fill;  // the high stretches of a binary trace
        for (qsizetype i = index + 1; i < trace.size(); ++i) {
            const TrendPoint point = trace.at(i);
            if (point.time > last) {
                break;
            }
            const int nextX = std::max(plot.left(), xOf(point.time));
            const int nextY = yOf(point.value);
            if (trace.binary() && y == top && nextX > x) {
                fill.addRect(QRectF(x, top, nextX - x, bottom - top));
            }
            path.lineTo(nextX, y);
            path.lineTo(nextX, nextY);
            x = nextX;
            y = nextY;
        }
        if (rightEdge > x) {
            if (trace.binary() && y == top) {
                fill.addRect(QRectF(x, top, rightEdge - x, bottom - top));
            }
            path.lineTo(rightEdge, y);
        }
        painter.save();
        painter.setClipRect(plot);
        QColor shade = colour;
        shade.setAlpha(40);
        painter.fillPath(fill, shade);
        painter.setPen(QPen(colour, 1.6));
        painter.drawPath(path);
        painter.restore();
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
