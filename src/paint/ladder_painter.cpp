#include "ladder_painter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "check/compiled_network.h"
#include "ladder/grid.h"
#include "sim/scan_engine.h"

namespace bdx {

namespace {

// Calm slate palette; the three position colours are the editor's documented normal colours.
const QColor kCanvas(0xf3, 0xf4, 0xf6);
const QColor kGutter(0xe8, 0xeb, 0xef);
const QColor kGutterText(0x6b, 0x72, 0x80);
const QColor kContactCell(255, 255, 255);
const QColor kJunctionCell(224, 224, 224);
const QColor kCoilCell(192, 255, 255);
const QColor kCellEdge(0xd4, 0xd8, 0xde);
const QColor kWire(0x3a, 0x45, 0x55);
const QColor kInk(0x11, 0x18, 0x27);
const QColor kMuted(0x6b, 0x72, 0x80);
const QColor kAccent(0x25, 0x63, 0xeb);
const QColor kSelectionFill(0xd6, 0xe6, 0xff);
const QColor kUnfocusedEdge(0x8a, 0x9b, 0xb4);
const QColor kLive(0x15, 0x9b, 0x48);
const QColor kLiveFill(0xcf, 0xf5, 0xdc);
const QColor kFault(0xd9, 0x36, 0x2b);
const QColor kCommentBackground(0xfb, 0xfb, 0xfc);

// Direction bits of a junction word; anything that is not a junction reads as no connection.
int JunctionBits(std::uint16_t word) {
    return word >= JunctionBase && word < JunctionBase + 16 ? word - JunctionBase : 0;
}

int BitCount(int bits) {
    return (bits & 1) + ((bits >> 1) & 1) + ((bits >> 2) & 1) + ((bits >> 3) & 1);
}

// The horizontal wire of a row runs a little below its middle, leaving room for the label.
double WireY(const QRectF& cell) {
    return cell.top() + cell.height() * 0.56;
}

bool IsRelayLetter(std::uint16_t letter) {
    return letter == 'Q' || letter == 'U' || letter == 'V' || letter == 'W' || letter == 'M';
}

QString ElementText(const Program& program, const GridPosition& position) {
    if (position.kind == SelectionKinds::Coil) {
        const std::uint16_t letter = program.word(position.line, kCoilLetterWord);
        return IsCoilLetter(letter) ? ElementLabel(letter, program.word(position.line, kCoilNumberWord))
                                    : QString();
    }
    if (position.kind != SelectionKinds::Contact) {
        return QString();
    }
    const int codeWord = kContactWord[position.column];
    const std::uint16_t code = program.word(position.line, codeWord);
    return IsContactCode(code) ? ElementLabel(code, program.word(position.line, codeWord + kNumberWordOffset))
                               : QString();
}

QString OperandCommentOf(const Program& program, std::uint16_t code, std::uint16_t numberWord) {
    const std::optional<Operand> kind = OperandForCode(code);
    if (!kind) {
        return QString();
    }
    const int index = DecodeOperandNumber(numberWord);
    if (index < 0 || index >= operandInfo(*kind).count) {
        return QString();
    }
    return program.comment(*kind, index);
}

// Where the parts of an element sit in its cell, for drawing and for the label hit test.
struct ElementGeometry {
    QRectF symbol;   // the contact or coil symbol (device style: the whole chip)
    QRectF label;    // the operand text
    QRectF comment;  // the operand comment under the symbol; empty when there is no room
    double wireY = 0;
};

ElementGeometry Geometry(const LadderLayout& layout, DisplayStyle style, const QRectF& cell, bool coil,
                         const QString& label, const QString& mark) {
    ElementGeometry g;
    const double h = layout.rowHeight();
    g.wireY = WireY(cell);
    const double cx = cell.center().x();
    const QFontMetricsF fm(layout.labelFont());
    const double textWidth = fm.horizontalAdvance(label);
    const double textHeight = fm.height();
    if (style == DisplayStyle::Device) {
        const double pad = layout.labelFont().pixelSize() * 0.45;
        double width = textWidth + 2 * pad;
        if (coil) {
            width += QFontMetricsF(layout.smallFont()).horizontalAdvance(mark) + 2 * pad;
        }
        width = std::min(width, cell.width() - 4);
        const double height = std::min(textHeight + pad * 0.8, h * 0.8);
        g.symbol = QRectF(cx - width / 2, g.wireY - height / 2, width, height);
        g.label =
            coil ? QRectF(g.symbol.right() - textWidth - 2 * pad, g.symbol.top(), textWidth + 2 * pad, height)
                 : g.symbol;
        return g;
    }
    const double symbolHeight = std::min(h * 0.32, cell.width() * 0.4);
    double symbolWidth = 0;
    if (coil) {
        symbolWidth = style == DisplayStyle::Plc ? symbolHeight * 1.25 : symbolHeight * 1.5;
        symbolWidth = std::max(symbolWidth, QFontMetricsF(layout.smallFont()).horizontalAdvance(mark) +
                                                symbolHeight * (style == DisplayStyle::Plc ? 0.75 : 0.4));
    } else {
        symbolWidth = style == DisplayStyle::Plc ? symbolHeight * 0.75 : symbolHeight * 1.15;
    }
    g.symbol = QRectF(cx - symbolWidth / 2, g.wireY - symbolHeight / 2, symbolWidth, symbolHeight);
    const double labelWidth = std::min(textWidth + 4, cell.width());
    g.label = QRectF(cx - labelWidth / 2, g.symbol.top() - textHeight - h * 0.02, labelWidth, textHeight);
    const double commentHeight = QFontMetricsF(layout.smallFont()).height();
    if (cell.bottom() - g.symbol.bottom() >= commentHeight + 1) {
        g.comment = QRectF(cell.left() + 3, g.symbol.bottom() + 1, cell.width() - 6, commentHeight);
    }
    return g;
}

class Painter {
  public:
    Painter(QPainter& painter, const LadderLayout& layout, const LadderScene& scene)
        : p_(painter), layout_(layout), scene_(scene), program_(*scene.program) {
        const double h = layout.rowHeight();
        wireWidth_ = std::clamp(std::round(h * 0.07) / 2, 1.0, 2.5);
    }

