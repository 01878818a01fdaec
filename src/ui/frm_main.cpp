#include "frm_main.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "bdx_version.h"
#include "blocks/device_model.h"
#include "captions.h"
#include "comm/comm_link.h"
#include "comm/comm_settings.h"
#include "config_form.h"
#include "editor/ladder_editor.h"
#include "error_list_window.h"
#include "frm_all_comments.h"
#include "frm_find.h"
#include "function_selector.h"
#include "help_window.h"
#include "io_form.h"
#include "ladder/program_file.h"
#include "ladder_view.h"
#include "pc_simulation_runner.h"
#include "ser_setting_form.h"
#include "shell/language_table.h"
#include "shell/prompter.h"
#include "shell/window_caption.h"

namespace bdx {

namespace {

enum TextId {
    MenuFile = 101,
    FileNew = 102,
    FileOpen = 103,
    FileSave = 104,
    FileSaveAs = 105,
    FilePrintFooter = 107,
    FilePrintShort = 108,
    FilePrintDetail = 109,
    FileSend = 110,
    FileExit = 114,
    Version = 116,
    EditNonRetentive = 119,
    MenuEdit = 121,
    EditCut = 122,
    EditCopy = 123,
    EditPaste = 124,
    EditUndo = 125,
    EditRedo = 126,
    EditFind = 127,
    HelpWhatsNew = 138,
    MenuView = 141,
    ViewProgramMode = 142,
    ViewFullScreen = 143,
    ViewErrors = 144,
    ViewFunctionToolbox = 145,
    ViewIOSimulator = 146,
    ViewZKeys = 147,
    ViewSoftText = 148,
    ViewEditMode = 149,
    ViewParameters = 154,
    ViewComments = 155,
    ViewToolbar = 156,
    MenuConfiguration = 161,
    ConfigModel = 162,
    ConfigUtilities = 163,
    MenuSimulation = 181,
    SimulationDevice = 182,
    SimulationPc = 183,
    SimulationStop = 184,
    MenuTransfer = 201,
    TransferProgram = 202,
    TransferClock = 203,
    TransferComm = 204,
    MenuWindow = 221,
    WindowDocking = 222,
    WindowTileHorizontal = 223,
    WindowTileVertical = 224,
    WindowCascade = 225,
    WindowArrangeIcons = 226,
    MenuHelp = 241,
    HelpContents = 242,
    HelpAbout = 243,
    MenuOptions = 261,
    OptionsLanguage = 262,
    LanguageEnglish = 263,
    LanguagePortuguese = 264,
    OptionsCommPort = 265,
    OptionsDeviceSimulator = 266,
    LanguagePolish = 267,
    OptionsUsbDrivers = 268,
    OptionsUsbVideo = 269,
    MenuAnalog = 343,
    PrintComments = 4152,
    EndSimulationQuestion = 4210,
    SaveChangesQuestion = 4211,
    HelpMissing = 4212,
    LanguageChangeNote = 4213,
    EditRetentive = 4285,
    AnalogScaling = 4321,
    EditCutLine = 8040,
    EditCopyLine = 8041,
    EditPasteLine = 8042,
    EditNormallyOpen = 8043,
    EditNormallyClosed = 8044,
    EditDelete = 8045,
    EditInsertLine = 8046,
    EditDeleteLine = 8047,
    EditProperties = 8048,
    FilePrintParameters = 8049,
    FilePrintComments = 8050,
    FileFirmware = 8051,
    ViewTextDisplay = 8052,
    LaterVersion = 8053,
    EditorWindowTitle = 8054,
    ModeEditing = 8055,
    ModeSimulatingPc = 8056,
    MailNotStarted = 8057,
    AttachmentNotWritten = 8058,
    PrintInShort = 8059,
    PrintInDetail = 8060,
    PrintParameters = 8061,
    PrintButton = 8062,
    AboutDescription = 8063,
    MainToolbar = 8065,
    EditModeDevice = 8066,
    EditModePlc = 8067,
    EditModeElectrical = 8068,
};

// The Spanish entry has no text of its own in the table.
constexpr int kSpanishMenuNoId = 0;

const char* const kMailSubject = "Your message subject";

// ---- Toolbar icons, drawn rather than shipped: crisp at any scale, no image files. ----

const QColor kInk(0x3c, 0x4a, 0x57);
const QColor kPaper(0xff, 0xff, 0xff);
const QColor kPanel(0xe6, 0xec, 0xf2);
const QColor kBlue(0x2f, 0x7b, 0xd8);
const QColor kGreen(0x2e, 0x9e, 0x5b);
const QColor kRed(0xd6, 0x45, 0x45);
const QColor kAmber(0xf2, 0xc1, 0x4e);
const QColor kAmberLight(0xf7, 0xd7, 0x74);

QPen inkPen(double width = 1.4, const QColor& color = kInk) {
    QPen pen(color, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

void drawPage(QPainter& p, const QRectF& r) {
    p.setPen(inkPen());
    p.setBrush(kPaper);
    QPainterPath path;
    const double fold = 4.5;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.drawPath(path);
    p.drawPolyline(QPolygonF({QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold),
                              QPointF(r.right(), r.top() + fold)}));
}

void drawModule(QPainter& p, const QRectF& r) {
    p.setPen(inkPen());
    p.setBrush(kPanel);
    p.drawRoundedRect(r, 1.5, 1.5);
    p.setPen(inkPen(1.2));
    for (double x = r.left() + 2.5; x < r.right() - 1; x += 3.5) {
        p.drawLine(QPointF(x, r.top() - 2), QPointF(x, r.top()));
        p.drawLine(QPointF(x, r.bottom()), QPointF(x, r.bottom() + 2));
    }
}

void drawPlay(QPainter& p, const QPointF& centre, double size) {
    p.setPen(inkPen(1.0, kGreen.darker(130)));
    p.setBrush(kGreen);
    p.drawPolygon(QPolygonF({centre + QPointF(-size * 0.45, -size * 0.55),
                             centre + QPointF(-size * 0.45, size * 0.55), centre + QPointF(size * 0.55, 0)}));
}

void drawCurvedArrow(QPainter& p) {
    p.setPen(inkPen(2.2, kBlue));
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(19, 19);
    path.cubicTo(20, 10, 14, 7, 6.5, 9.5);
    p.drawPath(path);
    p.setPen(inkPen(1.0, kBlue));
    p.setBrush(kBlue);
    p.drawPolygon(QPolygonF({QPointF(3, 10.5), QPointF(8.5, 5.5), QPointF(9, 13.5)}));
}

void paintIcon(QPainter& p, const QString& key) {
    if (key == QLatin1String("New")) {
        drawPage(p, QRectF(5, 2, 14, 20));
        p.setPen(inkPen(2.0, kBlue));
        p.drawLine(QPointF(9, 15), QPointF(15, 15));
        p.drawLine(QPointF(12, 12), QPointF(12, 18));
    } else if (key == QLatin1String("Open")) {
        p.setPen(inkPen());
        p.setBrush(kAmber);
        p.drawPolygon(QPolygonF({QPointF(2, 5), QPointF(9, 5), QPointF(11, 7.5), QPointF(20, 7.5),
                                 QPointF(20, 19), QPointF(2, 19)}));
        p.setBrush(kAmberLight);
        p.drawPolygon(QPolygonF({QPointF(2, 19), QPointF(5.5, 10.5), QPointF(23, 10.5), QPointF(20, 19)}));
    } else if (key == QLatin1String("Save")) {
        p.setPen(inkPen(1.4, kBlue.darker(140)));
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
        p.setBrush(kPaper);
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(7, 3.7, 9, 5.5));
        p.drawRoundedRect(QRectF(6, 12.5, 12, 7.8), 1, 1);
        p.setBrush(kBlue.darker(140));
        p.drawRect(QRectF(13, 4.5, 2, 4));
    } else if (key == QLatin1String("Print")) {
        p.setPen(inkPen());
        p.setBrush(kPaper);
        p.drawRect(QRectF(7, 3, 10, 6));
        p.setBrush(QColor(0x9a, 0xa7, 0xb4));
        p.drawRoundedRect(QRectF(3, 9, 18, 8), 1.5, 1.5);
        p.setBrush(kPaper);
        p.drawRect(QRectF(7, 14, 10, 7));
        p.setPen(inkPen(1.0));
        p.drawLine(QPointF(9, 17), QPointF(15, 17));
        p.setPen(Qt::NoPen);
        p.setBrush(kGreen);
        p.drawEllipse(QPointF(18, 11.5), 1, 1);
    } else if (key == QLatin1String("Config")) {
        drawModule(p, QRectF(3.5, 5, 17, 14));
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawRect(QRectF(6, 8, 9, 4.5));
        p.setBrush(kGreen);
        p.drawEllipse(QPointF(17.5, 9.5), 1.3, 1.3);
        p.setBrush(kInk);
        for (int i = 0; i < 3; ++i) {
            p.drawRect(QRectF(6 + i * 3.2, 14.5, 2, 2));
        }
    } else if (key == QLatin1String("Copy")) {
        drawPage(p, QRectF(9, 2, 12, 15));
        drawPage(p, QRectF(3, 7, 12, 15));
        p.setPen(inkPen(1.0, kBlue));
        for (double y = 12; y < 20; y += 3) {
            p.drawLine(QPointF(5.5, y), QPointF(12.5, y));
        }
    } else if (key == QLatin1String("Cut")) {
        p.setPen(inkPen(1.8));
        p.drawLine(QPointF(9, 14.5), QPointF(17, 2.5));
        p.drawLine(QPointF(15, 14.5), QPointF(7, 2.5));
        p.setPen(inkPen(1.8, kRed));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(7.5, 18), 3.2, 3.2);
        p.drawEllipse(QPointF(16.5, 18), 3.2, 3.2);
    } else if (key == QLatin1String("Paste")) {
        p.setPen(inkPen());
        p.setBrush(QColor(0xc8, 0xa2, 0x6b));
        p.drawRoundedRect(QRectF(4, 4, 16, 18), 1.5, 1.5);
        p.setBrush(kPaper);
        p.drawRect(QRectF(7, 8, 10, 11));
        p.setBrush(kInk);
        p.drawRoundedRect(QRectF(8, 2, 8, 4), 1, 1);
        p.setPen(inkPen(1.0, kBlue));
        p.drawLine(QPointF(9, 12), QPointF(15, 12));
        p.drawLine(QPointF(9, 15), QPointF(15, 15));
    } else if (key == QLatin1String("Undo")) {
        drawCurvedArrow(p);
    } else if (key == QLatin1String("Redo")) {
        p.translate(24, 0);
        p.scale(-1, 1);
        drawCurvedArrow(p);
    } else if (key == QLatin1String("Find")) {
        p.setPen(inkPen(3.0));
        p.drawLine(QPointF(14.5, 14.5), QPointF(20.5, 20.5));
        p.setPen(inkPen(2.0));
        p.setBrush(QColor(0xd6, 0xe6, 0xfa));
        p.drawEllipse(QPointF(10, 10), 6.2, 6.2);
    } else if (key == QLatin1String("SimulationWithPC")) {
        p.setPen(inkPen());
        p.setBrush(kPanel);
        p.drawRoundedRect(QRectF(2, 3, 20, 14), 1.5, 1.5);
        p.drawLine(QPointF(12, 17), QPointF(12, 20));
        p.drawLine(QPointF(8, 21), QPointF(16, 21));
        drawPlay(p, QPointF(12, 10), 7);
    } else if (key == QLatin1String("SimulationWithPLC")) {
        drawModule(p, QRectF(3, 5, 18, 14));
        drawPlay(p, QPointF(12, 12), 7);
    } else if (key == QLatin1String("SimulationEnd")) {
        p.setPen(inkPen(1.2, kRed.darker(130)));
        p.setBrush(kRed);
        p.drawRoundedRect(QRectF(5, 5, 14, 14), 2.5, 2.5);
    } else if (key == QLatin1String("Parameters")) {
        const double knobs[3] = {8, 15, 11};
        for (int i = 0; i < 3; ++i) {
            const double y = 6 + i * 6;
            p.setPen(inkPen(1.6));
            p.drawLine(QPointF(3, y), QPointF(21, y));
            p.setPen(inkPen(1.2));
            p.setBrush(i == 1 ? kBlue : kPaper);
            p.drawEllipse(QPointF(knobs[i], y), 2.4, 2.4);
        }
    } else if (key == QLatin1String("Transfer")) {
        drawModule(p, QRectF(13, 5, 9, 14));
        p.setPen(inkPen(2.2, kBlue));
        p.drawLine(QPointF(2, 12), QPointF(9, 12));
        p.setPen(inkPen(1.0, kBlue));
        p.setBrush(kBlue);
        p.drawPolygon(QPolygonF({QPointF(8, 8), QPointF(12, 12), QPointF(8, 16)}));
    } else if (key == QLatin1String("ClockTransfer")) {
        p.setPen(inkPen(1.6));
        p.setBrush(kPaper);
        p.drawEllipse(QPointF(12, 12), 9, 9);
        p.setPen(inkPen(1.0));
        for (int i = 0; i < 12; i += 3) {
            p.save();
            p.translate(12, 12);
            p.rotate(i * 30);
            p.drawLine(QPointF(0, -7.5), QPointF(0, -6));
            p.restore();
        }
        p.setPen(inkPen(1.8, kBlue));
        p.drawLine(QPointF(12, 12), QPointF(12, 6.5));
        p.drawLine(QPointF(12, 12), QPointF(16, 14));
    } else if (key == QLatin1String("Help")) {
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawEllipse(QPointF(12, 12), 10, 10);
        p.setPen(kPaper);
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(15);
        p.setFont(font);
        p.drawText(QRectF(2, 2, 20, 20), Qt::AlignCenter, QStringLiteral("?"));
    }
}

QIcon makeIcon(const QString& key) {
    QIcon icon;
    for (const int scale : {1, 2}) {
        QPixmap pixmap(24 * scale, 24 * scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        paintIcon(painter, key);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

// The editor window stays while the application runs: closing it would leave nothing to edit.
class KeepOpenFilter : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

frmMain::frmMain(ProgramDocument& document, AppSettings& settings, QString settingsPath, Prompter& prompter,
                 QString windowSettingsPath, QWidget* parent)
    : QMainWindow(parent),
      document_(document),
      program_(document.program()),
      settings_(settings),
      settingsPath_(std::move(settingsPath)),
      prompter_(prompter),
      windowSettingsPath_(std::move(windowSettingsPath)),
      editor_(std::make_unique<LadderEditor>(document, prompter)),
      commLink_(std::make_unique<CommLink>(prompter)) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(makeIcon(QStringLiteral("Config")));
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
    // The toolbox runs the full height on the left; the error list sits under the editor.
    setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);
    setCorner(Qt::TopLeftCorner, Qt::LeftDockWidgetArea);

    buildEditorPieces();
    buildMenus();
    buildToolBar();
    buildStatusBar();
    wireEditor();

    // Device communication adds its reply and port-test time-outs (tmrTimeOut,
    // tmrTestPortTimeOut) and the print-busy timer (tmrPrint) here; the link holds the socket.
    LoadCommSettings(settings_, commLink_->state());

    restoreWindowSettings();
    retranslate();
    setRunMode(false);
    updateCaption();
    UpdateModelDisplay();
}

frmMain::~frmMain() {
    document_.disconnect(this);
    editor_->disconnect();
    // The pieces refer to the editor: they go before it does.
    delete runner_;
    runner_ = nullptr;
    delete findDialog_.data();
    delete helpWindow_.data();
    delete mdiArea_;
    delete functionDock_;
    delete errorDock_;
    delete ioDock_;
}

// ---- Construction ----

void frmMain::buildEditorPieces() {
    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName(QStringLiteral("mdiArea"));
    mdiArea_->setBackground(QColor(0x8a, 0x97, 0xa5));
    mdiArea_->setViewMode(QMdiArea::TabbedView);
    mdiArea_->setDocumentMode(true);
    // The stored default window is small (6500 twips square): the editor scrolls rather than
    // forcing the window wider.
    mdiArea_->setMinimumSize(160, 120);
    setCentralWidget(mdiArea_);

    view_ = new LadderView(*editor_, prompter_);
    view_->setObjectName(QStringLiteral("ladderView"));
    editorWindow_ = mdiArea_->addSubWindow(
        view_, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint);
    editorWindow_->setObjectName(QStringLiteral("frmLadderEditor"));
    editorWindow_->setAttribute(Qt::WA_DeleteOnClose, false);
    editorWindow_->installEventFilter(new KeepOpenFilter(editorWindow_));
    editorWindow_->showMaximized();

    functionDock_ = new QDockWidget(this);
    functionDock_->setObjectName(QStringLiteral("dockFunctionToolbox"));
    // Made without a parent: the dock makes each piece a plain child, whatever kind of window it
    // was built as.
    functionSelector_ = new FunctionSelector(*editor_);
    functionSelector_->setObjectName(QStringLiteral("functionSelector"));
    functionDock_->setWidget(functionSelector_);
    addDockWidget(Qt::LeftDockWidgetArea, functionDock_);

    errorDock_ = new QDockWidget(this);
    errorDock_->setObjectName(QStringLiteral("dockProgramErrors"));
    errorList_ = new ErrorListWindow(*editor_);
    errorList_->setObjectName(QStringLiteral("errorListWindow"));
    errorDock_->setWidget(errorList_);
    addDockWidget(Qt::BottomDockWidgetArea, errorDock_);

    // The input/output panel lives here while a simulation runs; the runner fills it.
    ioDock_ = new QDockWidget(this);
    ioDock_->setObjectName(QStringLiteral("dockIOSimulator"));
    addDockWidget(Qt::RightDockWidgetArea, ioDock_);
    ioDock_->hide();

    createRunner();

    connect(view_, &LadderView::fileDropped, this, &frmMain::openDroppedFile);
    connect(view_, &LadderView::lineSelectionChanged, this, &frmMain::updateEditCaptions);
    connect(view_, &LadderView::propertiesRequested, this,
            [this] { statusBar()->showMessage(LoadText(LaterVersion), 4000); });
    connect(functionSelector_, &FunctionSelector::operandPlaced, this, [this] { view_->setFocus(); });
}

QMenu* frmMain::addMenu(QMenu* parent, const char* objectName, int textId) {
    QMenu* menu = parent ? parent->addMenu(LoadText(textId)) : menuBar()->addMenu(LoadText(textId));
    menu->setObjectName(QString::fromLatin1(objectName));
    menu->setToolTipsVisible(true);
    SetTextId(menu, textId);
    return menu;
}

QAction* frmMain::addCommand(QMenu* menu, const char* objectName, int textId) {
    QAction* action = menu->addAction(textId > 0 ? LoadText(textId) : QString());
    action->setObjectName(QString::fromLatin1(objectName));
    if (textId > 0) {
        SetTextId(action, textId);
    }
    return action;
}

QAction* frmMain::addLaterCommand(QMenu* menu, const char* objectName, int textId) {
    QAction* action = addCommand(menu, objectName, textId);
    laterCommands_.insert(action);
    action->setEnabled(false);
    return action;
}

void frmMain::setCommandEnabled(QAction* action, bool enabled) {
    action->setEnabled(enabled && !laterCommands_.contains(action));
}

QAction* frmMain::command(const char* objectName) const {
    return findChild<QAction*>(QString::fromLatin1(objectName));
}

void frmMain::buildMenus() {
    buildFileMenu();
    buildEditMenu();
    buildViewMenu();
    buildConfigurationMenu();
    buildSimulationMenu();
    buildTransferMenu();
    buildOptionsMenu();
    buildWindowMenu();
    buildHelpMenu();
}

void frmMain::buildFileMenu() {
    QMenu* file = addMenu(nullptr, "mnuFile", MenuFile);
    QAction* fileNew = addCommand(file, "mnuFileNew", FileNew);
    fileNew->setShortcut(QKeySequence::New);
    connect(fileNew, &QAction::triggered, this, &frmMain::fileNew);
    QAction* open = addCommand(file, "mnuFileOpen", FileOpen);
    open->setShortcut(QKeySequence::Open);
    connect(open, &QAction::triggered, this, &frmMain::fileOpen);
    QAction* save = addCommand(file, "mnuFileSave", FileSave);
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, this, &frmMain::fileSave);
    QAction* saveAs = addCommand(file, "mnuFileSaveAs", FileSaveAs);
    connect(saveAs, &QAction::triggered, this, &frmMain::fileSaveAs);
    file->addSeparator();
    QAction* footer = addLaterCommand(file, "mnuFilePrintFooter", FilePrintFooter);
    QAction* printShort = addLaterCommand(file, "mnuFilePrintShort", FilePrintShort);
    QAction* printDetail = addLaterCommand(file, "mnuFilePrintDetail", FilePrintDetail);
    QAction* printParameters = addLaterCommand(file, "mnuFilePrintParameters", FilePrintParameters);
    QAction* printComments = addLaterCommand(file, "mnuFilePrintComments", FilePrintComments);
    file->addSeparator();
    QAction* send = addCommand(file, "mnuFileSend", FileSend);
    connect(send, &QAction::triggered, this, &frmMain::fileSend);
    addLaterCommand(file, "mnuFileFirmware", FileFirmware);
    file->addSeparator();
    QAction* exit = addCommand(file, "mnuFileExit", FileExit);
    exit->setShortcut(QKeySequence::Quit);
    connect(exit, &QAction::triggered, this, &QWidget::close);

    runModeDisabled_ << fileNew << open << save << saveAs << footer << printShort << printDetail
                     << printParameters << printComments;
}

void frmMain::buildEditMenu() {
    QMenu* edit = addMenu(nullptr, "mnuEdit", MenuEdit);
    QAction* cut = addCommand(edit, "mnuEditCut", EditCut);
    cut->setShortcut(QKeySequence::Cut);
    connect(cut, &QAction::triggered, this, &frmMain::editCut);
    QAction* copy = addCommand(edit, "mnuEditCopy", EditCopy);
    copy->setShortcut(QKeySequence::Copy);
    connect(copy, &QAction::triggered, this, &frmMain::editCopy);
    QAction* paste = addCommand(edit, "mnuEditPaste", EditPaste);
    paste->setShortcut(QKeySequence::Paste);
    connect(paste, &QAction::triggered, this, &frmMain::editPaste);
    edit->addSeparator();
    QAction* undo = addCommand(edit, "mnuEditUndo", EditUndo);
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    connect(undo, &QAction::triggered, this, &frmMain::editUndo);
    QAction* redo = addCommand(edit, "mnuEditRedo", EditRedo);
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    connect(redo, &QAction::triggered, this, &frmMain::editRedo);
    edit->addSeparator();
    QAction* find = addCommand(edit, "mnuEditFind", EditFind);
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(find, &QAction::triggered, this, &frmMain::editFind);
    addLaterCommand(edit, "mnuEditProperties", EditProperties);
    edit->addSeparator();
    QAction* normallyOpen = addCommand(edit, "mnuEditNormallyOpen", EditNormallyOpen);
    connect(normallyOpen, &QAction::triggered, this, [this] { editor_->MakeNormallyOpen(); });
    QAction* normallyClosed = addCommand(edit, "mnuEditNormallyClosed", EditNormallyClosed);
    connect(normallyClosed, &QAction::triggered, this, [this] { editor_->MakeNormallyClosed(); });
    QAction* retentive = addCommand(edit, "mnuEditRetentive", EditRetentive);
    connect(retentive, &QAction::triggered, this, [this] { editor_->SetRetentive(true); });
    QAction* nonRetentive = addCommand(edit, "mnuEditNonRetentive", EditNonRetentive);
    connect(nonRetentive, &QAction::triggered, this, [this] { editor_->SetRetentive(false); });
    edit->addSeparator();
    QAction* remove = addCommand(edit, "mnuEditDelete", EditDelete);
    remove->setShortcut(QKeySequence(Qt::Key_Delete));
    connect(remove, &QAction::triggered, this, [this] { editor_->DeleteElement(); });
    QAction* insertLine = addCommand(edit, "mnuEditInsertLine", EditInsertLine);
    insertLine->setShortcut(QKeySequence(Qt::Key_Insert));
    connect(insertLine, &QAction::triggered, this, [this] { editor_->InsertLine(); });
    QAction* deleteLine = addCommand(edit, "mnuEditDeleteLine", EditDeleteLine);
    deleteLine->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    connect(deleteLine, &QAction::triggered, this, [this] { editor_->DeleteLine(); });

    // Undo and Redo follow RefreshUndoRedoCommands; the other editing commands are refused by
    // the editor while simulating, and switched off here so that the menu says so.
    runModeDisabled_ << cut << paste << normallyOpen << normallyClosed << retentive << nonRetentive << remove
                     << insertLine << deleteLine;
}

void frmMain::buildViewMenu() {
    QMenu* view = addMenu(nullptr, "mnuView", MenuView);
    addLaterCommand(view, "mnuViewProgramMode", ViewProgramMode);
    addLaterCommand(view, "mnuViewFullScreen", ViewFullScreen);
    view->addSeparator();

    // The dock windows' own toggles keep the check marks true to what is on screen.
    const auto addToggle = [&](QAction* toggle, const char* objectName, int textId) {
        toggle->setObjectName(QString::fromLatin1(objectName));
        toggle->setText(LoadText(textId));
        SetTextId(toggle, textId);
        view->addAction(toggle);
        return toggle;
    };
    addToggle(errorDock_->toggleViewAction(), "mnuViewErrors", ViewErrors);
    addToggle(functionDock_->toggleViewAction(), "mnuViewFunctionToolbox", ViewFunctionToolbox);
    addToggle(ioDock_->toggleViewAction(), "mnuViewIOSimulator", ViewIOSimulator);
    addLaterCommand(view, "mnuViewZKeys", ViewZKeys);
    addLaterCommand(view, "mnuViewSoftText", ViewSoftText);
    mnuViewBar3_ = view->addSeparator();
    mnuViewBar3_->setObjectName(QStringLiteral("mnuViewBar3"));
    mnuViewTextDisplay_ = addLaterCommand(view, "mnuViewTextDisplay", ViewTextDisplay);
    view->addSeparator();

    QMenu* editMode = addMenu(view, "mnuViewEditMode", ViewEditMode);
    editModeGroup_ = new QActionGroup(this);
    const std::array<std::pair<const char*, int>, 3> styles = {{
        {"mnuEditModeDevice", EditModeDevice},
        {"mnuEditModePLC", EditModePlc},
        {"mnuEditModeElectrical", EditModeElectrical},
    }};
    for (int style = 0; style < 3; ++style) {
        QAction* action = addCommand(editMode, styles[style].first, styles[style].second);
        action->setCheckable(true);
        editModeGroup_->addAction(action);
        connect(action, &QAction::triggered, this, [this, style] { setDisplayStyle(style); });
        editModeActions_[style] = action;
    }
    addLaterCommand(view, "mnuViewParameters", ViewParameters);
    QAction* comments = addCommand(view, "mnuViewComments", ViewComments);
    connect(comments, &QAction::triggered, this, &frmMain::viewComments);
    view->addSeparator();
    // The toolbar's toggle joins in buildToolBar.
}

void frmMain::buildConfigurationMenu() {
    QMenu* config = addMenu(nullptr, "mnuConfig", MenuConfiguration);
    QAction* model = addCommand(config, "mnuConfigModel", ConfigModel);
    connect(model, &QAction::triggered, this, &frmMain::configModel);
    addLaterCommand(config, "mnuConfigUtilities", ConfigUtilities);
    mnuAnalog_ = addMenu(config, "mnuAnalog", MenuAnalog);
    addLaterCommand(mnuAnalog_, "mnuAnalogScaling", AnalogScaling);
    // A model change in the middle of a run would pull the program from under the scan.
    runModeDisabled_ << model;
}

void frmMain::buildSimulationMenu() {
    QMenu* simulation = addMenu(nullptr, "mnuSimulation", MenuSimulation);
    QAction* device = addLaterCommand(simulation, "mnuSimulationDevice", SimulationDevice);
    QAction* pc = addCommand(simulation, "mnuSimulationPC", SimulationPc);
    connect(pc, &QAction::triggered, this, &frmMain::simulationWithPc);
    QAction* stop = addCommand(simulation, "mnuSimulationStop", SimulationStop);
    connect(stop, &QAction::triggered, this, &frmMain::simulationStop);
    // F5 starts and stops: setRunMode hands the key to whichever of the two is on.
    runModeDisabled_ << device << pc;
}

void frmMain::buildTransferMenu() {
    QMenu* transfer = addMenu(nullptr, "mnuTransfer", MenuTransfer);
    QAction* program = addLaterCommand(transfer, "mnuTransferProgram", TransferProgram);
    QAction* clock = addLaterCommand(transfer, "mnuTransferClock", TransferClock);
    addLaterCommand(transfer, "mnuTransferComm", TransferComm);
    runModeDisabled_ << program << clock;
}

void frmMain::buildOptionsMenu() {
    QMenu* options = addMenu(nullptr, "mnuOptions", MenuOptions);
    QMenu* language = addMenu(options, "mnuOptionsLanguage", OptionsLanguage);
    auto* group = new QActionGroup(this);
    const std::array<std::pair<const char*, int>, 4> entries = {{
        {"mnuLanguageEnglish", LanguageEnglish},
        {"mnuLanguagePortuguese", LanguagePortuguese},
        {"mnuLanguagePolish", LanguagePolish},
        {"mnuLanguageSpanish", kSpanishMenuNoId},
    }};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        QAction* action = addCommand(language, entries[i].first, entries[i].second);
        if (entries[i].second == kSpanishMenuNoId) {
            action->setText(QString::fromUtf8(kLanguages[i].name));
        }
        action->setCheckable(true);
        action->setChecked(kLanguages[i].offset == settings_.LanguageOffset);
        group->addAction(action);
        const int offset = kLanguages[i].offset;
        connect(action, &QAction::triggered, this, [this, offset] { setLanguage(offset); });
        languageActions_[i] = action;
    }
    QAction* commPort = addCommand(options, "mnuOptionsCommPort", OptionsCommPort);
    connect(commPort, &QAction::triggered, this, &frmMain::showCommSettings);
    addLaterCommand(options, "mnuOptionsDeviceSimulator", OptionsDeviceSimulator);
    options->addSeparator();
    addLaterCommand(options, "mnuOptionsUsbDrivers", OptionsUsbDrivers);
    addLaterCommand(options, "mnuOptionsUsbVideo", OptionsUsbVideo);
}

