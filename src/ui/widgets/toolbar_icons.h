#pragma once

#include <QIcon>
#include <QString>

namespace bdx {

// The toolbar's icon for a button key ("New", "Open", ..., "Print"), drawn rather than shipped:
// crisp at any scale, no image files. An unknown key gives an empty picture.
QIcon ToolbarIcon(const QString& key);

}  // namespace bdx