    void paint() {
        p_.fillRect(QRectF(QPointF(0, 0), layout_.size()), scene_.paper ? QColor(Qt::white) : kCanvas);
        for (int row = 0; row < scene_.rowCount; ++row) {
            if (scene_.topLine + row < kLadderLines) {
                paintRowBackground(row);
            }
        }
        paintRails();
        for (int row = 0; row < scene_.rowCount; ++row) {
            const int line = scene_.topLine + row;
            if (line >= kLadderLines) {
                continue;
            }
            for (int column = 0; column < kContactColumns; ++column) {
                paintContact(row, column);
                paintJunction(row, column);
            }
            paintCoil(row);
            paintComment(row);
        }
        paintLineSelection();
    }

  private:
    const LiveLine* live(int line) const { return scene_.live ? &scene_.live->lines[line] : nullptr; }

    QPen wirePen(bool powered) const {
        QPen pen(powered ? kLive : kWire, powered ? wireWidth_ * 1.6 : wireWidth_);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        return pen;
    }

    QPen symbolPen(const QColor& color, double factor = 1.0) const {
        QPen pen(color, wireWidth_ * factor);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        return pen;
    }

    // A line that belongs to the line selection.
    bool lineChosen(int line) const {
        if (!scene_.lineSelected) {
            return false;
        }
        if (scene_.lineRangeFirst < 0) {
            return line == scene_.selection.line;
        }
        return line >= scene_.lineRangeFirst && line <= scene_.lineRangeLast;
    }

    bool isSelected(const GridPosition& position) const {
        if (scene_.lineSelected || scene_.selection.kind != position.kind ||
            scene_.selection.line != position.line) {
            return false;
        }
        return position.kind == SelectionKinds::Coil || scene_.selection.column == position.column;
    }

    // Cells are snapped to whole pixels so their edges stay sharp at every scale.
    static QRectF Snapped(const QRectF& rect) {
        return QRectF(QPointF(std::round(rect.left()), std::round(rect.top())),
                      QPointF(std::round(rect.right()), std::round(rect.bottom())));
    }

