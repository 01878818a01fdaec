#include "ladder_painter.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace bdx {

namespace {

// Widths of a junction cell and of the coil position, in contact-position widths.
constexpr double kJunctionUnits = 0.45;
constexpr double kCoilUnits = 1.3;
constexpr double kLadderUnits = kContactColumns * (1 + kJunctionUnits) + kCoilUnits;
// Below this the comment column is dropped in favour of the ladder.
constexpr double kMinCommentWidth = 90;

QFont MakeFont(int pixelSize, QFont::Weight weight = QFont::Normal) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(pixelSize, 6));
    font.setWeight(weight);
    font.setStyleStrategy(QFont::PreferAntialias);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

int Pixels(double value, int low, int high) {
    return std::clamp(static_cast<int>(std::lround(value)), low, high);
}

}  // namespace

LadderLayout::LadderLayout(QSizeF size, double zoom) : size_(size) {
    const double width = std::max(size.width(), 1.0);
    const double height = std::max(size.height(), 1.0);
    rowHeight_ = height / kShownLines * std::clamp(zoom, 0.25, 4.0);
    const double h = rowHeight_;

    numberFont_ = MakeFont(Pixels(h * 0.3, 8, 17));
    gutterWidth_ =
        QFontMetricsF(numberFont_).horizontalAdvance(QStringLiteral("250")) + numberFont_.pixelSize() * 1.6;
    const double pad = std::clamp(h * 0.35, 6.0, 18.0);
    const double available = std::max(width - gutterWidth_ - 2 * pad, kLadderUnits * 4);

    // Positions grow with the lines but not without limit; the rest goes to the comments.
    double contact = std::min(h * 2.3, available * 0.74 / kLadderUnits);
    double comment = available - contact * kLadderUnits - pad;
    if (comment < kMinCommentWidth) {
        comment = 0;
        contact = available / kLadderUnits;
    }
    contactWidth_ = contact;
    junctionWidth_ = contact * kJunctionUnits;
    coilWidth_ = contact * kCoilUnits;
    for (int column = 0; column < kContactColumns; ++column) {
        contactLeft_[column] = gutterWidth_ + pad + column * (contactWidth_ + junctionWidth_);
    }
    coilLeft_ = contactLeft_[kContactColumns - 1] + contactWidth_ + junctionWidth_;
    commentLeft_ = coilLeft_ + coilWidth_ + pad;
    commentWidth_ = comment > 0 ? std::max(0.0, width - commentLeft_) : 0;

    const int label = Pixels(std::min(h * 0.24, contact * 0.15), 8, 20);
    labelFont_ = MakeFont(label, QFont::DemiBold);
    smallFont_ = MakeFont(Pixels(label * 0.78, 7, 17));
    commentFont_ = MakeFont(Pixels(h * 0.27, 8, 15));
}

int LadderLayout::shownRows() const {
    // A hair of tolerance: at the normal size the rows fill the height exactly.
    return std::max(1, static_cast<int>(std::floor(size_.height() / rowHeight_ + 1e-6)));
}

int LadderLayout::paintedRows() const {
    return std::max(1, static_cast<int>(std::ceil(size_.height() / rowHeight_ - 1e-6)));
}

QRectF LadderLayout::rowRect(int row) const {
    return QRectF(0, row * rowHeight_, size_.width(), rowHeight_);
}

QRectF LadderLayout::lineNumberRect(int row) const {
    return QRectF(0, row * rowHeight_, gutterWidth_, rowHeight_);
}

QRectF LadderLayout::contactRect(int row, int column) const {
    return QRectF(contactLeft_[column], row * rowHeight_, contactWidth_, rowHeight_);
}

QRectF LadderLayout::junctionRect(int row, int column) const {
    return QRectF(contactLeft_[column] + contactWidth_, row * rowHeight_, junctionWidth_, rowHeight_);
}

QRectF LadderLayout::coilRect(int row) const {
    return QRectF(coilLeft_, row * rowHeight_, coilWidth_, rowHeight_);
}

QRectF LadderLayout::commentRect(int row) const {
    if (commentWidth_ <= 0) {
        return QRectF();
    }
    return QRectF(commentLeft_, row * rowHeight_, commentWidth_, rowHeight_);
}

QRectF LadderLayout::cellRect(int row, const GridPosition& position) const {
    switch (position.kind) {
        case SelectionKinds::Junction:
            return junctionRect(row, position.column);
        case SelectionKinds::Coil:
            return coilRect(row);
        default:
            return contactRect(row, position.column);
    }
}

LadderHit HitTest(const LadderLayout& layout, int topLine, QPointF point) {
    LadderHit hit;
    if (point.x() < 0 || point.y() < 0 || point.x() >= layout.size().width() ||
        point.y() >= layout.size().height()) {
        return hit;
    }
    const int row = std::min(static_cast<int>(point.y() / layout.rowHeight()), layout.paintedRows() - 1);
    const int line = topLine + row;
    if (line < 0 || line >= kLadderLines) {
        return hit;
    }
    hit.line = line;
    auto inside = [&](const QRectF& rect, const GridPosition& position) {
        if (!rect.contains(point)) {
            return false;
        }
        hit.zone = LadderHit::Zone::Cell;
        hit.position = position;
        hit.relative =
            QPointF((point.x() - rect.left()) / rect.width(), (point.y() - rect.top()) / rect.height());
        return true;
    };
    for (int column = 0; column < kContactColumns; ++column) {
        if (inside(layout.contactRect(row, column), {SelectionKinds::Contact, line, column}) ||
            inside(layout.junctionRect(row, column), {SelectionKinds::Junction, line, column})) {
            return hit;
        }
    }
    if (inside(layout.coilRect(row), {SelectionKinds::Coil, line, 0})) {
        return hit;
    }
    if (layout.lineNumberRect(row).contains(point)) {
        hit.zone = LadderHit::Zone::LineNumber;
    } else if (layout.commentRect(row).contains(point)) {
        hit.zone = LadderHit::Zone::Comment;
    }
    return hit;
}


}  // namespace bdx
