#include "frm_main.h"

#include <algorithm>
#include <QAction>
#include <QCloseEvent>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "app_context.h"
#include "compare_programs.h"
#include "blocks/device_model.h"
#include "editor/ladder_editor.h"
#include "ladder/program_document.h"
#include "menu_table.h"
#include "shell/app_settings.h"
#include "shell/language_table.h"
#include "shell/prompter.h"
#include "shell/window_caption.h"
#include "ui/blocks/blocks_controller.h"
#include "ui/comm/comm_controller.h"
#include "ui/help/help_controller.h"
#include "ui/print/print_controller.h"
#include "ui/ladder/ladder_controller.h"
#include "ui/sim/device_run_controller.h"
#include "ui/sim/io_form.h"
#include "ui/sim/pc_simulation_runner.h"
#include "ui/sim/sim_controller.h"
#include "ui/sim/text_display_controller.h"
#include "ui/sim/trend_controller.h"
#include "ui/widgets/captions.h"
#include "ui/widgets/keep_open_filter.h"
#include "ui/widgets/mdi_layout.h"
#include "ui/widgets/toolbar_icons.h"
#include "view_controller.h"

namespace bdx {

namespace {

enum TextId {
    ViewErrors = 144,
    ViewCrossReference = 8101,
    ViewFunctionToolbox = 145,
    ViewIOSimulator = 146,
    EndSimulationQuestion = 4210,
    LanguageChangeNote = 4213,
    LaterVersion = 8053,
    EditorWindowTitle = 8054,
    ModeEditing = 8055,
    ModeSimulatingPc = 8056,
    ModeSimulatingDevice = 8230,
    PrintButton = 8062,
    MainToolbar = 8065,
};

constexpr std::array<const char*, 3> kEditModeCommands = {"mnuEditModeDevice", "mnuEditModePLC",
                                                          "mnuEditModeElectrical"};
constexpr std::array<const char*, 4> kLanguageCommands = {"mnuLanguageEnglish", "mnuLanguagePortuguese",
                                                          "mnuLanguagePolish", "mnuLanguageSpanish"};

}  // namespace

frmMain::frmMain(AppContext& context, QString windowSettingsPath, QWidget* parent)
    : QMainWindow(parent), context_(context), windowSettings_(std::move(windowSettingsPath)) {
    setObjectName(QStringLiteral("frmMain"));
    setAccessibleName(QString::fromLatin1(kProductTitle));
    if (QGuiApplication::windowIcon().isNull()) {  // the program sets its own icon; test rigs do not
        setWindowIcon(ToolbarIcon(QStringLiteral("Config")));
    }
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
    // The toolbox runs the full height on the left; the error list sits under the editor.
    setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);
    setCorner(Qt::TopLeftCorner, Qt::LeftDockWidgetArea);

    buildDocks();
    buildMenus();
    buildStatusBar();
    context_.simulation().setPanelParent(ioDock_);

    // Each feature registers its own commands and opens its own windows.
    controllers_.push_back(std::make_unique<LadderController>(context_, *this));
    controllers_.push_back(std::make_unique<BlocksController>(context_, *this));
    controllers_.push_back(std::make_unique<SimController>(context_, *this));
    controllers_.push_back(std::make_unique<TextDisplayController>(context_, *this));
    controllers_.push_back(std::make_unique<TrendController>(context_, *this));
    controllers_.push_back(std::make_unique<CommController>(context_, *this));
    controllers_.push_back(std::make_unique<DeviceRunController>(context_, *this));
    controllers_.push_back(std::make_unique<PrintController>(context_, *this));
    controllers_.push_back(std::make_unique<CompareController>(context_, *this));
    controllers_.push_back(std::make_unique<HelpController>(context_, *this));
    controllers_.push_back(std::make_unique<ViewController>(context_, *this));
    registerFrameCommands();
    connect(&context_.document(), &ProgramDocument::captionChanged, this, &frmMain::updateCaption);
    connect(&context_.document(), &ProgramDocument::programReplaced, this, &frmMain::UpdateModelDisplay);
    // The model dialog changes the model through the editor's one edit path.
    connect(&context_.editor(), &LadderEditor::gridChanged, this, &frmMain::UpdateModelDisplay);

