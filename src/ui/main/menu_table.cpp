#include "menu_table.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <array>

#include "shell/language_table.h"
#include "ui/widgets/captions.h"
#include "ui/widgets/toolbar_icons.h"

namespace bdx {

namespace {

constexpr unsigned Off = RunModeOff;

// Commands without a controller of their own stay greyed: the frame marks them "Available in a
// later version".
constexpr std::array kRows = std::to_array<MenuRow>({
    {"", "mnuFile", 101, "", "", Submenu},
    {"mnuFile", "mnuFileNew", 102, "Ctrl+N", "New", Off},
    {"mnuFile", "mnuFileOpen", 103, "Ctrl+O", "Open", Off},
    {"mnuFile", "mnuFileSave", 104, "Ctrl+S", "Save", Off},
    {"mnuFile", "mnuFileSaveAs", 105, "Ctrl+Shift+S", "", Off},
    {"mnuFile", "mnuFileCompare", 8120, "", "", PlainCommand},
    {"mnuFile", "", 0, "", "", Separator},
    {"mnuFile", "mnuFilePrintFooter", 107, "", "", Off},
    {"mnuFile", "mnuFilePrintShort", 108, "", "", Off},
    {"mnuFile", "mnuFilePrintDetail", 109, "", "", Off},
    {"mnuFile", "mnuFilePrintParameters", 8049, "", "", Off},
    {"mnuFile", "mnuFilePrintComments", 8050, "", "", Off},
    {"mnuFile", "", 0, "", "", Separator},
    {"mnuFile", "mnuFileSend", 110, "", "", PlainCommand},
    {"mnuFile", "mnuFileFirmware", 8051, "", "", PlainCommand},
    {"mnuFile", "mnuFileRecent", 8475, "", "", Submenu},
    {"mnuFile", "", 0, "", "", Separator},
    {"mnuFile", "mnuFileExit", 114, "Ctrl+Q", "", PlainCommand},

    {"", "mnuEdit", 121, "", "", Submenu},
    {"mnuEdit", "mnuEditCut", 122, "Ctrl+X", "Cut", Off},
    {"mnuEdit", "mnuEditCopy", 123, "Ctrl+C", "Copy", PlainCommand},
    {"mnuEdit", "mnuEditPaste", 124, "Ctrl+V", "Paste", Off},
    {"mnuEdit", "", 0, "", "", Separator},
    // Undo and Redo follow the undo store; a running simulation switches them off too.
    {"mnuEdit", "mnuEditUndo", 125, "Ctrl+Z", "Undo", PlainCommand},
    {"mnuEdit", "mnuEditRedo", 126, "Ctrl+Y", "Redo", PlainCommand},
    {"mnuEdit", "", 0, "", "", Separator},
    {"mnuEdit", "mnuEditFind", 127, "Ctrl+F", "Find", PlainCommand},
    {"mnuEdit", "mnuEditProperties", 8048, "Alt+Return", "", PlainCommand},
    {"mnuEdit", "", 0, "", "", Separator},
    {"mnuEdit", "mnuEditNormallyOpen", 8043, "", "", Off},
    {"mnuEdit", "mnuEditNormallyClosed", 8044, "", "", Off},
    {"mnuEdit", "mnuEditRetentive", 4285, "", "", Off},
    {"mnuEdit", "mnuEditNonRetentive", 119, "", "", Off},
    {"mnuEdit", "", 0, "", "", Separator},
    {"mnuEdit", "mnuEditDelete", 8045, "Del", "", Off},
    {"mnuEdit", "mnuEditInsertLine", 8046, "Ins", "", Off},
    {"mnuEdit", "mnuEditDeleteLine", 8047, "Ctrl+Del", "", Off},

    {"", "mnuView", 141, "", "", Submenu},
    {"mnuView", "mnuViewProgramMode", 142, "", "", PlainCommand},
    {"mnuView", "mnuViewFullScreen", 143, "F11", "", PlainCommand},
    {"mnuView", "mnuViewZoomIn", 8476, "Ctrl++", "", PlainCommand},
    {"mnuView", "mnuViewZoomOut", 8477, "Ctrl+-", "", PlainCommand},
    {"mnuView", "mnuViewZoomNormal", 8478, "Ctrl+0", "", PlainCommand},
    {"mnuView", "", 0, "", "", Separator},
    {"mnuView", "mnuViewErrors", 144, "", "", Existing},
    {"mnuView", "mnuViewCrossReference", 8101, "", "", Existing},
    {"mnuView", "mnuViewFunctionToolbox", 145, "", "", Existing},
    {"mnuView", "mnuViewIOSimulator", 146, "", "", Existing},
    {"mnuView", "mnuViewZKeys", 147, "", "", PlainCommand},
    {"mnuView", "mnuViewSoftText", 148, "", "", PlainCommand},
    {"mnuView", "mnuViewBar3", 0, "", "", Separator},
    {"mnuView", "mnuViewTextDisplay", 8052, "", "", PlainCommand},
    {"mnuView", "mnuViewTrend", 8760, "", "", PlainCommand},
    {"mnuView", "", 0, "", "", Separator},
    {"mnuView", "mnuViewEditMode", 149, "", "", Submenu},
    {"mnuViewEditMode", "mnuEditModeDevice", 8066, "", "", Exclusive},
    {"mnuViewEditMode", "mnuEditModePLC", 8067, "", "", Exclusive},
    {"mnuViewEditMode", "mnuEditModeElectrical", 8068, "", "", Exclusive},
    {"mnuView", "mnuViewWiringHelp", 8016, "", "", PlainCommand},
    {"mnuView", "mnuViewParameters", 154, "", "Parameters", PlainCommand},
    {"mnuView", "mnuViewComments", 155, "", "", PlainCommand},
    {"mnuView", "", 0, "", "", Separator},
    {"mnuView", "mnuViewToolbar", 156, "", "", Existing},

    {"", "mnuConfig", 161, "", "", Submenu},
    // A model change in the middle of a run would pull the program from under the scan.
    {"mnuConfig", "mnuConfigModel", 162, "", "Config", Off},
    {"mnuConfig", "mnuConfigUtilities", 163, "", "", PlainCommand},
    {"mnuConfig", "mnuAnalog", 343, "", "", Submenu},
    {"mnuAnalog", "mnuAnalogScaling", 4321, "", "", PlainCommand},

    {"", "mnuSimulation", 181, "", "", Submenu},
    {"mnuSimulation", "mnuSimulationDevice", 182, "", "SimulationWithPLC", Off},
    // F5 starts and stops: the frame hands the key to whichever of the two is on.
    {"mnuSimulation", "mnuSimulationPC", 183, "F5", "SimulationWithPC", Off},
    {"mnuSimulation", "mnuSimulationStop", 184, "", "SimulationEnd", PlainCommand},
    // Steering a run with the PC; on only while one runs.
    {"mnuSimulation", "", 0, "", "", Separator},
    {"mnuSimulation", "mnuSimulationPause", 8700, "F6", "SimulationPause", PlainCommand},
    {"mnuSimulation", "mnuSimulationStep", 8702, "F7", "SimulationStep", PlainCommand},
    {"mnuSimulation", "mnuSimulationTimeScale", 8703, "", "", Submenu},
    {"mnuSimulationTimeScale", "mnuTimeScaleNext", 8704, "F8", "SimulationTimeScale", PlainCommand},
    {"mnuSimulationTimeScale", "", 0, "", "", Separator},
    {"mnuSimulationTimeScale", "mnuTimeScaleX1", 8705, "", "", Exclusive},
    {"mnuSimulationTimeScale", "mnuTimeScaleX10", 8706, "", "", Exclusive},
    {"mnuSimulationTimeScale", "mnuTimeScaleX100", 8707, "", "", Exclusive},
    {"mnuSimulationTimeScale", "mnuTimeScaleFastest", 8708, "", "", Exclusive},

    {"", "mnuTransfer", 201, "", "", Submenu},
    {"mnuTransfer", "mnuTransferProgram", 202, "", "Transfer", Off},
    {"mnuTransfer", "mnuTransferClock", 203, "", "ClockTransfer", Off},
    {"mnuTransfer", "mnuTransferComm", 204, "", "", PlainCommand},

    {"", "mnuOptions", 261, "", "", Submenu},
    {"mnuOptions", "mnuOptionsLanguage", 262, "", "", Submenu},
    {"mnuOptionsLanguage", "mnuLanguageEnglish", 263, "", "", Exclusive},
    {"mnuOptionsLanguage", "mnuLanguagePortuguese", 264, "", "", Exclusive},
    {"mnuOptionsLanguage", "mnuLanguagePolish", 267, "", "", Exclusive},
    // The Spanish entry has no text of its own in the table: the frame names it.
    {"mnuOptionsLanguage", "mnuLanguageSpanish", 0, "", "", Exclusive},
    {"mnuOptions", "mnuOptionsCommPort", 265, "", "", PlainCommand},
    {"mnuOptions", "mnuOptionsDeviceSimulator", 266, "", "", PlainCommand},
    {"mnuOptions", "", 0, "", "", Separator},
    {"mnuOptions", "mnuOptionsUsbDrivers", 268, "", "", PlainCommand},
    {"mnuOptions", "mnuOptionsUsbVideo", 269, "", "", PlainCommand},

    {"", "mnuWindow", 221, "", "", Submenu},
    {"mnuWindow", "mnuWindowDocking", 222, "", "", PlainCommand},
    {"mnuWindow", "mnuWindowTileHorizontal", 223, "", "", PlainCommand},
    {"mnuWindow", "mnuWindowTileVertical", 224, "", "", PlainCommand},
    {"mnuWindow", "mnuWindowCascade", 225, "", "", PlainCommand},
    {"mnuWindow", "mnuWindowArrangeIcons", 226, "", "", PlainCommand},

    {"", "mnuHelp", 241, "", "", Submenu},
    {"mnuHelp", "mnuHelpContents", 242, "F1", "Help", PlainCommand},
    {"mnuHelp", "mnuHelpAbout", 243, "", "", PlainCommand},
    {"mnuHelp", "mnuHelpWhatsNew", 138, "", "", PlainCommand},

    {kToolbarPrintMenu, "tbPrintShort", 8059, "", "", Off},
    {kToolbarPrintMenu, "tbPrintDetail", 8060, "", "", Off},
    {kToolbarPrintMenu, "tbPrintParameters", 8061, "", "", Off},
    {kToolbarPrintMenu, "tbPrintComments", 4152, "", "", Off},
});

constexpr std::array kToolbar = std::to_array<const char*>({
    "New",
    "Open",
    "Save",
    "Print",
    "|",
    "Config",
    "|",
    "Copy",
    "Cut",
    "Paste",
    "Undo",
    "Redo",
    "Find",
    "|",
    "SimulationWithPC",
    "SimulationWithPLC",
    "SimulationEnd",
    "SimulationPause",
    "SimulationStep",
    "SimulationTimeScale",
    "|",
    "Parameters",
    "Transfer",
    "ClockTransfer",
    "|",
    "Help",
});

}  // namespace

std::span<const MenuRow> MainMenuRows() {
    return kRows;
}

std::span<const char* const> ToolbarLayout() {
    return kToolbar;
}

BuiltMenus BuildMenus(QMenuBar* bar, std::span<const MenuRow> rows, QHash<QString, QMenu*> menus,
                      const QHash<QString, QAction*>& existing) {
    BuiltMenus built;
    QHash<QMenu*, QActionGroup*> groups;
    for (const MenuRow& row : rows) {
        const QString name = QString::fromLatin1(row.objectName);
        const QString caption = row.textId > 0 ? LoadText(row.textId) : QString();
        QMenu* parent = *row.menu ? menus.value(QString::fromLatin1(row.menu)) : nullptr;
        if (*row.menu && parent == nullptr) {
            continue;  // a menu the frame does not have
        }
        QAction* action = nullptr;
        if (row.flags & Submenu) {
            QMenu* menu = parent ? parent->addMenu(caption) : bar->addMenu(caption);
            menu->setObjectName(name);
            menu->setToolTipsVisible(true);
            menus.insert(name, menu);
            built.menus.insert(name, menu);
            action = menu->menuAction();
        } else if (row.flags & Separator) {
            action = parent->addSeparator();
            action->setObjectName(name);
            if (!name.isEmpty()) {
                built.commands.insert(name, action);
            }
            continue;
        } else if (row.flags & Existing) {
            action = existing.value(name);
            if (action == nullptr) {
                continue;
            }
            action->setObjectName(name);
            action->setText(caption);
            parent->addAction(action);
        } else {
            action = parent->addAction(caption);
            action->setObjectName(name);
        }
        if (row.textId > 0) {
            SetTextId((row.flags & Submenu) ? static_cast<QObject*>(built.menus.value(name)) : action,
                      row.textId);
        }
        if (*row.shortcut) {
            action->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut), QKeySequence::PortableText));
        }
        if (*row.toolbarKey) {
            action->setProperty("toolbarKey", QString::fromLatin1(row.toolbarKey));
        }
        if (row.flags & Exclusive) {
            QActionGroup*& group = groups[parent];
            if (group == nullptr) {
                group = new QActionGroup(parent);
            }
            action->setCheckable(true);
            group->addAction(action);
        }
        if (!(row.flags & Submenu)) {
            built.commands.insert(name, action);
        }
    }
    return built;
}

QHash<QString, QAction*> BuildToolbar(QToolBar* toolBar, const QHash<QString, QAction*>& commands,
                                      QToolButton* printButton) {
    QHash<QString, QAction*> byKey;
    for (QAction* action : commands) {
        const QString key = action->property("toolbarKey").toString();
        if (!key.isEmpty()) {
            byKey.insert(key, action);
        }
    }
    QHash<QString, QAction*> placed;
    for (const char* key : ToolbarLayout()) {
        const QString keyText = QString::fromLatin1(key);
        if (keyText == QLatin1String(kToolbarSeparator)) {
            toolBar->addSeparator();
        } else if (keyText == QLatin1String("Print")) {
            toolBar->addWidget(printButton);
        } else {
            QAction* action = byKey.value(keyText);
            Q_ASSERT(action != nullptr);
            action->setIcon(ToolbarIcon(keyText));
            toolBar->addAction(action);
            placed.insert(keyText, action);
            toolBar->widgetForAction(action)->setObjectName(QStringLiteral("tb") + keyText);
        }
    }
    return placed;
}

}  // namespace bdx