    void paintCell(const QRectF& rect, const QColor& normal, bool selected) {
        if (scene_.paper) {
            return;
        }
        const QRectF tile = Snapped(rect).adjusted(0, 1, -1, 0);
        p_.setRenderHint(QPainter::Antialiasing, false);
        p_.fillRect(tile, selected ? kSelectionFill : normal);
        p_.setRenderHint(QPainter::Antialiasing, true);
        if (selected) {
            QPen pen(scene_.focused ? kAccent : kUnfocusedEdge, 2);
            pen.setJoinStyle(Qt::MiterJoin);
            p_.setPen(pen);
            p_.setBrush(Qt::NoBrush);
            p_.drawRect(tile.adjusted(1, 1, -1, -1));
        }
    }

    void paintRowBackground(int row) {
        const int line = scene_.topLine + row;
        // Line number gutter.
        const QRectF numberRect = layout_.lineNumberRect(row);
        if (!scene_.paper) {
            p_.fillRect(Snapped(numberRect), kGutter);
        }
        const bool lineOfSelection = scene_.selection.line == line;
        QFont numberFont = layout_.numberFont();
        if (lineChosen(line)) {
            const QRectF pill =
                numberRect.adjusted(3, numberRect.height() * 0.22, -3, -numberRect.height() * 0.22);
            p_.setRenderHint(QPainter::Antialiasing, true);
            p_.setPen(Qt::NoPen);
            p_.setBrush(scene_.focused ? kAccent : kUnfocusedEdge);
            p_.drawRoundedRect(pill, pill.height() / 2, pill.height() / 2);
            p_.setPen(Qt::white);
            numberFont.setWeight(QFont::Bold);
        } else {
            p_.setPen(lineOfSelection ? kAccent : kGutterText);
            if (lineOfSelection) {
                numberFont.setWeight(QFont::Bold);
            }
        }
        p_.setFont(numberFont);
        const double inset = layout_.numberFont().pixelSize() * 0.7;
        p_.drawText(numberRect.adjusted(0, 0, -inset, 0), Qt::AlignRight | Qt::AlignVCenter,
                    QString::number(line + 1));

        for (int column = 0; column < kContactColumns; ++column) {
            paintCell(layout_.contactRect(row, column), kContactCell,
                      isSelected({SelectionKinds::Contact, line, column}));
            paintCell(layout_.junctionRect(row, column), kJunctionCell,
                      isSelected({SelectionKinds::Junction, line, column}));
        }
        paintCell(layout_.coilRect(row), kCoilCell, isSelected({SelectionKinds::Coil, line, 0}));

        const QRectF comment = layout_.commentRect(row);
        if (!comment.isEmpty()) {
            const QRectF tile = Snapped(comment).adjusted(0, 1, 0, 0);
            p_.setRenderHint(QPainter::Antialiasing, false);
            p_.fillRect(tile, scene_.paper ? QColor(Qt::white) : kCommentBackground);
            p_.setPen(kCellEdge);
            p_.drawLine(tile.topLeft(), tile.bottomLeft());
            p_.setRenderHint(QPainter::Antialiasing, true);
        }
    }

    void paintRails() {
        const double bottom =
            std::min<double>(kLadderLines - scene_.topLine, scene_.rowCount) * layout_.rowHeight();
        QPen rail(scene_.live ? kLive : kWire, wireWidth_ * 2.2);
        rail.setCapStyle(Qt::FlatCap);
        p_.setPen(rail);
        p_.drawLine(QPointF(layout_.leftRailX(), 0), QPointF(layout_.leftRailX(), bottom));
        QPen right(kWire, wireWidth_ * 1.2);
        right.setCapStyle(Qt::FlatCap);
        p_.setPen(right);
        p_.drawLine(QPointF(layout_.rightRailX(), 0), QPointF(layout_.rightRailX(), bottom));
    }