void frmMain::buildWindowMenu() {
    QMenu* window = addMenu(nullptr, "mnuWindow", MenuWindow);
    connect(addCommand(window, "mnuWindowDocking", WindowDocking), &QAction::triggered, this,
            &frmMain::dockingView);
    connect(addCommand(window, "mnuWindowTileHorizontal", WindowTileHorizontal), &QAction::triggered, this,
            [this] { tileEditorWindows(Qt::Horizontal); });
    connect(addCommand(window, "mnuWindowTileVertical", WindowTileVertical), &QAction::triggered, this,
            [this] { tileEditorWindows(Qt::Vertical); });
    connect(addCommand(window, "mnuWindowCascade", WindowCascade), &QAction::triggered, this, [this] {
        mdiArea_->setViewMode(QMdiArea::SubWindowView);
        mdiArea_->cascadeSubWindows();
    });
    connect(addCommand(window, "mnuWindowArrangeIcons", WindowArrangeIcons), &QAction::triggered, this,
            &frmMain::arrangeIcons);
}

void frmMain::buildHelpMenu() {
    QMenu* help = addMenu(nullptr, "mnuHelp", MenuHelp);
    QAction* contents = addCommand(help, "mnuHelpContents", HelpContents);
    contents->setShortcut(QKeySequence::HelpContents);
    connect(contents, &QAction::triggered, this, &frmMain::showHelp);
    QAction* about = addCommand(help, "mnuHelpAbout", HelpAbout);
    connect(about, &QAction::triggered, this, &frmMain::showAbout);
    addLaterCommand(help, "mnuHelpWhatsNew", HelpWhatsNew);
}

