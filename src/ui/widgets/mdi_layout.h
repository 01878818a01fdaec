#pragma once

#include <Qt>

class QMdiArea;

namespace bdx {

// The shown, not minimised child windows side by side: one above the other for Qt::Horizontal
// (each the full width), else next to each other.
void TileSubWindows(QMdiArea& area, Qt::Orientation orientation);
// The minimised child windows in a row along the bottom edge.
void ArrangeIcons(QMdiArea& area);

}  // namespace bdx