    void paintContact(int row, int column) {
        const int line = scene_.topLine + row;
        const int codeWord = kContactWord[column];
        const std::uint16_t code = program_.word(line, codeWord);
        const std::uint16_t number = program_.word(line, codeWord + kNumberWordOffset);
        const QRectF cell = layout_.contactRect(row, column);
        const LiveLine* state = live(line);
        const bool fed = state && state->fed[column];
        const bool out = state && state->output[column];
        if (code == CellWire) {
            wire(cell.left(), WireY(cell), cell.right(), fed);
            return;
        }
        if (!IsContactCode(code)) {
            return;
        }
        const bool closed = IsNormallyClosedCode(code);
        const bool conducting = state && state->conducting[column];
        const QString label = ElementLabel(code, number);
        const ElementGeometry g = Geometry(layout_, scene_.style, cell, false, label, QString());
        wire(cell.left(), g.wireY, g.symbol.left(), fed);
        wire(g.symbol.right(), g.wireY, cell.right(), out);

        switch (scene_.style) {
            case DisplayStyle::Device:
                paintChip(g.symbol, label, QString(), conducting, false);
                break;
            case DisplayStyle::Plc:
                paintPlcContact(g.symbol, closed, conducting);
                break;
            case DisplayStyle::Electrical:
                paintElectricalContact(g.symbol, g.wireY, closed, conducting);
                break;
        }
        if (scene_.style != DisplayStyle::Device) {
            paintLabel(g, label, OperandCommentOf(program_, code, number), conducting);
        }
    }

    // A horizontal wire piece.
    void wire(double x1, double y, double x2, bool powered) {
        if (x2 > x1) {
            p_.setPen(wirePen(powered));
            p_.drawLine(QPointF(x1, y), QPointF(x2, y));
        }
    }

    void paintLabel(const ElementGeometry& g, const QString& label, const QString& comment, bool on) {
        p_.setFont(layout_.labelFont());
        p_.setPen(on ? kLive : kInk);
        const QFontMetricsF fm(layout_.labelFont());
        p_.drawText(g.label, Qt::AlignCenter, fm.elidedText(label, Qt::ElideRight, g.label.width()));
        if (!g.comment.isEmpty() && !comment.isEmpty()) {
            const QFontMetricsF small(layout_.smallFont());
            p_.setFont(layout_.smallFont());
            p_.setPen(kMuted);
            const QString firstLine = comment.section(QLatin1Char('\n'), 0, 0).trimmed();
            p_.drawText(g.comment, Qt::AlignHCenter | Qt::AlignTop,
                        small.elidedText(firstLine, Qt::ElideRight, g.comment.width()));
        }
    }

    // Device style: the operand in a small rounded cell, a coil with its function in front.
    void paintChip(const QRectF& chip, const QString& label, const QString& mark, bool on, bool coil) {
        const double radius = std::min(chip.height() * 0.22, 4.0);
        p_.setPen(symbolPen(on ? kLive : kWire, 0.8));
        p_.setBrush(on && !coil ? kLive : QColor(Qt::white));
        p_.drawRoundedRect(chip, radius, radius);
        QRectF textRect = chip;
        if (coil) {
            const double pad = layout_.labelFont().pixelSize() * 0.45;
            const double markWidth = QFontMetricsF(layout_.smallFont()).horizontalAdvance(mark) + 2 * pad;
            QRectF badge(chip.left(), chip.top(), markWidth, chip.height());
            QPainterPath path;
            path.addRoundedRect(chip, radius, radius);
            p_.save();
            p_.setClipPath(path);
            p_.fillRect(badge, on ? kLive : kWire);
            p_.restore();
            p_.setFont(layout_.smallFont());
            p_.setPen(Qt::white);
            p_.drawText(badge, Qt::AlignCenter, mark);
            textRect.setLeft(badge.right());
        }
        p_.setFont(layout_.labelFont());
        p_.setPen(on && !coil ? QColor(Qt::white) : kInk);
        p_.drawText(textRect, Qt::AlignCenter, label);
    }

    // IEC 61131-3: -| |- and -|/|-.
    void paintPlcContact(const QRectF& s, bool closed, bool on) {
        if (on) {
            p_.fillRect(s.adjusted(0, 1, 0, -1), kLiveFill);
        }
        const QColor color = on ? kLive : kInk;
        p_.setPen(symbolPen(color, 1.4));
        p_.drawLine(QPointF(s.left(), s.top()), QPointF(s.left(), s.bottom()));
        p_.drawLine(QPointF(s.right(), s.top()), QPointF(s.right(), s.bottom()));
        if (closed) {
            p_.setPen(symbolPen(color, 1.1));
            const double dx = s.width() * 0.18, dy = s.height() * 0.12;
            p_.drawLine(QPointF(s.left() + dx, s.bottom() - dy), QPointF(s.right() - dx, s.top() + dy));
        }
    }

