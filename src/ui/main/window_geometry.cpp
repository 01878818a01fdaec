#include "window_geometry.h"

#include <algorithm>

namespace bdx {

namespace {

QRect centred(QSize size, const QRect& available) {
    QRect rect(QPoint(0, 0), size);
    rect.moveCenter(available.center());
    return rect;
}

}  // namespace

QRect MainWindowGeometry(const std::optional<QRect>& storedTwips, QSize minimum, const QRect& available) {
    minimum = minimum.boundedTo(available.size());
    constexpr int kSmallest = 200 * kTwipsPerPixel;
    constexpr int kLargest = 100000;
    const bool meant = storedTwips && storedTwips->width() >= kSmallest &&
                       storedTwips->height() >= kSmallest && storedTwips->width() <= kLargest &&
                       storedTwips->height() <= kLargest;
    if (!meant) {
        const QSize share(qRound(available.width() * kFirstStartShare),
                          qRound(available.height() * kFirstStartShare));
        return centred(share.expandedTo(minimum), available);
    }
    const auto pixels = [](int twips) { return qRound(twips / double(kTwipsPerPixel)); };
    const QSize size = QSize(pixels(storedTwips->width()), pixels(storedTwips->height()))
                           .expandedTo(minimum)
                           .boundedTo(available.size());
    const QRect rect(QPoint(pixels(storedTwips->x()), pixels(storedTwips->y())), size);
    // The title bar must be reachable: a window whose top strip lies off the screen comes back.
    const QRect titleStrip(rect.topLeft(), QSize(rect.width(), 40));
    return available.intersects(titleStrip) ? rect : centred(size, available);
}

}  // namespace bdx