    restoreWindowSettings();
    retranslate();
    setRunMode(false);
    updateCaption();
    UpdateModelDisplay();
}

frmMain::~frmMain() {
    // The controllers' windows refer to the frame's docks and commands: they go first.
    controllers_.clear();
    context_.simulation().setPanelParent(nullptr);
}

// ---- Construction ----

void frmMain::buildDocks() {
    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName(QStringLiteral("mdiArea"));
    mdiArea_->setBackground(QColor(0x8a, 0x97, 0xa5));
    mdiArea_->setViewMode(QMdiArea::TabbedView);
    mdiArea_->setDocumentMode(true);
    // The editor scrolls rather than forcing the window wider.
    mdiArea_->setMinimumSize(160, 120);
    setCentralWidget(mdiArea_);

    const auto addDock = [this](const char* name, Qt::DockWidgetArea area) {
        auto* dock = new QDockWidget(this);
        dock->setObjectName(QString::fromLatin1(name));
        addDockWidget(area, dock);
        return dock;
    };
    functionDock_ = addDock("dockFunctionToolbox", Qt::LeftDockWidgetArea);
    errorDock_ = addDock("dockProgramErrors", Qt::BottomDockWidgetArea);
    xrefDock_ = addDock("dockCrossReference", Qt::BottomDockWidgetArea);
    xrefDock_->hide();
    // The input/output panel lives here while a simulation runs.
    ioDock_ = addDock("dockIOSimulator", Qt::RightDockWidgetArea);
    ioDock_->hide();
}

void frmMain::setEditorView(QWidget* view) {
    editorWindow_ = mdiArea_->addSubWindow(
        view, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint);
    editorWindow_->setObjectName(QStringLiteral("frmLadderEditor"));
    editorWindow_->setAttribute(Qt::WA_DeleteOnClose, false);
    editorWindow_->installEventFilter(new KeepOpenFilter(editorWindow_));
    editorWindow_->showMaximized();
}

void frmMain::buildMenus() {
    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("tbToolBar"));
    toolBar_->setMovable(false);
    toolBar_->setIconSize(QSize(24, 24));
    addToolBar(Qt::TopToolBarArea, toolBar_);
    // Print: one button with the four printouts on its drop-down.
    printButton_ = new QToolButton(toolBar_);
    printButton_->setObjectName(QStringLiteral("tbPrint"));
    printButton_->setIcon(ToolbarIcon(QStringLiteral("Print")));
    printButton_->setPopupMode(QToolButton::InstantPopup);
    printButton_->setProperty(kToolTipIdProperty, PrintButton);
    auto* printMenu = new QMenu(printButton_);
    printMenu->setObjectName(QString::fromLatin1(kToolbarPrintMenu));
    printButton_->setMenu(printMenu);

    // The docks' and the toolbar's own toggles keep the check marks true to what is on screen.
    const QHash<QString, QAction*> toggles = {
        {QStringLiteral("mnuViewErrors"), errorDock_->toggleViewAction()},
        {QStringLiteral("mnuViewCrossReference"), xrefDock_->toggleViewAction()},
        {QStringLiteral("mnuViewFunctionToolbox"), functionDock_->toggleViewAction()},
        {QStringLiteral("mnuViewIOSimulator"), ioDock_->toggleViewAction()},
        {QStringLiteral("mnuViewToolbar"), toolBar_->toggleViewAction()},
    };
    const BuiltMenus built =
        BuildMenus(menuBar(), MainMenuRows(), {{QString::fromLatin1(kToolbarPrintMenu), printMenu}}, toggles);
    commands_ = built.commands;
    for (const MenuRow& row : MainMenuRows()) {
        QAction* action = commands_.value(QString::fromLatin1(row.objectName));
        if (action == nullptr || (row.flags & (Separator | Existing))) {
            continue;
        }
        // Greyed until a controller takes it.
        laterCommands_.insert(action);
        action->setEnabled(false);
        if (row.flags & RunModeOff) {
            runModeOff_ << action;
        }
    }

    toolbarActions_ = BuildToolbar(toolBar_, commands_, printButton_);
}