void frmMain::buildToolBar() {
    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("tbToolBar"));
    toolBar_->setMovable(false);
    toolBar_->setIconSize(QSize(24, 24));
    addToolBar(Qt::TopToolBarArea, toolBar_);

    const auto add = [this](const char* key, const char* commandName) {
        QAction* action = command(commandName);
        const QString keyText = QString::fromLatin1(key);
        action->setIcon(makeIcon(keyText));
        action->setProperty("toolbarKey", keyText);
        toolBar_->addAction(action);
        toolbarActions_.insert(keyText, action);
        if (QWidget* button = toolBar_->widgetForAction(action)) {
            button->setObjectName(QStringLiteral("tb") + keyText);
        }
    };
    add("New", "mnuFileNew");
    add("Open", "mnuFileOpen");
    add("Save", "mnuFileSave");

    // Print: one button with the four printouts on its drop-down.
    printButton_ = new QToolButton(toolBar_);
    printButton_->setObjectName(QStringLiteral("tbPrint"));
    printButton_->setIcon(makeIcon(QStringLiteral("Print")));
    printButton_->setPopupMode(QToolButton::InstantPopup);
    printButton_->setProperty(kToolTipIdProperty, PrintButton);
    printButton_->setToolTip(LoadText(PrintButton));
    auto* printMenu = new QMenu(printButton_);
    printMenu->setObjectName(QStringLiteral("mnuToolbarPrint"));
    const std::array<std::pair<const char*, int>, 4> printouts = {{
        {"tbPrintShort", PrintInShort},
        {"tbPrintDetail", PrintInDetail},
        {"tbPrintParameters", PrintParameters},
        {"tbPrintComments", PrintComments},
    }};
    for (const auto& [name, id] : printouts) {
        addLaterCommand(printMenu, name, id);
    }
    printButton_->setMenu(printMenu);
    printButton_->setEnabled(false);
    toolBar_->addWidget(printButton_);
    toolBar_->addSeparator();

    add("Config", "mnuConfigModel");
    toolBar_->addSeparator();
    add("Copy", "mnuEditCopy");
    add("Cut", "mnuEditCut");
    add("Paste", "mnuEditPaste");
    add("Undo", "mnuEditUndo");
    add("Redo", "mnuEditRedo");
    add("Find", "mnuEditFind");
    toolBar_->addSeparator();
    add("SimulationWithPC", "mnuSimulationPC");
    add("SimulationWithPLC", "mnuSimulationDevice");
    add("SimulationEnd", "mnuSimulationStop");
    toolBar_->addSeparator();
    add("Parameters", "mnuViewParameters");
    add("Transfer", "mnuTransferProgram");
    add("ClockTransfer", "mnuTransferClock");
    toolBar_->addSeparator();
    add("Help", "mnuHelpContents");

    QMenu* view = findChild<QMenu*>(QStringLiteral("mnuView"));
    QAction* toggle = toolBar_->toggleViewAction();
    toggle->setObjectName(QStringLiteral("mnuViewToolbar"));
    toggle->setText(LoadText(ViewToolbar));
    SetTextId(toggle, ViewToolbar);
    view->addAction(toggle);
}

