#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QSet>
#include <array>
#include <functional>
#include <memory>

#include "ladder/program_document.h"
#include "shell/app_settings.h"

class QAction;
class QActionGroup;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSettings;
class QToolBar;
class QToolButton;

namespace bdx {

class CommLink;
class ErrorListWindow;
class FunctionSelector;
class HelpWindow;
class LadderEditor;
class LadderView;
class PcSimulationRunner;
class Prompter;
class frmFind;
class ser_setting_form;

// Organisation and application under which the window settings are kept.
inline constexpr const char* kSettingsOrganization = "Oskarn Automation Works";
inline constexpr const char* kSettingsApplication = "BrantelDesk X";

// The stored window values are in twips; the desktop works in device-independent pixels,
// which are 1/96 inch.
inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kDefaultMainLeft = 1000;
inline constexpr int kDefaultMainTop = 1000;
inline constexpr int kDefaultMainWidth = 6500;
inline constexpr int kDefaultMainHeight = 6500;

// Environment variable naming the mail program that File / Send uses instead of xdg-email.
inline constexpr const char* kMailCommandVariable = "BDX_MAIL_COMMAND";

// The main frame: menus, toolbar, the ladder editor window, the tool windows and the switch
// between editing and simulation.
class frmMain : public QMainWindow {
    Q_OBJECT
  public:
    // `windowSettingsPath` names an INI file for the window settings; empty keeps them in the
    // per-user settings store.
    frmMain(ProgramDocument& document, AppSettings& settings, QString settingsPath, Prompter& prompter,
            QString windowSettingsPath = QString(), QWidget* parent = nullptr);
    ~frmMain() override;

    // Caption from the program's file name and path; called after every open, save and new.
    void updateCaption();
    // Status bar, function toolbox and model-dependent commands from ModelIndex.
    void UpdateModelDisplay();
    // Undo and Redo (menu and toolbar) from the undo store; both off while simulating or when
    // asked to disable.
    void RefreshUndoRedoCommands(bool disable = false);
    // Texts of the current language on every caption, including those outside ApplyCaptions' reach.
    void retranslate();
    // A whole program was put in place (start-up, New, Open, a dropped file): first cell, check,
    // repaint.
    void programLoaded();

    // Language menu: takes effect at the next start.
    void setLanguage(int offset);
    // Edit Mode: 0 the device's own symbols, 1 PLC, 2 electrical. Stored at once.
    void setDisplayStyle(int style);
    int displayStyle() const { return displayStyle_; }

    bool simulationRunning() const { return simulating_; }

    // The one connection to the device, with the communication settings of the settings file.
    CommLink& commLink() { return *commLink_; }

    LadderEditor& editor() { return *editor_; }
    LadderView* ladderView() const { return view_; }
    QMdiSubWindow* editorWindow() const { return editorWindow_; }
    FunctionSelector* functionSelector() const { return functionSelector_; }
    ErrorListWindow* errorListWindow() const { return errorList_; }
    PcSimulationRunner* simulationRunner() const { return runner_; }
    HelpWindow* helpWindow() const;
    frmFind* findDialog() const;
    QDockWidget* functionDock() const { return functionDock_; }
    QDockWidget* errorDock() const { return errorDock_; }
    QDockWidget* ioDock() const { return ioDock_; }
    QToolBar* toolBar() const { return toolBar_; }
    QLabel* modelPanel() const { return sbModelPanel_; }
    QLabel* modePanel() const { return sbModePanel_; }
    QAction* languageAction(int offset) const;
    // A toolbar button by its key ("New", "Open", ..., "Help", "Print").
    QToolButton* toolbarButton(const QString& key) const;

    // Commands that tests and other windows drive directly.
    void fileNew();
    void fileOpen();
    void fileSave();
    void fileSaveAs();
    void fileSend();
    void openDroppedFile(const QString& path);
    void configModel();
    void simulationWithPc();
    void simulationStop();
    void showHelp();
    void showAbout();
    // Options / Comm Port: the settings dialog, modal; OK saves the settings file.
    void showCommSettings();
    // Runs the dialog instead of exec() and returns its result: lets tests fill it in.
    using CommDialogRunner = std::function<int(ser_setting_form&)>;
    void setCommDialogRunner(CommDialogRunner runner) { commDialogRunner_ = std::move(runner); }