void frmMain::buildStatusBar() {
    statusBar()->setObjectName(QStringLiteral("sbStatusBar"));
    const auto addPanel = [this](const char* name, bool permanent) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QString::fromLatin1(name));
        panel->setContentsMargins(6, 0, 6, 0);
        permanent ? statusBar()->addPermanentWidget(panel) : statusBar()->addWidget(panel);
        return panel;
    };
    sbModePanel_ = addPanel("sbStatusBarMode", false);
    sbModelPanel_ = addPanel("sbStatusBarModel", true);
}

void frmMain::registerFrameCommands() {
    registerCommand("mnuFileExit", [this] { close(); });
    for (const char* toggle :
         {"mnuViewErrors", "mnuViewFunctionToolbox", "mnuViewIOSimulator", "mnuViewToolbar"}) {
        registerCommand(toggle);
    }
    for (int style = 0; style < int(kEditModeCommands.size()); ++style) {
        registerCommand(kEditModeCommands[style], [this, style] { setDisplayStyle(style); });
    }
    for (std::size_t i = 0; i < kLanguages.size(); ++i) {
        QAction* action = registerCommand(kLanguageCommands[i],
                                          [this, offset = kLanguages[i].offset] { setLanguage(offset); });
        if (action->text().isEmpty()) {
            action->setText(QString::fromUtf8(kLanguages[i].name));
        }
        action->setChecked(kLanguages[i].offset == context_.settings().LanguageOffset);
    }
    registerCommand("mnuWindowDocking", [this] { dockingView(); });
    registerCommand("mnuWindowTileHorizontal", [this] { TileSubWindows(*mdiArea_, Qt::Horizontal); });
    registerCommand("mnuWindowTileVertical", [this] { TileSubWindows(*mdiArea_, Qt::Vertical); });
    registerCommand("mnuWindowCascade", [this] {
        mdiArea_->setViewMode(QMdiArea::SubWindowView);
        mdiArea_->cascadeSubWindows();
    });
    registerCommand("mnuWindowArrangeIcons", [this] { ArrangeIcons(*mdiArea_); });
}

// ---- Commands ----

QAction* frmMain::command(const QString& objectName) const {
    return commands_.value(objectName);
}

QAction* frmMain::registerCommand(const char* objectName, std::function<void()> handler) {
    QAction* action = command(QString::fromLatin1(objectName));
    Q_ASSERT(action != nullptr);
    laterCommands_.remove(action);
    action->setEnabled(true);
    action->setToolTip(QString());
    action->setStatusTip(QString());
    if (handler) {
        connect(action, &QAction::triggered, this, std::move(handler));
    }
    return action;
}

void frmMain::setCommandEnabled(QAction* action, bool enabled) {
    action->setEnabled(enabled && !laterCommands_.contains(action));
}

QToolButton* frmMain::toolbarButton(const QString& key) const {
    if (key == QLatin1String("Print")) {
        return printButton_;
    }
    QAction* action = toolbarActions_.value(key);
    return action ? qobject_cast<QToolButton*>(toolBar_->widgetForAction(action)) : nullptr;
}

void frmMain::showStatusMessage(const QString& text) {
    statusBar()->showMessage(text, 4000);
}

// ---- Captions and state ----