void frmMain::buildStatusBar() {
    statusBar()->setObjectName(QStringLiteral("sbStatusBar"));
    sbModePanel_ = new QLabel(this);
    sbModePanel_->setObjectName(QStringLiteral("sbStatusBarMode"));
    sbModePanel_->setContentsMargins(6, 0, 6, 0);
    statusBar()->addWidget(sbModePanel_);
    sbModelPanel_ = new QLabel(this);
    sbModelPanel_->setObjectName(QStringLiteral("sbStatusBarModel"));
    sbModelPanel_->setContentsMargins(6, 0, 6, 0);
    statusBar()->addPermanentWidget(sbModelPanel_);
}

void frmMain::wireEditor() {
    LadderEditor* editor = editor_.get();
    connect(editor, &LadderEditor::gridChanged, view_, &LadderView::refresh);
    connect(editor, &LadderEditor::gridChanged, errorList_, &ErrorListWindow::refresh);
    connect(editor, &LadderEditor::selectionChanged, view_, &LadderView::refresh);
    connect(editor, &LadderEditor::selectionChanged, this,
            [this] { updateEditCaptions(editor_->LineSelected()); });
    connect(editor, &LadderEditor::undoStateChanged, this, [this] { RefreshUndoRedoCommands(); });
    connect(&document_, &ProgramDocument::captionChanged, this, &frmMain::updateCaption);
    connect(&document_, &ProgramDocument::programReplaced, this, [this] {
        ++programsReplaced_;
        UpdateModelDisplay();
    });
}