    // IEC 60617: the moving blade swings up off the right terminal when open at rest, and down
    // onto a stop on the right terminal when closed at rest.
    void paintElectricalContact(const QRectF& s, double y, bool closed, bool on) {
        const QColor color = on ? kLive : kInk;
        p_.setPen(symbolPen(color, 1.2));
        const double rise = s.height() * 0.55;
        if (on) {
            // Conducting: the blade lies on the terminal line.
            p_.drawLine(QPointF(s.left(), y), QPointF(s.right(), y));
            p_.setBrush(color);
            p_.setPen(Qt::NoPen);
            const double r = wireWidth_ * 1.3;
            p_.drawEllipse(QPointF(s.left(), y), r, r);
            p_.drawEllipse(QPointF(s.right(), y), r, r);
            if (closed) {
                p_.setPen(symbolPen(color, 1.2));
                p_.drawLine(QPointF(s.right(), y), QPointF(s.right(), y + rise * 0.6));
            }
            return;
        }
        if (closed) {
            p_.drawLine(QPointF(s.right(), y), QPointF(s.right(), y + rise * 0.75));
            p_.drawLine(QPointF(s.left(), y), QPointF(s.right() + s.width() * 0.12, y + rise * 0.9));
        } else {
            p_.drawLine(QPointF(s.left(), y), QPointF(s.right() + s.width() * 0.08, y - rise));
        }
    }

    void paintJunction(int row, int column) {
        const int line = scene_.topLine + row;
        const std::uint16_t word = program_.word(line, kContactWord[column] + kJunctionWordOffset);
        const int bits = JunctionBits(word);
        if (bits == 0) {
            return;
        }
        const QRectF cell = layout_.junctionRect(row, column);
        const double cx = cell.center().x();
        const double cy = WireY(cell);
        const LiveLine* state = live(line);
        const bool powered = state && state->node[column];
        if (BitCount(bits) == 1) {
            // A connection that leads nowhere: the rule check reports it, the drawing shows it.
            QPen pen(kFault, wireWidth_);
            pen.setCapStyle(Qt::RoundCap);
            p_.setPen(pen);
            if (bits & JunctionLeft) {
                p_.drawLine(QPointF(cell.left(), cy), QPointF(cx, cy));
            } else if (bits & JunctionRight) {
                p_.drawLine(QPointF(cx, cy), QPointF(cell.right(), cy));
            } else if (bits & JunctionUp) {
                p_.drawLine(QPointF(cx, cell.top()), QPointF(cx, cy));
            } else {
                p_.drawLine(QPointF(cx, cy), QPointF(cx, cell.bottom()));
            }
            p_.setBrush(Qt::white);
            const double r = std::max(2.5, wireWidth_ * 1.8);
            p_.drawEllipse(QPointF(cx, cy), r, r);
            return;
        }
        QPainterPath path;
        auto segment = [&](QPointF a, QPointF b) {
            path.moveTo(a);
            path.lineTo(b);
        };
        if (bits & JunctionLeft) {
            segment(QPointF(cell.left(), cy), QPointF(cx, cy));
        }
        if (bits & JunctionRight) {
            segment(QPointF(cx, cy), QPointF(cell.right(), cy));
        }
        if (bits & JunctionUp) {
            segment(QPointF(cx, cell.top()), QPointF(cx, cy));
        }
        if (bits & JunctionDown) {
            segment(QPointF(cx, cy), QPointF(cx, cell.bottom()));
        }
        p_.setBrush(Qt::NoBrush);
        QPen pen = wirePen(powered);
        pen.setCapStyle(Qt::FlatCap);
        p_.setPen(pen);
        p_.drawPath(path);
        if (BitCount(bits) >= 3) {
            p_.setPen(Qt::NoPen);
            p_.setBrush(powered ? kLive : kWire);
            const double r = pen.widthF() * 1.6;
            p_.drawEllipse(QPointF(cx, cy), r, r);
        } else {
            // Round off the corner of a bend.
            p_.setPen(Qt::NoPen);
            p_.setBrush(powered ? kLive : kWire);
            const double r = pen.widthF() / 2;
            p_.drawEllipse(QPointF(cx, cy), r, r);
        }
    }

