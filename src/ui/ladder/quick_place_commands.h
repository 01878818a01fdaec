#pragma once

namespace bdx {

class LadderEditor;
class LadderView;
class frmMain;

// View / Wiring Help (kept in the window settings) and the status bar notes of the faster ways
// to place: what a placement replaced or wired, and why typed text was refused.
void InstallQuickPlaceCommands(frmMain& frame, LadderEditor& editor, LadderView& view);

}  // namespace bdx