// ---- Captions and state ----

void frmMain::retranslate() {
    // Titles first: a dock's or toolbar's toggle takes the title as its text, and ApplyCaptions
    // then puts the menu caption back.
    functionDock_->setWindowTitle(WithoutAccelerators(LoadText(ViewFunctionToolbox)));
    errorDock_->setWindowTitle(WithoutAccelerators(LoadText(ViewErrors)));
    ioDock_->setWindowTitle(WithoutAccelerators(LoadText(ViewIOSimulator)));
    toolBar_->setWindowTitle(LoadText(MainToolbar));
    editorWindow_->setWindowTitle(LoadText(EditorWindowTitle));
    ApplyCaptions(this);
    updateEditCaptions(editor_->LineSelected());
    const QString later = LoadText(LaterVersion);
    for (QAction* action : std::as_const(laterCommands_)) {
        action->setToolTip(WithoutAccelerators(action->text()) + QStringLiteral(" (") + later +
                           QLatin1Char(')'));
        action->setStatusTip(later);
    }
    printButton_->setToolTip(LoadText(PrintButton) + QStringLiteral(" (") + later + QLatin1Char(')'));
    updateModePanel();
}

void frmMain::updateEditCaptions(bool lineSelected) {
    const std::array<std::tuple<const char*, int, int>, 3> entries = {{
        {"mnuEditCut", EditCut, EditCutLine},
        {"mnuEditCopy", EditCopy, EditCopyLine},
        {"mnuEditPaste", EditPaste, EditPasteLine},
    }};
    for (const auto& [name, elementId, lineId] : entries) {
        QAction* action = command(name);
        const int id = lineSelected ? lineId : elementId;
        SetTextId(action, id);
        action->setText(LoadText(id));
    }
}