void frmMain::retranslate() {
    // Titles first: a dock's or toolbar's toggle takes the title as its text, and ApplyCaptions
    // then puts the menu caption back.
    functionDock_->setWindowTitle(WithoutAccelerators(LoadText(ViewFunctionToolbox)));
    errorDock_->setWindowTitle(WithoutAccelerators(LoadText(ViewErrors)));
    xrefDock_->setWindowTitle(LoadText(ViewCrossReference));
    ioDock_->setWindowTitle(WithoutAccelerators(LoadText(ViewIOSimulator)));
    toolBar_->setWindowTitle(LoadText(MainToolbar));
    if (editorWindow_ != nullptr) {
        editorWindow_->setWindowTitle(LoadText(EditorWindowTitle));
    }
    ApplyCaptions(this);
    const QString later = LoadText(LaterVersion);
    for (QAction* action : std::as_const(laterCommands_)) {
        action->setToolTip(WithoutAccelerators(action->text()) + QStringLiteral(" (") + later +
                           QLatin1Char(')'));
        action->setStatusTip(later);
    }
    const QList<QAction*> printouts = printButton_->menu()->actions();
    const bool anyPrintout =
        std::any_of(printouts.begin(), printouts.end(), [this](QAction* printout) { return !isLater(printout); });
    printButton_->setToolTip(anyPrintout ? LoadText(PrintButton)
                                         : LoadText(PrintButton) + QStringLiteral(" (") + later + QLatin1Char(')'));
    updateModePanel();
    Q_EMIT captionsApplied();
}

void frmMain::updateModePanel() {
    sbModePanel_->setText(LoadText(!simulating_  ? ModeEditing
                                   : withDevice_ ? ModeSimulatingDevice
                                                 : ModeSimulatingPc));
}

void frmMain::updateCaption() {
    const Program& program = context_.program();
    setWindowTitle(MainWindowCaption(program.ProgramFileName, program.ProgramFilePath));
}

void frmMain::UpdateModelDisplay() {
    const int model = context_.program().ModelIndex;
    if (!IsValidModel(model)) {
        return;
    }
    sbModelPanel_->setText(QString::fromLatin1(ModelDisplayName(model)));
    findChild<QMenu*>(QStringLiteral("mnuAnalog"))->menuAction()->setEnabled(HasAnalog(model));
    command(QStringLiteral("mnuViewTextDisplay"))->setVisible(HasDisplay(model));
    command(QStringLiteral("mnuViewBar3"))->setVisible(HasDisplay(model));
    Q_EMIT modelShown(model);
}

void frmMain::setLanguage(int offset) {
    context_.settings().LanguageOffset = offset;
    if (QAction* action = languageAction(offset)) {
        action->setChecked(true);
    }
    context_.saveSettings();
    context_.prompter().inform(LoadText(LanguageChangeNote, offset));
}

QAction* frmMain::languageAction(int offset) const {
    for (std::size_t i = 0; i < kLanguages.size(); ++i) {
        if (kLanguages[i].offset == offset) {
            return command(QString::fromLatin1(kLanguageCommands[i]));
        }
    }
    return nullptr;
}

void frmMain::setDisplayStyle(int style) {
    applyDisplayStyle(style);
    windowSettings_.storeViewMode(displayStyle_);
}

void frmMain::applyDisplayStyle(int style) {
    displayStyle_ = (style == 1 || style == 2) ? style : 0;
    command(QString::fromLatin1(kEditModeCommands[displayStyle_]))->setChecked(true);
    Q_EMIT displayStyleChanged(displayStyle_);
}

// ---- Modes ----

void frmMain::enterSimulation(QWidget* panel, bool withDevice) {
    simulating_ = true;
    withDevice_ = withDevice;
    // Nothing can be placed or fixed while the program runs: the toolbox and the error list
    // make room for the panel and come back afterwards.
    errorListWasVisible_ = !errorDock_->isHidden();
    toolboxWasVisible_ = !functionDock_->isHidden();
    errorDock_->hide();
    functionDock_->hide();
    if (panel != nullptr) {
        if (ioDock_->widget() != panel) {
            panel->setParent(ioDock_, Qt::Widget);
            ioDock_->setWidget(panel);
            panel->show();
        }
        ioDock_->show();
        ioDock_->raise();
    }
    setRunMode(true);
}

