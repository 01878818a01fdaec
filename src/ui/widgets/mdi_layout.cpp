#include "mdi_layout.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace bdx {

void TileSubWindows(QMdiArea& area, Qt::Orientation orientation) {
    area.setViewMode(QMdiArea::SubWindowView);
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : area.subWindowList()) {
        if (window->isVisible() && !window->isMinimized()) {
            windows << window;
        }
    }
    const QRect free = area.viewport()->rect();
    const int count = static_cast<int>(windows.size());
    for (int i = 0; i < count; ++i) {
        windows[i]->showNormal();
        if (orientation == Qt::Horizontal) {
            // One above the other, each the full width.
            const int height = free.height() / count;
            windows[i]->setGeometry(0, i * height, free.width(), height);
        } else {
            const int width = free.width() / count;
            windows[i]->setGeometry(i * width, 0, width, free.height());
        }
    }
}

void ArrangeIcons(QMdiArea& area) {
    area.setViewMode(QMdiArea::SubWindowView);
    const QRect free = area.viewport()->rect();
    int x = 0;
    for (QMdiSubWindow* window : area.subWindowList()) {
        if (window->isMinimized()) {
            const QSize size = window->size();
            window->move(x, free.height() - size.height());
            x += size.width();
        }
    }
}

}  // namespace bdx