    void paintCoil(int row) {
        const int line = scene_.topLine + row;
        const std::uint16_t letter = program_.word(line, kCoilLetterWord);
        if (!IsCoilLetter(letter)) {
            return;
        }
        const std::uint16_t function = program_.word(line, kCoilFunctionWord);
        const std::uint16_t number = program_.word(line, kCoilNumberWord);
        const QRectF cell = layout_.coilRect(row);
        const LiveLine* state = live(line);
        const bool fed = state && state->coilFed;
        const bool on = state && state->coilOn;
        const QString label = ElementLabel(letter, number);
        const QString mark = CoilFunctionMark(function, letter);
        const ElementGeometry g = Geometry(layout_, scene_.style, cell, true, label, mark);
        wire(cell.left(), g.wireY, g.symbol.left(), fed);
        wire(g.symbol.right(), g.wireY, cell.right(), false);

        switch (scene_.style) {
            case DisplayStyle::Device:
                paintChip(g.symbol, label, mark.isEmpty() ? QStringLiteral("?") : mark, on, true);
                break;
            case DisplayStyle::Plc:
                paintPlcCoil(g.symbol, function == CoilContactor && IsRelayLetter(letter) ? QString() : mark,
                             on);
                break;
            case DisplayStyle::Electrical:
                paintElectricalCoil(
                    g.symbol, function == CoilContactor && IsRelayLetter(letter) ? QString() : mark, on);
                break;
        }
        if (scene_.style != DisplayStyle::Device) {
            paintLabel(g, label, OperandCommentOf(program_, letter, number), on);
        }
    }

    void paintCoilMark(const QRectF& s, const QString& mark, bool on) {
        if (mark.isEmpty()) {
            return;
        }
        p_.setFont(layout_.smallFont());
        p_.setPen(on ? kLive : kInk);
        p_.drawText(s, Qt::AlignCenter, mark);
    }

    // IEC 61131-3: -( )-, -(S)-, -(R)-, -(P)- and the retentive -(SM)- forms.
    void paintPlcCoil(const QRectF& s, const QString& mark, bool on) {
        const QColor color = on ? kLive : kInk;
        if (on) {
            p_.setPen(Qt::NoPen);
            p_.setBrush(kLiveFill);
            p_.drawRoundedRect(s, s.height() / 2, s.height() / 2);
        }
        p_.setPen(symbolPen(color, 1.3));
        p_.setBrush(Qt::NoBrush);
        const double arcWidth = s.height() * 0.7;
        const QRectF left(s.left(), s.top(), arcWidth, s.height());
        const QRectF right(s.right() - arcWidth, s.top(), arcWidth, s.height());
        p_.drawArc(left, 100 * 16, 160 * 16);
        p_.drawArc(right, -80 * 16, 160 * 16);
        paintCoilMark(s, mark, on);
    }

    // IEC 60617: the relay coil as a rectangle, its function written inside.
    void paintElectricalCoil(const QRectF& s, const QString& mark, bool on) {
        p_.setPen(symbolPen(on ? kLive : kInk, 1.2));
        p_.setBrush(on ? kLiveFill : QColor(Qt::white));
        p_.drawRect(s);
        paintCoilMark(s, mark, on);
    }

    void paintComment(int row) {
        const QRectF rect = layout_.commentRect(row);
        if (rect.isEmpty()) {
            return;
        }
        const QString comment = program_.LineComments[scene_.topLine + row];
        if (comment.trimmed().isEmpty()) {
            return;
        }
        const QFont font = layout_.commentFont();
        const QFontMetricsF fm(font);
        const double pad = font.pixelSize() * 0.8;
        const QRectF textRect = rect.adjusted(pad, 0, -pad * 0.5, 0);
        p_.setFont(font);
        p_.setPen(kMuted);
        if (scene_.paper) {
            paintWrappedComment(textRect, comment);
            return;
        }
        QString text = comment.section(QLatin1Char('\n'), 0, 0).trimmed();
        text.remove(QLatin1Char('\r'));
        if (comment.trimmed().contains(QLatin1Char('\n'))) {
            text += QStringLiteral(" …");
        }
        p_.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                    fm.elidedText(text, Qt::ElideRight, textRect.width()));
    }

