#pragma once

#include <QRect>
#include <QSize>
#include <optional>

namespace bdx {

// The stored window values are in twips; the desktop works in device-independent pixels,
// which are 1/96 inch.
inline constexpr int kTwipsPerPixel = 15;
// Share of the screen's free area a first start takes.
inline constexpr double kFirstStartShare = 0.8;

// Where the main window opens. `storedTwips` is the stored place and size, none on a first start;
// `minimum` what the menu bar and toolbar need; `available` the screen's free area. A stored
// window keeps its place and size, but never opens smaller than `minimum` or larger than the
// screen, and one left where no screen is comes back centred. A first start, or a stored size
// too small or too large to be meant, takes a share of the screen, centred.
QRect MainWindowGeometry(const std::optional<QRect>& storedTwips, QSize minimum, const QRect& available);

}  // namespace bdx
