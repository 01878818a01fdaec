#pragma once

#include <QHash>
#include <QMainWindow>
#include <QSet>
#include <functional>
#include <memory>
#include <vector>

#include "window_geometry.h"

class QAction;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QToolBar;
class QToolButton;

namespace bdx {

class AppContext;

// The main frame: the menus and toolbar built from the menu table, the editor's MDI area, the
// docks, the status bar and the switch between editing and simulation. The feature controllers
// it owns register the commands and open the windows.
class frmMain : public QMainWindow {
    Q_OBJECT
  public:
    // `windowSettingsPath` names an INI file for the window settings; empty keeps them in the
    // per-user settings store.
    explicit frmMain(AppContext& context, QString windowSettingsPath = QString(), QWidget* parent = nullptr);
    ~frmMain() override;

    AppContext& context() { return context_; }
    WindowSettings& windowSettings() { return windowSettings_; }

    // ---- Commands of the menu table ----
    // A command, menu separator or toggle by object name; null when the table has none.
    QAction* command(const QString& objectName) const;
    // Makes a command live (until now greyed as coming in a later version) and runs `handler`
    // when it is triggered.
    QAction* registerCommand(const char* objectName, std::function<void()> handler = {});
    bool isLater(QAction* action) const { return laterCommands_.contains(action); }
    // On or off as asked, but a command of a later version stays off.
    void setCommandEnabled(QAction* action, bool enabled);
    // A toolbar button by its key ("New", "Open", ..., "Help", "Print").
    QToolButton* toolbarButton(const QString& key) const;

    // ---- Windows ----
    // The editor window: the one child of the MDI area, never closed.
    void setEditorView(QWidget* view);
    QMdiSubWindow* editorWindow() const { return editorWindow_; }
    QDockWidget* functionDock() const { return functionDock_; }
    QDockWidget* errorDock() const { return errorDock_; }
    QDockWidget* xrefDock() const { return xrefDock_; }
    QDockWidget* ioDock() const { return ioDock_; }
    QLabel* modelPanel() const { return sbModelPanel_; }
    void showStatusMessage(const QString& text);

    // ---- State ----
    // A whole program was put in place (start-up, New, Open, a dropped file).
    void programLoaded() { Q_EMIT programInPlace(); }
    // Caption from the program's file name and path; after every open, save and new.
    void updateCaption();
    // Status bar and model-dependent commands from ModelIndex.
    void UpdateModelDisplay();
    // Texts of the current language on every caption, including those outside ApplyCaptions' reach.
    void retranslate();

    // Language menu: takes effect at the next start.
    void setLanguage(int offset);
    QAction* languageAction(int offset) const;
    // Edit Mode: 0 the device's own symbols, 1 PLC, 2 electrical. Stored at once.
    void setDisplayStyle(int style);
    int displayStyle() const { return displayStyle_; }

    // ---- Modes ----
    // A run started: the panel goes into its dock, the editing commands off. `withDevice`: the
    // program runs against the connected device, which the status bar says.
    void enterSimulation(QWidget* panel, bool withDevice = false);
    void leaveSimulation();
    bool simulationRunning() const { return simulating_; }

  Q_SIGNALS:
    void displayStyleChanged(int style);
    void modelShown(int model);
    void runModeChanged(bool simulating);
    // Captions were put in again (start-up, a retranslation).
    void captionsApplied();
    void programInPlace();
    // The user is leaving: the windows of the controllers close.
    void closing();

  protected:
    // Exit: a running simulation is ended first, unsaved changes are offered; the window stays
    // open when the user declines either.
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void buildDocks();
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void registerFrameCommands();
    void applyDisplayStyle(int style);
    void setRunMode(bool running);
    bool endSimulationForExit();
    void updateModePanel();

    void dockingView();
    void sizeDocks();

    void restoreWindowSettings();

    AppContext& context_;
    WindowSettings windowSettings_;
    QMdiArea* mdiArea_ = nullptr;
    QMdiSubWindow* editorWindow_ = nullptr;
    QDockWidget* functionDock_ = nullptr;
    QDockWidget* errorDock_ = nullptr;
    QDockWidget* xrefDock_ = nullptr;
    QDockWidget* ioDock_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QToolButton* printButton_ = nullptr;
    QLabel* sbModelPanel_ = nullptr;
    QLabel* sbModePanel_ = nullptr;

    QHash<QString, QAction*> commands_;
    QHash<QString, QAction*> toolbarActions_;
    // Commands that a running simulation switches off, and those that stay off for now.
    QList<QAction*> runModeOff_;
    QSet<QAction*> laterCommands_;
    std::vector<std::unique_ptr<QObject>> controllers_;

    int displayStyle_ = 0;
    bool simulating_ = false;
    bool withDevice_ = false;
    bool errorListWasVisible_ = true;
    bool toolboxWasVisible_ = true;
    bool closed_ = false;
    bool docksSized_ = false;
};

}  // namespace bdx