    // On paper there is no tooltip to read the rest: the whole comment is printed, wrapped to
    // the rows that fit and elided only in the last of them.
    void paintWrappedComment(const QRectF& rect, const QString& comment) {
        QString text = comment.trimmed();
        text.remove(QLatin1Char('\r'));
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        const QFontMetricsF fm(p_.font());
        const int maxLines = std::max(1, static_cast<int>(rect.height() / fm.lineSpacing()));
        QStringList lines;
        QString rest = text;
        while (!rest.isEmpty() && lines.size() < maxLines) {
            if (lines.size() == maxLines - 1 || fm.horizontalAdvance(rest) <= rect.width()) {
                lines << fm.elidedText(rest, Qt::ElideRight, rect.width());
                break;
            }
            // The longest run of whole words that fits; a single long word is cut.
            qsizetype cut = rest.size();
            while (cut > 1 && fm.horizontalAdvance(rest.left(cut)) > rect.width()) {
                const qsizetype space = rest.lastIndexOf(QLatin1Char(' '), cut - 1);
                cut = space > 0 ? space : cut - 1;
            }
            lines << rest.left(cut).trimmed();
            rest = rest.mid(cut).trimmed();
        }
        const double top = rect.center().y() - lines.size() * fm.lineSpacing() / 2;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            p_.drawText(QPointF(rect.left(), top + i * fm.lineSpacing() + fm.ascent()), lines[i]);
        }
    }

    void paintLineSelection() {
        if (!scene_.lineSelected) {
            return;
        }
        // One band around all selected lines in view.
        int firstRow = -1;
        int lastRow = -1;
        for (int row = 0; row < scene_.rowCount; ++row) {
            if (lineChosen(scene_.topLine + row)) {
                firstRow = firstRow < 0 ? row : firstRow;
                lastRow = row;
            }
        }
        if (firstRow < 0) {
            return;
        }
        QRectF band = Snapped(layout_.rowRect(firstRow).united(layout_.rowRect(lastRow))).adjusted(1, 1, -1, 0);
        QColor fill = kAccent;
        fill.setAlpha(28);
        p_.setPen(QPen(scene_.focused ? kAccent : kUnfocusedEdge, 2));
        p_.setBrush(fill);
        p_.drawRoundedRect(band.adjusted(1, 1, -1, -1), 3, 3);
    }

    QPainter& p_;
    const LadderLayout& layout_;
    const LadderScene& scene_;
    const Program& program_;
    double wireWidth_ = 1;
};

}  // namespace

