#include "quick_place_commands.h"

#include <QAction>

#include "editor/ladder_editor.h"
#include "ladder_view.h"
#include "ui/main/frm_main.h"

namespace bdx {

void InstallQuickPlaceCommands(frmMain& frame, LadderEditor& editor, LadderView& view) {
    editor.setWiringHelp(frame.windowSettings().wiringHelp());
    QAction* wiring = frame.registerCommand("mnuViewWiringHelp");
    wiring->setCheckable(true);
    wiring->setChecked(editor.WiringHelp());
    QObject::connect(wiring, &QAction::toggled, &editor, [&frame, &editor](bool on) {
        editor.setWiringHelp(on);
        frame.windowSettings().storeWiringHelp(on);
    });
    QObject::connect(&editor, &LadderEditor::placementNoted, &frame, &frmMain::showStatusMessage);
    QObject::connect(&view, &LadderView::statusMessage, &frame, &frmMain::showStatusMessage);
}

}  // namespace bdx
