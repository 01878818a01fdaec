#pragma once

#include <QString>

namespace bdx {

// Per-user data root: $AppData when set, else the platform's per-user configuration folder.
QString AppDataBase();

// Per-user product folder: $AppData when set, else the platform's per-user configuration
// folder, followed by the product sub-folders. Holds Config.ini and the undo folders.
QString ProductDataFolder();
QString SettingsFilePath();

// Where the application keeps its own files (the copy "def.txt" written at exit, the image
// scratch files). An installed program's own folder is not writable here, so this is the
// per-user product folder.
QString ApplicationFolder();

// The diagnostic dump of the last network compilation, "x.txt" in the application folder.
QString NetworkDumpPath();

// Root of the undo and redo folders: the product display name, then the product title.
QString UndoRootFolder();

}  // namespace bdx