void ComputeLivePower(const Program& program, const ScanEngine& engine, LivePower& power) {
    const CompiledNetwork& network = engine.network();
    const NetworkValues& values = engine.values();
    // The AND entry of each line's column-2 and column-3 element; their values are what the
    // engine computed, including the parallel group each one was wired to.
    std::array<std::int16_t, kLadderLines> and1Of;
    std::array<std::int16_t, kLadderLines> and2Of;
    and1Of.fill(-1);
    and2Of.fill(-1);
    auto index = [](const AndTable& table, std::array<std::int16_t, kLadderLines>& of) {
        const int count = std::min<int>(table.count, kMaxAndEntries);
        for (int k = 0; k < count; ++k) {
            const int line = table.entries[k].line;
            if (line < kLadderLines && of[line] < 0) {
                of[line] = static_cast<std::int16_t>(k);
            }
        }
    };
    index(network.and1, and1Of);
    index(network.and2, and2Of);
    auto orValue = [](const auto& vector, std::uint16_t group) {
        return group < vector.size() && vector[group] != 0;
    };

    for (int column = 0; column < kContactColumns; ++column) {
        const int codeWord = kContactWord[column];
        const int junctionWord = codeWord + kJunctionWordOffset;
        for (int line = 0; line < kLadderLines; ++line) {
            LiveLine& live = power.lines[line];
            const std::uint16_t code = program.word(line, codeWord);
            const std::uint16_t number = program.word(line, codeWord + kNumberWordOffset);
            live.conducting[column] =
                code == CellWire || (IsContactCode(code) && engine.signal(DevId(code, number)));
            const int k = column == 1 ? and1Of[line] : column == 2 ? and2Of[line] : -1;
            if (column == 0) {
                live.fed[column] = true;
            } else if (k >= 0) {
                const AndEntry& entry = (column == 1 ? network.and1 : network.and2).entries[k];
                live.fed[column] =
                    column == 1 ? orValue(values.or1, entry.orGroup) : orValue(values.or2, entry.orGroup);
            } else {
                live.fed[column] =
                    live.node[column - 1] &&
                    (JunctionBits(program.word(line, kContactWord[column - 1] + kJunctionWordOffset)) &
                     JunctionRight);
            }
            const bool element = code == CellWire || IsContactCode(code);
            if (!element) {
                live.output[column] = false;
            } else if (k >= 0) {
                live.output[column] = (column == 1 ? values.and1[k] : values.and2[k]) != 0;
            } else {
                live.output[column] = live.fed[column] && live.conducting[column];
            }
        }
        // A junction's connection point is shared by every line its vertical links join; it
        // carries power when any element feeding into it does.
        int line = 0;
        while (line < kLadderLines) {
            const int first = line;
            while (line + 1 < kLadderLines &&
                   (JunctionBits(program.word(line, junctionWord)) & JunctionDown) &&
                   (JunctionBits(program.word(line + 1, junctionWord)) & JunctionUp)) {
                ++line;
            }
            bool powered = false;
            for (int l = first; l <= line && !powered; ++l) {
                powered = (JunctionBits(program.word(l, junctionWord)) & JunctionLeft) &&
                          power.lines[l].output[column];
            }
            for (int l = first; l <= line; ++l) {
                power.lines[l].node[column] = powered;
            }
            ++line;
        }
    }
    const int lastJunction = kContactWord[kContactColumns - 1] + kJunctionWordOffset;
    for (int line = 0; line < kLadderLines; ++line) {
        LiveLine& live = power.lines[line];
        const std::uint16_t letter = program.word(line, kCoilLetterWord);
        live.coilFed = IsCoilLetter(letter) && live.node[kContactColumns - 1] &&
                       (JunctionBits(program.word(line, lastJunction)) & JunctionRight);
        if (IsRelayLetter(letter)) {
            live.coilOn =
                engine.operandValue(letter, DecodeOperandNumber(program.word(line, kCoilNumberWord)) + 1);
        } else {
            live.coilOn = live.coilFed;
        }
    }
}

QString CoilFunctionMark(std::uint16_t function, std::uint16_t letter) {
    switch (function) {
        case CoilContactor:
            return letter == 'X' ? QStringLiteral("T") : QStringLiteral("D");
        case CoilImpulse:
            return QStringLiteral("P");
        case CoilImpulseRetentive:
            return QStringLiteral("PM");
        case CoilSet:
            return QStringLiteral("S");
        case CoilSetRetentive:
            return QStringLiteral("SM");
        case CoilReset:
            return QStringLiteral("R");
        case CoilResetRetentive:
            return QStringLiteral("RM");
        case CoilTrigger:
            return QStringLiteral("T");
        case CoilCount:
            return QStringLiteral("C");
        case CoilDirection:
            return QStringLiteral("D");
        case CoilEnable:
            return QStringLiteral("E");
        case CoilResetAll:
            return QStringLiteral("A");
        default:
            return QString();
    }
}

QRectF LabelRect(const LadderLayout& layout, const LadderScene& scene, int row,
                 const GridPosition& position) {
    if (!scene.program || position.kind == SelectionKinds::Junction) {
        return QRectF();
    }
    const QString label = ElementText(*scene.program, position);
    if (label.isEmpty()) {
        return QRectF();
    }
    const bool coil = position.kind == SelectionKinds::Coil;
    const QString mark = coil ? CoilFunctionMark(scene.program->word(position.line, kCoilFunctionWord),
                                                 scene.program->word(position.line, kCoilLetterWord))
                              : QString();
    return Geometry(layout, scene.style, layout.cellRect(row, position), coil, label, mark).label;
}

void PaintLadder(QPainter& painter, const LadderLayout& layout, const LadderScene& scene) {
    if (!scene.program) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    Painter(painter, layout, scene).paint();
    painter.restore();
}

}  // namespace bdx
