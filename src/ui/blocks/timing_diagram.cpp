#include "timing_diagram.h"

#include <QPainter>
#include <QPainterPath>
#include <array>
#include <string_view>

#include "blocks/timer_record.h"
#include "shell/language_table.h"

namespace bdx {
namespace {

enum TextId { OutputText = 4150, TriggerText = 8197, ResetText = 8198 };

constexpr int kSlots = 24;

// A set time drawn as a dimension line under the output trace, from slot to slot.
struct Mark {
    int from = 0;
    int to = 0;
    const char* label = nullptr;
};

// One time slot per character, '1' high. ON times last five slots, OFF times three.
struct Waveform {
    std::string_view trigger;
    std::string_view reset;
    std::string_view output;
    std::array<Mark, 2> marks;
};

constexpr std::string_view kNoReset = "000000000000000000000000";

constexpr std::array<Waveform, kTimerTypes> kWaveforms = {{
    // A on-delay: a trigger shorter than the set time gives nothing.
    {"001111111111000111000000", kNoReset, "000000011111000000000000", {{{2, 7, "t"}}}},
    // B off-delay
    {"001111110000000000000000", kNoReset, "001111111111100000000000", {{{8, 13, "t"}}}},
    // C single pulse
    {"001111111111110000000000", kNoReset, "001111100000000000000000", {{{2, 7, "t"}}}},
    // D ON/OFF until reset
    {"001111000000000000000000", "000000000000000000001111", "001111100011111000110000",
     {{{2, 7, "tON"}, {7, 10, "tOFF"}}}},
    // E OFF/ON until reset
    {"001111000000000000000000", "000000000000000000001111", "000001111100011111000000",
     {{{2, 5, "tOFF"}, {5, 10, "tON"}}}},
    // F ON/OFF while the trigger lasts
    {"001111111111111111000000", kNoReset, "001111100011111000000000", {{{2, 7, "tON"}, {7, 10, "tOFF"}}}},
    // G OFF/ON while the trigger lasts
    {"001111111111111111000000", kNoReset, "000001111100011111000000", {{{2, 5, "tOFF"}, {5, 10, "tON"}}}},
    // H delayed impulse
    {"001111111111111100000000", kNoReset, "000001111100000000000000", {{{2, 5, "tOFF"}, {5, 10, "tON"}}}},
    // I leading edge, runs to the end
    {"001100000000001111111111", kNoReset, "001111100000001111100000", {{{2, 7, "t"}}}},
    // J leading edge, stops with the trigger
    {"001111111111000111000000", kNoReset, "001111100000000111000000", {{{2, 7, "t"}}}},
    // K trailing edge, runs to the end
    {"011110000000001110000000", kNoReset, "000001111100000000111110", {{{5, 10, "t"}}}},
    // L trailing edge, stops with the next trigger
    {"011110001100000000000000", kNoReset, "000001110011111000000000", {{{10, 15, "t"}}}},
    // M signal OFF/ON
    {"001111111111100000000000", kNoReset, "000000011111111111000000", {{{2, 7, "t"}, {13, 18, "t"}}}},
    // N impulse ON/OFF
    {"001111111111100000000000", kNoReset, "001111100000011111000000", {{{2, 7, "t"}, {13, 18, "t"}}}},
}};

constexpr bool WellFormed() {
    for (const Waveform& w : kWaveforms) {
        if (w.trigger.size() != kSlots || w.reset.size() != kSlots || w.output.size() != kSlots) {
            return false;
        }
    }
    return true;
}
static_assert(WellFormed(), "every trace has one character per slot");

QPainterPath TracePath(std::string_view levels, double left, double slot, double high, double low) {
    QPainterPath path;
    double y = levels[0] == '1' ? high : low;
    path.moveTo(left, y);
    for (int i = 1; i < kSlots; ++i) {
        const double next = levels[i] == '1' ? high : low;
        if (next != y) {
            path.lineTo(left + i * slot, y);
            path.lineTo(left + i * slot, next);
            y = next;
        }
    }
    path.lineTo(left + kSlots * slot, y);
    return path;
}

void DrawArrowHead(QPainter& painter, QPointF tip, double direction, double size) {
    const QPointF back(tip.x() - direction * size, tip.y());
    painter.drawLine(tip, back + QPointF(0, -size / 2));
    painter.drawLine(tip, back + QPointF(0, size / 2));
}

}  // namespace

void PaintTimingDiagram(QPainter& painter, const QRectF& area, int type) {
    painter.save();
    painter.fillRect(area, Qt::white);
    if (type < 0 || type >= kTimerTypes) {
        painter.restore();
        return;
    }
    const Waveform& wave = kWaveforms[static_cast<std::size_t>(type)];
    const QFontMetricsF metrics(painter.font());
    const QString names[] = {LoadText(TriggerText), LoadText(ResetText), LoadText(OutputText)};
    double labelWidth = 0;
    for (const QString& name : names) {
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(name));
    }
    const double margin = metrics.height() / 2;
    const double left = area.left() + margin + labelWidth + margin;
    const double slot = (area.right() - margin - left) / kSlots;
    // Three traces and one band for the set-time marks.
    const double band = (area.height() - 2 * margin) / 4;
    const double swing = std::min(band * 0.6, metrics.height() * 1.4);

    painter.setRenderHint(QPainter::Antialiasing, true);
    const std::string_view traces[] = {wave.trigger, wave.reset, wave.output};
    const QColor colours[] = {QColor(0, 90, 200), QColor(200, 60, 0), QColor(0, 140, 60)};
    for (int row = 0; row < 3; ++row) {
        const double low = area.top() + margin + band * (row + 1) - band * 0.2;
        const double high = low - swing;
        painter.setPen(Qt::black);
        painter.drawText(QRectF(area.left() + margin, high, labelWidth, low - high),
                         Qt::AlignLeft | Qt::AlignVCenter, names[row]);
        painter.setPen(QPen(QColor(210, 210, 210), 1, Qt::DotLine));
        painter.drawLine(QPointF(left, low), QPointF(left + kSlots * slot, low));
        painter.setPen(QPen(colours[row], 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.drawPath(TracePath(traces[row], left, slot, high, low));
    }

    const double markY = area.top() + margin + band * 3 + band * 0.25;
    const double top = area.top() + margin + band - band * 0.2 - swing;
    for (const Mark& mark : wave.marks) {
        if (mark.label == nullptr) {
            continue;
        }
        const double x1 = left + mark.from * slot;
        const double x2 = left + mark.to * slot;
        painter.setPen(QPen(Qt::gray, 1, Qt::DashLine));
        painter.drawLine(QPointF(x1, top), QPointF(x1, markY));
        painter.drawLine(QPointF(x2, top), QPointF(x2, markY));
        painter.setPen(QPen(Qt::black, 1));
        painter.drawLine(QPointF(x1, markY), QPointF(x2, markY));
        const double head = std::min(slot * 0.6, metrics.height() / 3);
        DrawArrowHead(painter, QPointF(x1, markY), -1, head);
        DrawArrowHead(painter, QPointF(x2, markY), 1, head);
        painter.drawText(QRectF(x1 - slot, markY, x2 - x1 + 2 * slot, metrics.height() * 1.2),
                         Qt::AlignHCenter | Qt::AlignTop, QString::fromLatin1(mark.label));
    }
    painter.restore();
}

TimingDiagram::TimingDiagram(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void TimingDiagram::setType(int type) {
    if (type != type_) {
        type_ = type;
        update();
    }
}

void TimingDiagram::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintTimingDiagram(painter, QRectF(rect()), type_);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

}  // namespace bdx