void frmMain::updateModePanel() {
    sbModePanel_->setText(LoadText(simulating_ ? ModeSimulatingPc : ModeEditing));
}

QAction* frmMain::languageAction(int offset) const {
    for (std::size_t i = 0; i < kLanguages.size(); ++i) {
        if (kLanguages[i].offset == offset) {
            return languageActions_[i];
        }
    }
    return nullptr;
}

HelpWindow* frmMain::helpWindow() const {
    return qobject_cast<HelpWindow*>(helpWindow_.data());
}

frmFind* frmMain::findDialog() const {
    return qobject_cast<frmFind*>(findDialog_.data());
}

QToolButton* frmMain::toolbarButton(const QString& key) const {
    if (key == QLatin1String("Print")) {
        return printButton_;
    }
    QAction* action = toolbarActions_.value(key);
    return action ? qobject_cast<QToolButton*>(toolBar_->widgetForAction(action)) : nullptr;
}

void frmMain::updateCaption() {
    setWindowTitle(MainWindowCaption(program_.ProgramFileName, program_.ProgramFilePath));
}

void frmMain::UpdateModelDisplay() {
    const int model = program_.ModelIndex;
    if (!IsValidModel(model)) {
        return;
    }
    sbModelPanel_->setText(QString::fromLatin1(ModelDisplayName(model)));
    functionSelector_->UpdateModelDisplay(model);
    mnuAnalog_->menuAction()->setEnabled(HasAnalog(model));
    mnuViewTextDisplay_->setVisible(HasDisplay(model));
    mnuViewBar3_->setVisible(HasDisplay(model));
}

void frmMain::RefreshUndoRedoCommands(bool disable) {
    const bool off = disable || simulating_ || editor_->SimulationActive();
    command("mnuEditUndo")->setEnabled(!off && editor_->CanUndo());
    command("mnuEditRedo")->setEnabled(!off && editor_->CanRedo());
}

void frmMain::refreshViews() {
    view_->refresh();
    errorList_->refresh();
}

// Retentive relays, the input image and the sliders belong to one program: another program
// starts with a fresh simulation.
void frmMain::createRunner() {
    delete runner_;
    runner_ = new PcSimulationRunner(*editor_, prompter_, ioDock_, this);
    // The compilation dump goes beside the application's copy of the program.
    runner_->setDumpPath(QFileInfo(document_.applicationCopyPath()).absolutePath() +
                         QStringLiteral("/x.txt"));
    connect(runner_, &PcSimulationRunner::started, this, &frmMain::onSimulationStarted);
    connect(runner_, &PcSimulationRunner::ended, this, &frmMain::onSimulationEnded);
}

