#include "weekly_graph.h"

#include <QPainter>

namespace bdx {

namespace {

constexpr int kHoursPerDay = 24;
constexpr int kLabelledHours = 6;  // the scale names every sixth hour

const QColor kOnColour(0, 150, 70);
const QColor kNowColour(210, 30, 30);

}  // namespace

void PaintWeeklyGraph(QPainter& painter, const QRectF& area, const WeeklySchedule& schedule,
                      const QStringList& dayLabels, std::optional<WeekMoment> now) {
    painter.save();
    painter.fillRect(area, Qt::white);
    const QFontMetricsF metrics(painter.font());
    double labelWidth = 0;
    for (const QString& label : dayLabels) {
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(label));
    }
    const double durationWidth = metrics.horizontalAdvance(DurationText(kMinutesPerDay));
    const double margin = metrics.height() / 2;
    const double left = area.left() + margin + labelWidth + margin;
    const double right = area.right() - 2 * margin - durationWidth;
    const double top = area.top() + margin + metrics.height();
    const double row = (area.bottom() - margin - top) / kDaysPerWeek;
    if (right <= left || row <= 0) {
        painter.restore();
        return;
    }
    const auto x = [&](int minute) { return left + (right - left) * minute / kMinutesPerDay; };

    // The hour scale over the rows.
    for (int hour = 0; hour <= kHoursPerDay; ++hour) {
        const double at = x(hour * 60);
        const bool labelled = hour % kLabelledHours == 0;
        painter.setPen(QPen(labelled ? QColor(150, 150, 150) : QColor(225, 225, 225), 0));
        painter.drawLine(QPointF(at, top), QPointF(at, top + kDaysPerWeek * row));
        if (labelled) {
            painter.setPen(Qt::black);
            const QString text = QString::number(hour);
            const double width = metrics.horizontalAdvance(text);
            painter.drawText(QRectF(at - width, area.top() + margin / 2, 2 * width, metrics.height()),
                             Qt::AlignCenter, text);
        }
    }

    painter.setRenderHint(QPainter::Antialiasing, true);
    for (int day = 0; day < kDaysPerWeek; ++day) {
        const double y = top + day * row;
        painter.setPen(Qt::black);
        if (day < dayLabels.size()) {
            painter.drawText(QRectF(area.left() + margin, y, labelWidth, row),
                             Qt::AlignLeft | Qt::AlignVCenter, dayLabels[day]);
        }
        painter.drawText(QRectF(right + margin, y, durationWidth + margin, row),
                         Qt::AlignLeft | Qt::AlignVCenter, DurationText(schedule.onMinutes(day)));
        for (const OnInterval& interval : schedule.days[day]) {
            painter.fillRect(
                QRectF(QPointF(x(interval.from), y + row * 0.2), QPointF(x(interval.to), y + row * 0.8)),
                kOnColour);
        }
        painter.setPen(QPen(QColor(200, 200, 200), 0));
        painter.drawLine(QPointF(left, y + row), QPointF(right, y + row));
    }
    painter.setPen(QPen(QColor(150, 150, 150), 0));
    painter.drawLine(QPointF(left, top), QPointF(right, top));

    if (now && now->day >= 0 && now->day < kDaysPerWeek) {
        const double at = x(std::clamp(now->minute, 0, kMinutesPerDay));
        const double y = top + now->day * row;
        painter.setPen(QPen(kNowColour, std::max(1.5, row / 10)));
        painter.drawLine(QPointF(at, y), QPointF(at, y + row));
    }
    painter.restore();
}

WeeklyGraph::WeeklyGraph(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void WeeklyGraph::setSchedule(const WeeklySchedule& schedule) {
    if (schedule != schedule_) {
        schedule_ = schedule;
        update();
    }
}

void WeeklyGraph::setNow(std::optional<WeekMoment> now) {
    if (now != now_) {
        now_ = now;
        update();
    }
}

QSize WeeklyGraph::sizeHint() const {
    const int line = fontMetrics().height();
    return {line * 26, line * 12};
}

QSize WeeklyGraph::minimumSizeHint() const {
    const int line = fontMetrics().height();
    return {line * 22, line * 10};
}

void WeeklyGraph::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintWeeklyGraph(painter, QRectF(rect()), schedule_, ShortWeekdayNames(), now_);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

}  // namespace bdx
