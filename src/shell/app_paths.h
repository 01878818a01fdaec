#pragma once

#include <QString>

namespace bdx {

// Per-user product folder: $AppData when set, else the platform's per-user configuration
// folder, followed by the product sub-folders. Holds Config.ini and the undo folders.
QString ProductDataFolder();
QString SettingsFilePath();

}  // namespace bdx