void frmMain::programLoaded() {
    if (!runner_->running()) {
        createRunner();
    }
    editor_->reset();
    UpdateModelDisplay();
    updateEditCaptions(editor_->LineSelected());
    refreshViews();
    RefreshUndoRedoCommands();
    view_->setFocus();
}

void frmMain::setLanguage(int offset) {
    settings_.LanguageOffset = offset;
    for (std::size_t i = 0; i < kLanguages.size(); ++i) {
        languageActions_[i]->setChecked(kLanguages[i].offset == offset);
    }
    QString error;
    if (!WriteSettings(settingsPath_, settings_, &error)) {
        prompter_.warn(QStringLiteral("The settings could not be saved to %1: %2").arg(settingsPath_, error));
    }
    prompter_.inform(LoadText(LanguageChangeNote, offset));
}

void frmMain::showCommSettings() {
    ser_setting_form dialog(*commLink_, program_.ModelIndex, this);
    // Connect and Disconnect save at once: the dialog may still be cancelled afterwards.
    connect(&dialog, &ser_setting_form::settingsToSave, this, &frmMain::saveCommSettings);
    const int result = commDialogRunner_ ? commDialogRunner_(dialog) : dialog.exec();
    if (result == QDialog::Accepted) {
        saveCommSettings();
    }
}

void frmMain::saveCommSettings() {
    QString error;
    if (!SaveCommSettings(commLink_->state(), settings_, settingsPath_, &error)) {
        prompter_.warn(QStringLiteral("The settings could not be saved to %1: %2").arg(settingsPath_, error));
    }
}

void frmMain::setDisplayStyle(int style) {
    applyDisplayStyle(style);
    openWindowSettings()->setValue(QStringLiteral("Startup/ViewMode"), displayStyle_);
}

void frmMain::applyDisplayStyle(int style) {
    displayStyle_ = (style == 1 || style == 2) ? style : 0;
    editModeActions_[displayStyle_]->setChecked(true);
    view_->setDisplayStyle(displayStyle_);
}

// ---- File ----

void frmMain::fileNew() {
    runDocumentCommand([this] { document_.NewProgram(); });
}

void frmMain::fileOpen() {
    runDocumentCommand([this] { document_.OpenProgram(); });
}

void frmMain::fileSave() {
    runDocumentCommand([this] { document_.SaveProgram(); });
}

void frmMain::fileSaveAs() {
    runDocumentCommand([this] { document_.SaveProgramAs(); });
}

void frmMain::openDroppedFile(const QString& path) {
    if (simulating_) {
        return;
    }
    runDocumentCommand([this, &path] {
        // A dropped file is opened as File / Open does: unsaved changes are offered first.
        if (program_.ProgramModified) {
            const Reply reply = prompter_.askYesNoCancel(LoadText(SaveChangesQuestion));
            if (reply == Reply::Cancel ||
                (reply == Reply::Yes && document_.SaveProgramAs() != ProgramDocument::Outcome::Done)) {
                return;
            }
        }
        document_.OpenFile(path);
    });
}

void frmMain::runDocumentCommand(const std::function<void()>& run) {
    const int before = programsReplaced_;
    run();
    // A new program in place (New, Open, or a failed open that emptied it) starts at the first
    // cell; otherwise only the caption and the views change.
    if (programsReplaced_ != before) {
        programLoaded();
    } else {
        updateCaption();
        refreshViews();
        RefreshUndoRedoCommands();
    }
}

void frmMain::fileSend() {
    const QString folder =
        QFileInfo(document_.applicationCopyPath()).absolutePath() + QStringLiteral("/Attachment");
    const QString path = folder + QStringLiteral("/Attachment.h53");
    QDir().mkpath(folder);
    QString error;
    if (!WriteProgramFile(program_, path, &error)) {
        prompter_.warn(LoadText(AttachmentNotWritten) + error);
        return;
    }
    QString mail = qEnvironmentVariable(kMailCommandVariable);
    if (mail.isEmpty()) {
        mail = QStringLiteral("xdg-email");
    }
    const QStringList arguments = {QStringLiteral("--subject"), QString::fromLatin1(kMailSubject),
                                   QStringLiteral("--attach"), path};
    if (!QProcess::startDetached(mail, arguments)) {
        prompter_.warn(LoadText(MailNotStarted).arg(QDir::toNativeSeparators(path)));
    }
}

// ---- Edit ----

void frmMain::editCut() {
    if (const std::optional<QString> text = editor_->Cut()) {
        QGuiApplication::clipboard()->setText(*text);
    }
}

void frmMain::editCopy() {
    if (const std::optional<QString> text = editor_->Copy()) {
        QGuiApplication::clipboard()->setText(*text);
    }
}

void frmMain::editPaste() {
    editor_->Paste(QGuiApplication::clipboard()->text());
}

void frmMain::editUndo() {
    RefreshUndoRedoCommands(true);
    editor_->Undo();
    refreshViews();
    RefreshUndoRedoCommands();
}

void frmMain::editRedo() {
    RefreshUndoRedoCommands(true);
    editor_->Redo();
    refreshViews();
    RefreshUndoRedoCommands();
}

void frmMain::editFind() {
    if (!findDialog_) {
        auto* dialog = new frmFind(*editor_, this);
        dialog->setObjectName(QStringLiteral("frmFind"));
        ApplyCaptions(dialog);
        findDialog_ = dialog;
    }
    findDialog_->show();
    findDialog_->raise();
    findDialog_->activateWindow();
}

// ---- View and configuration ----

void frmMain::viewComments() {
    frmAllComments dialog(*editor_, this);
    ApplyCaptions(&dialog);
    dialog.exec();
    refreshViews();
}

void frmMain::configModel() {
    if (simulating_) {
        return;
    }
    config_form dialog(*editor_, prompter_, this);
    ApplyCaptions(&dialog);
    if (dialog.exec() == QDialog::Accepted) {
        UpdateModelDisplay();
    }
}

// ---- Simulation ----

void frmMain::simulationWithPc() {
    if (simulating_ || runner_->running()) {
        return;
    }
    runner_->RunPcSimulation();
}

void frmMain::simulationStop() {
    runner_->stop();
}

