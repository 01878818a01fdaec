#include "view_controller.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QMenu>

#include "app_context.h"
#include "frm_main.h"
#include "ladder/program_document.h"
#include "shell/language_table.h"
#include "shell/prompter.h"
#include "ui/ladder/ladder_view.h"

namespace bdx {

namespace {

enum TextId {
    RecentFileMissing = 8479,
    ZoomStatus = 8480,
};

}  // namespace

ViewController::ViewController(AppContext& context, frmMain& frame)
    : QObject(&frame), context_(context), frame_(frame) {
    frame_.registerCommand("mnuViewZoomIn", [this] { setZoomPercent(SteppedZoom(zoom_, 1)); });
    frame_.registerCommand("mnuViewZoomOut", [this] { setZoomPercent(SteppedZoom(zoom_, -1)); });
    frame_.registerCommand("mnuViewZoomNormal", [this] { setZoomPercent(kZoomNormal); });
    // Keyboards that need Shift for "+" still zoom in with the key beside it.
    QAction* zoomIn = frame_.command(QStringLiteral("mnuViewZoomIn"));
    zoomIn->setShortcuts({zoomIn->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    QAction* redo = frame_.command(QStringLiteral("mnuEditRedo"));
    redo->setShortcuts({redo->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});

    QAction* fullScreen = frame_.registerCommand("mnuViewFullScreen", [this] { toggleFullScreen(); });
    fullScreen->setCheckable(true);
    frame_.registerCommand("mnuViewProgramMode", [this] { programMode(); });

    if (LadderView* view = ladderView()) {
        connect(view, &LadderView::zoomRequested, this,
                [this](int steps) { setZoomPercent(SteppedZoom(zoom_, steps)); });
    }
    zoom_ = frame_.windowSettings().zoomPercent();
    showZoom();

    recentMenu_ = frame_.findChild<QMenu*>(QStringLiteral("mnuFileRecent"));
    recent_ = frame_.windowSettings().recentFiles();
    // Opening and saving both end with a new caption; the file named then is the one in hand.
    connect(&context_.document(), &ProgramDocument::captionChanged, this, &ViewController::programSaved);
    connect(&context_.document(), &ProgramDocument::programReplaced, this, &ViewController::programSaved);
    connect(&frame_, &frmMain::runModeChanged, this, [this] { rebuildRecentMenu(); });
    // A program named on the command line counts as opened.
    programSaved();
    rebuildRecentMenu();
}

ViewController::~ViewController() = default;

LadderView* ViewController::ladderView() const {
    QMdiSubWindow* editor = frame_.editorWindow();
    return editor ? qobject_cast<LadderView*>(editor->widget()) : nullptr;
}

void ViewController::setZoomPercent(int percent) {
    zoom_ = ClampZoom(percent);
    showZoom();
    frame_.windowSettings().storeZoomPercent(zoom_);
    frame_.showStatusMessage(LoadText(ZoomStatus).arg(zoom_));
}

void ViewController::showZoom() {
    if (LadderView* view = ladderView()) {
        view->setZoomPercent(zoom_);
    }
    frame_.command(QStringLiteral("mnuViewZoomIn"))->setEnabled(zoom_ < kZoomMaximum);
    frame_.command(QStringLiteral("mnuViewZoomOut"))->setEnabled(zoom_ > kZoomMinimum);
}

void ViewController::toggleFullScreen() {
    if (frame_.isFullScreen()) {
        frame_.showNormal();
    } else {
        frame_.showFullScreen();
    }
    frame_.command(QStringLiteral("mnuViewFullScreen"))->setChecked(frame_.isFullScreen());
}

void ViewController::programMode() {
    // Back to editing: the editor window in front, filling the frame, with the keyboard.
    if (QMdiSubWindow* editor = frame_.editorWindow()) {
        editor->showMaximized();
        editor->raise();
        if (editor->widget() != nullptr) {
            editor->widget()->setFocus();
        }
    }
}

void ViewController::programSaved() {
    const QString path = context_.program().ProgramFilePath;
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        return;
    }
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (!recent_.isEmpty() && recent_.first() == absolute) {
        return;
    }
    recent_ = WithRecentFile(recent_, absolute);
    frame_.windowSettings().storeRecentFiles(recent_);
    rebuildRecentMenu();
}

void ViewController::openRecent(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        recent_.removeAll(path);
        frame_.windowSettings().storeRecentFiles(recent_);
        rebuildRecentMenu();
        context_.prompter().warn(LoadText(RecentFileMissing).arg(QDir::toNativeSeparators(path)));
        return;
    }
    // The editor opens it as a file dropped on it: unsaved changes are offered first.
    if (LadderView* view = ladderView()) {
        Q_EMIT view->fileDropped(path);
    }
}

void ViewController::rebuildRecentMenu() {
    if (recentMenu_ == nullptr) {
        return;
    }
    recentMenu_->clear();
    for (int i = 0; i < recent_.size(); ++i) {
        const QString path = recent_[i];
        // "&1 name" makes the digit the entry's key; a file name's own ampersands stay literal.
        QString shown = QDir::toNativeSeparators(path);
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* entry = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        entry->setObjectName(QStringLiteral("mnuFileRecent%1").arg(i + 1));
        connect(entry, &QAction::triggered, this, [this, path] { openRecent(path); });
    }
    recentMenu_->menuAction()->setEnabled(!recent_.isEmpty() && !frame_.simulationRunning());
}

}  // namespace bdx