void frmMain::leaveSimulation() {
    simulating_ = false;
    withDevice_ = false;
    ioDock_->hide();
    errorDock_->setVisible(errorListWasVisible_);
    functionDock_->setVisible(toolboxWasVisible_);
    setRunMode(false);
}

void frmMain::setRunMode(bool running) {
    for (QAction* action : std::as_const(runModeOff_)) {
        setCommandEnabled(action, !running);
    }
    QAction* stop = command(QStringLiteral("mnuSimulationStop"));
    setCommandEnabled(stop, running);
    stop->setShortcut(running ? QKeySequence(Qt::Key_F5) : QKeySequence());
    command(QStringLiteral("mnuSimulationPC"))
        ->setShortcut(running ? QKeySequence() : QKeySequence(Qt::Key_F5));
    ioDock_->toggleViewAction()->setEnabled(running);
    bool anyPrintout = false;
    for (QAction* printout : printButton_->menu()->actions()) {
        anyPrintout = anyPrintout || !isLater(printout);
    }
    printButton_->setEnabled(anyPrintout && !running);
    updateModePanel();
    Q_EMIT runModeChanged(running);
}

bool frmMain::endSimulationForExit() {
    PcSimulationRunner& runner = context_.simulation();
    if (!simulating_ && !runner.running()) {
        return true;
    }
    if (!context_.prompter().askYesNo(LoadText(EndSimulationQuestion))) {
        return false;
    }
    runner.stop();
    // The run ends at its next turn of the event loop; wait for it, but not for ever.
    QElapsedTimer waited;
    waited.start();
    while ((runner.running() || simulating_) && waited.elapsed() < 2000) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    }
    return true;
}

// ---- Window ----

void frmMain::dockingView() {
    for (QDockWidget* dock : {functionDock_, errorDock_}) {
        dock->setFloating(false);
        dock->show();
    }
    addDockWidget(Qt::LeftDockWidgetArea, functionDock_);
    addDockWidget(Qt::BottomDockWidgetArea, errorDock_);
    if (simulating_) {
        ioDock_->setFloating(false);
        addDockWidget(Qt::RightDockWidgetArea, ioDock_);
    }
    mdiArea_->setViewMode(QMdiArea::TabbedView);
    editorWindow_->showMaximized();
    sizeDocks();
}

// ---- Window settings and exit ----

void frmMain::restoreWindowSettings() {
    // Never so small that the menu bar wraps or the toolbar folds its buttons away.
    const QSize minimum(std::max(menuBar()->sizeHint().width(), toolBar_->sizeHint().width() + 8),
                        menuBar()->sizeHint().height() + toolBar_->sizeHint().height() +
                            statusBar()->sizeHint().height() + 240);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QRect geometry = MainWindowGeometry(windowSettings_.geometryTwips(), minimum, available);
    move(geometry.topLeft());
    resize(geometry.size());
    applyDisplayStyle(windowSettings_.viewMode());
}

void frmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!docksSized_) {
        // The tool windows ask for little; give them a useful share of the window once.
        docksSized_ = true;
        sizeDocks();
    }
}

void frmMain::sizeDocks() {
    resizeDocks({functionDock_}, {std::min(240, width() / 4)}, Qt::Horizontal);
    resizeDocks({errorDock_}, {std::min(160, height() / 5)}, Qt::Vertical);
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (closed_) {
        event->accept();
        return;
    }
    if (!endSimulationForExit() || !context_.document().QueryClose()) {
        event->ignore();
        return;
    }
    closed_ = true;
    windowSettings_.storeGeometry((isMaximized() || isMinimized() || isFullScreen()) ? normalGeometry()
                                                                                     : QRect(pos(), size()));
    Q_EMIT closing();
    event->accept();
}

}  // namespace bdx