void frmMain::onSimulationStarted() {
    simulating_ = true;
    editor_->setSimulationActive(true);
    view_->setLiveEngine(&runner_->engine());
    // Nothing can be placed or fixed while the program runs: the toolbox and the error list
    // make room for the panel and come back afterwards.
    errorListWasVisible_ = !errorDock_->isHidden();
    toolboxWasVisible_ = !functionDock_->isHidden();
    errorDock_->hide();
    functionDock_->hide();
    if (I_O_form* panel = runner_->panel()) {
        // The runner makes the panel a tool window; here it becomes the content of its dock.
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

void frmMain::onSimulationEnded() {
    simulating_ = false;
    editor_->setSimulationActive(false);
    view_->setLiveEngine(nullptr);
    ioDock_->hide();
    errorDock_->setVisible(errorListWasVisible_);
    functionDock_->setVisible(toolboxWasVisible_);
    setRunMode(false);
    RefreshUndoRedoCommands();
}

void frmMain::setRunMode(bool running) {
    for (QAction* action : std::as_const(runModeDisabled_)) {
        setCommandEnabled(action, !running);
    }
    QAction* stop = command("mnuSimulationStop");
    stop->setEnabled(running);
    stop->setShortcut(running ? QKeySequence(Qt::Key_F5) : QKeySequence());
    command("mnuSimulationPC")->setShortcut(running ? QKeySequence() : QKeySequence(Qt::Key_F5));
    ioDock_->toggleViewAction()->setEnabled(running);
    updateModePanel();
    RefreshUndoRedoCommands();
}

bool frmMain::endSimulationForExit() {
    if (!simulating_ && !runner_->running()) {
        return true;
    }
    if (!prompter_.askYesNo(LoadText(EndSimulationQuestion))) {
        return false;
    }
    runner_->stop();
    // The run ends at its next turn of the event loop; wait for it, but not for ever.
    QElapsedTimer waited;
    waited.start();
    while ((runner_->running() || simulating_) && waited.elapsed() < 2000) {
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

void frmMain::tileEditorWindows(Qt::Orientation orientation) {
    mdiArea_->setViewMode(QMdiArea::SubWindowView);
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : mdiArea_->subWindowList()) {
        if (window->isVisible() && !window->isMinimized()) {
            windows << window;
        }
    }
    if (windows.isEmpty()) {
        return;
    }
    const QRect area = mdiArea_->viewport()->rect();
    const int count = static_cast<int>(windows.size());
    for (int i = 0; i < count; ++i) {
        QMdiSubWindow* window = windows[i];
        window->showNormal();
        if (orientation == Qt::Horizontal) {
            // One above the other, each the full width.
            const int height = area.height() / count;
            window->setGeometry(0, i * height, area.width(), height);
        } else {
            const int width = area.width() / count;
            window->setGeometry(i * width, 0, width, area.height());
        }
    }
}

void frmMain::arrangeIcons() {
    mdiArea_->setViewMode(QMdiArea::SubWindowView);
    const QRect area = mdiArea_->viewport()->rect();
    int x = 0;
    for (QMdiSubWindow* window : mdiArea_->subWindowList()) {
        if (window->isMinimized()) {
            const QSize size = window->size();
            window->move(x, area.height() - size.height());
            x += size.width();
        }
    }
}

// ---- Help ----

void frmMain::showHelp() {
    if (!HelpWindow::helpAvailable()) {
        prompter_.inform(LoadText(HelpMissing));
        return;
    }
    if (!helpWindow_) {
        helpWindow_ = new HelpWindow(this);
    }
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
}

void frmMain::showAbout() {
    auto* dialog = new QDialog(this);
    dialog->setObjectName(QStringLiteral("dlgAbout"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(WithoutAccelerators(LoadText(HelpAbout)));
    auto* layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(10);

    auto* title = new QLabel(QString::fromLatin1(kProductTitle), dialog);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    title->setFont(titleFont);
    auto* version = new QLabel(LoadText(Version) + u' ' + QString::fromLatin1(kVersionText), dialog);
    version->setObjectName(QStringLiteral("lblVersion"));
    auto* description = new QLabel(LoadText(AboutDescription), dialog);
    description->setObjectName(QStringLiteral("lblDescription"));
    description->setWordWrap(true);
    description->setMinimumWidth(340);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);

    layout->addWidget(title);
    layout->addWidget(version);
    layout->addWidget(description);
    layout->addSpacing(6);
    layout->addWidget(buttons);
    dialog->open();
}

// ---- Window settings and exit ----

std::unique_ptr<QSettings> frmMain::openWindowSettings() const {
    if (windowSettingsPath_.isEmpty()) {
        return std::make_unique<QSettings>(QString::fromLatin1(kSettingsOrganization),
                                           QString::fromLatin1(kSettingsApplication));
    }
    return std::make_unique<QSettings>(windowSettingsPath_, QSettings::IniFormat);
}

void frmMain::restoreWindowSettings() {
    const std::unique_ptr<QSettings> store = openWindowSettings();
    const auto read = [&store](const char* key, int fallback) {
        bool ok = false;
        const int value = store->value(QString::fromLatin1(key), fallback).toInt(&ok);
        return ok ? value : fallback;
    };
    int left = read("Settings/MainLeft", kDefaultMainLeft);
    int top = read("Settings/MainTop", kDefaultMainTop);
    int width = read("Settings/MainWidth", kDefaultMainWidth);
    int height = read("Settings/MainHeight", kDefaultMainHeight);
    // A window too small to use, or one left on a screen that is gone, starts where a first
    // start would.
    const int minimum = 200 * kTwipsPerPixel;
    if (width < minimum || height < minimum || width > 100000 || height > 100000) {
        width = kDefaultMainWidth;
        height = kDefaultMainHeight;
    }
    const QRect wanted(qRound(left / double(kTwipsPerPixel)), qRound(top / double(kTwipsPerPixel)),
                       qRound(width / double(kTwipsPerPixel)), qRound(height / double(kTwipsPerPixel)));
    bool onScreen = false;
    for (const QScreen* screen : QGuiApplication::screens()) {
        onScreen = onScreen || screen->geometry().intersects(wanted.adjusted(0, 0, 0, -wanted.height() + 40));
    }
    if (!onScreen) {
        left = kDefaultMainLeft;
        top = kDefaultMainTop;
    }
    move(qRound(left / double(kTwipsPerPixel)), qRound(top / double(kTwipsPerPixel)));
    resize(wanted.size());

    applyDisplayStyle(read("Startup/ViewMode", 0));
}

void frmMain::storeWindowSettings() {
    const QRect frame =
        (isMaximized() || isMinimized() || isFullScreen()) ? normalGeometry() : QRect(pos(), size());
    const std::unique_ptr<QSettings> store = openWindowSettings();
    store->setValue(QStringLiteral("Settings/MainLeft"), frame.x() * kTwipsPerPixel);
    store->setValue(QStringLiteral("Settings/MainTop"), frame.y() * kTwipsPerPixel);
    store->setValue(QStringLiteral("Settings/MainWidth"), frame.width() * kTwipsPerPixel);
    store->setValue(QStringLiteral("Settings/MainHeight"), frame.height() * kTwipsPerPixel);
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
    if (!endSimulationForExit() || !document_.QueryClose()) {
        event->ignore();
        return;
    }
    closed_ = true;
    storeWindowSettings();
    if (findDialog_) {
        findDialog_->close();
    }
    if (helpWindow_) {
        helpWindow_->close();
    }
    event->accept();
}

}  // namespace bdx