  protected:
    // Exit: a running simulation is ended first, unsaved changes are offered; the window stays
    // open when the user declines either.
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void createRunner();
    void buildEditorPieces();
    void buildMenus();
    void buildFileMenu();
    void buildEditMenu();
    void buildViewMenu();
    void buildConfigurationMenu();
    void buildSimulationMenu();
    void buildTransferMenu();
    void buildOptionsMenu();
    void buildWindowMenu();
    void buildHelpMenu();
    void buildToolBar();
    void buildStatusBar();

    QMenu* addMenu(QMenu* parent, const char* objectName, int textId);
    QAction* addCommand(QMenu* menu, const char* objectName, int textId);
    // A command whose part comes in a later version: visible, never enabled.
    QAction* addLaterCommand(QMenu* menu, const char* objectName, int textId);
    void setCommandEnabled(QAction* action, bool enabled);
    QAction* command(const char* objectName) const;

    void wireEditor();
    void runDocumentCommand(const std::function<void()>& run);
    void applyDisplayStyle(int style);
    void refreshViews();
    void updateEditCaptions(bool lineSelected);
    void updateModePanel();
    void onSimulationStarted();
    void onSimulationEnded();
    void setRunMode(bool running);
    bool endSimulationForExit();
    void saveCommSettings();

    void editCut();
    void editCopy();
    void editPaste();
    void editUndo();
    void editRedo();
    void editFind();
    void viewComments();

    void tileEditorWindows(Qt::Orientation orientation);
    void arrangeIcons();
    void dockingView();
    void sizeDocks();

    std::unique_ptr<QSettings> openWindowSettings() const;
    void restoreWindowSettings();
    void storeWindowSettings();

    ProgramDocument& document_;
    Program& program_;
    AppSettings& settings_;
    QString settingsPath_;
    Prompter& prompter_;
    QString windowSettingsPath_;

    std::unique_ptr<LadderEditor> editor_;
    std::unique_ptr<CommLink> commLink_;
    CommDialogRunner commDialogRunner_;
    QMdiArea* mdiArea_ = nullptr;
    QMdiSubWindow* editorWindow_ = nullptr;
    LadderView* view_ = nullptr;
    FunctionSelector* functionSelector_ = nullptr;
    ErrorListWindow* errorList_ = nullptr;
    PcSimulationRunner* runner_ = nullptr;
    QDockWidget* functionDock_ = nullptr;
    QDockWidget* errorDock_ = nullptr;
    QDockWidget* ioDock_ = nullptr;
    // Both live until the user closes the main window; kept by their widget base.
    QPointer<QWidget> findDialog_;
    QPointer<QWidget> helpWindow_;
    QToolBar* toolBar_ = nullptr;
    QToolButton* printButton_ = nullptr;
    QHash<QString, QAction*> toolbarActions_;
    QLabel* sbModelPanel_ = nullptr;
    QLabel* sbModePanel_ = nullptr;

    QMenu* mnuAnalog_ = nullptr;
    QAction* mnuViewTextDisplay_ = nullptr;
    QAction* mnuViewBar3_ = nullptr;
    QActionGroup* editModeGroup_ = nullptr;
    std::array<QAction*, 3> editModeActions_{};
    std::array<QAction*, 4> languageActions_{};
    // Commands that a running simulation switches off, and those that stay off for now.
    QList<QAction*> runModeDisabled_;
    QSet<QAction*> laterCommands_;

    int displayStyle_ = 0;
    bool simulating_ = false;
    bool errorListWasVisible_ = true;
    bool toolboxWasVisible_ = true;
    bool closed_ = false;
    bool docksSized_ = false;
    int programsReplaced_ = 0;
};

}  // namespace bdx
