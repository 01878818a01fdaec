#pragma once

#include <QHash>
#include <QString>
#include <span>

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QToolButton;

namespace bdx {

// What a row of the menu table is and how the frame treats it.
enum MenuRowFlag : unsigned {
    PlainCommand = 0,
    Submenu = 1u << 0,     // opens a menu of its own, named by the row's object name
    Separator = 1u << 1,   // a line; it may still carry an object name
    RunModeOff = 1u << 2,  // switched off while a simulation runs
    Exclusive = 1u << 3,   // a check mark shared with the other exclusive rows of its menu
    Existing = 1u << 4,    // the frame supplies the action (a dock's or toolbar's own toggle)
};

// One entry of the main window's menus.
struct MenuRow {
    const char* menu;        // object name of the menu it goes into; "" for the menu bar
    const char* objectName;  // object name of the command or sub-menu
    int textId;              // language-table id of its caption; 0 for none
    const char* shortcut;    // portable key text ("Ctrl+N"); "" for none
    const char* toolbarKey;  // key of its toolbar button; "" for none
    unsigned flags;
};

// Every menu, sub-menu and command of the main window, in menu order. The print button's drop-down
// is the menu "mnuToolbarPrint".
std::span<const MenuRow> MainMenuRows();

// The toolbar's buttons by key, left to right; "|" is a separator.
std::span<const char* const> ToolbarLayout();

inline constexpr const char* kToolbarPrintMenu = "mnuToolbarPrint";
inline constexpr const char* kToolbarSeparator = "|";

// The actions and menus a build made, by object name.
struct BuiltMenus {
    QHash<QString, QAction*> commands;
    QHash<QString, QMenu*> menus;
};

// Builds the rows into the menu bar and into `menus` (menus the caller made beforehand, such as the
// print button's). `existing` supplies the actions of rows flagged Existing. Captions are the
// texts of the current language, marked with their ids for later retranslation.
BuiltMenus BuildMenus(QMenuBar* bar, std::span<const MenuRow> rows, QHash<QString, QMenu*> menus,
                      const QHash<QString, QAction*>& existing);

// Fills the toolbar in the order of ToolbarLayout with the actions whose "toolbarKey" matches
// (and `printButton` at "Print"); returns the actions by key.
QHash<QString, QAction*> BuildToolbar(QToolBar* toolBar, const QHash<QString, QAction*>& commands,
                                      QToolButton* printButton);

}  // namespace bdx
