#include "ladder_controller.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>

#include "editor/ladder_editor.h"
#include "error_list_window.h"
#include "frm_all_comments.h"
#include "frm_find.h"
#include "function_selector.h"
#include "ladder/program_file.h"
#include "ladder_view.h"
#include "quick_place_commands.h"
#include "xref_window.h"
#include "shell/language_table.h"
#include "shell/prompter.h"
#include "ui/main/app_context.h"
#include "ui/main/frm_main.h"
#include "ui/sim/io_form.h"
#include "ui/sim/pc_simulation_runner.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    EditCut = 122,
    EditCopy = 123,
    EditPaste = 124,
    SaveChangesQuestion = 4211,
    EditCutLine = 8040,
    EditCopyLine = 8041,
    EditPasteLine = 8042,
    MailNotStarted = 8057,
    AttachmentNotWritten = 8058,
};

const char* const kMailSubject = "Your message subject";

}  // namespace

LadderController::LadderController(AppContext& context, frmMain& frame) : context_(context), frame_(frame) {
    LadderEditor& editor = context_.editor();
    view_ = new LadderView(editor, context_.prompter());
    view_->setObjectName(QStringLiteral("ladderView"));
    frame_.setEditorView(view_);
    // Made without a parent: the dock makes each piece a plain child, whatever kind of window it
    // was built as.
    selector_ = new FunctionSelector(editor);
    selector_->setObjectName(QStringLiteral("functionSelector"));
    frame_.functionDock()->setWidget(selector_);
    errorList_ = new ErrorListWindow(editor);
    errorList_->setObjectName(QStringLiteral("errorListWindow"));
    frame_.errorDock()->setWidget(errorList_);
    xref_ = new XrefWindow(editor);
    xref_->setObjectName(QStringLiteral("xrefWindow"));
    frame_.xrefDock()->setWidget(xref_);

    connect(view_, &LadderView::fileDropped, this, &LadderController::openDroppedFile);
    connect(view_, &LadderView::lineSelectionChanged, this, &LadderController::updateEditCaptions);
    // The block dialogs belong to the blocks controller, which owns the Properties command.
    connect(view_, &LadderView::propertiesRequested, this, [this] {
        if (QAction* properties = frame_.command(QStringLiteral("mnuEditProperties"))) {
            properties->trigger();
        }
    });
    connect(selector_, &FunctionSelector::operandPlaced, this, [this] { view_->setFocus(); });
    connect(errorList_, &ErrorListWindow::lineChosen, this, [this] { view_->setFocus(); });
    connect(xref_, &XrefWindow::lineChosen, this, [this] { view_->setFocus(); });

    connect(&frame_, &frmMain::displayStyleChanged, view_, &LadderView::setDisplayStyle);
    connect(&frame_, &frmMain::modelShown, selector_, &FunctionSelector::UpdateModelDisplay);
    connect(&frame_, &frmMain::captionsApplied, this, [this] {
        updateEditCaptions(context_.editor().LineSelected());
        xref_->refresh();  // the use column is in the language in force
    });
    connect(&frame_, &frmMain::programInPlace, this, &LadderController::programLoaded);
    connect(&frame_, &frmMain::runModeChanged, this, [this](bool simulating) {
        view_->setLiveEngine(simulating ? &context_.simulation().engine() : nullptr);
        refreshViews();
        refreshUndoRedo();
    });
    PcSimulationRunner& runner = context_.simulation();
    connect(&runner, &PcSimulationRunner::steeringChanged, this,
            [this, &runner] { view_->setLivePaused(runner.paused()); });
    connect(&runner, &PcSimulationRunner::scanned, this, [this, &runner] {
        if (runner.paused()) {
            view_->setLivePaused(true);
        }
    });
    connect(&frame_, &frmMain::closing, this, [this] {
        if (findDialog_) {
            findDialog_->close();
        }
    });
    connect(&editor, &LadderEditor::selectionChanged, this,
            [this] { updateEditCaptions(context_.editor().LineSelected()); });
    connect(&editor, &LadderEditor::undoStateChanged, this, [this] { refreshUndoRedo(); });
    connect(&context_.document(), &ProgramDocument::programReplaced, this, [this] { ++programsReplaced_; });
    registerCommands();
    InstallQuickPlaceCommands(frame_, editor, *view_);
}

frmFind* LadderController::findDialog() const {
    return findDialog_.data();
}

LadderController::~LadderController() {
    delete findDialog_.data();
}

void LadderController::registerCommands() {
    LadderEditor& editor = context_.editor();
    ProgramDocument& document = context_.document();
    frame_.registerCommand("mnuFileNew",
                           [this, &document] { runDocumentCommand([&] { document.NewProgram(); }); });
    frame_.registerCommand("mnuFileOpen",
                           [this, &document] { runDocumentCommand([&] { document.OpenProgram(); }); });
    frame_.registerCommand("mnuFileSave",
                           [this, &document] { runDocumentCommand([&] { document.SaveProgram(); }); });
    frame_.registerCommand("mnuFileSaveAs",
                           [this, &document] { runDocumentCommand([&] { document.SaveProgramAs(); }); });
    frame_.registerCommand("mnuFileSend", [this] { fileSend(); });

    frame_.registerCommand("mnuEditCut", [this] { copyToClipboard(true); });
    frame_.registerCommand("mnuEditCopy", [this] { copyToClipboard(false); });
    frame_.registerCommand("mnuEditPaste", [&editor] { editor.Paste(QGuiApplication::clipboard()->text()); });
    frame_.registerCommand("mnuEditUndo", [this] { undoOrRedo(true); });
    frame_.registerCommand("mnuEditRedo", [this] { undoOrRedo(false); });
    frame_.registerCommand("mnuEditFind", [this] { editFind(); });
    frame_.registerCommand("mnuEditNormallyOpen", [&editor] { editor.MakeNormallyOpen(); });
    frame_.registerCommand("mnuEditNormallyClosed", [&editor] { editor.MakeNormallyClosed(); });
    frame_.registerCommand("mnuEditRetentive", [&editor] { editor.SetRetentive(true); });
    frame_.registerCommand("mnuEditNonRetentive", [&editor] { editor.SetRetentive(false); });
    frame_.registerCommand("mnuEditDelete", [&editor] { editor.DeleteElement(); });
    frame_.registerCommand("mnuEditInsertLine", [&editor] { editor.InsertLine(); });
    frame_.registerCommand("mnuEditDeleteLine", [&editor] { editor.DeleteLine(); });
    frame_.registerCommand("mnuViewComments", [this] { viewComments(); });
}

void LadderController::programLoaded() {
    LadderEditor& editor = context_.editor();
    editor.reset();
    updateEditCaptions(editor.LineSelected());
    refreshViews();
    refreshUndoRedo();
    view_->setFocus();
}

void LadderController::runDocumentCommand(const std::function<void()>& run) {
    const int before = programsReplaced_;
    run();
    // A new program in place (New, Open, or a failed open that emptied it) starts at the first
    // cell; otherwise only the caption and the views change.
    if (programsReplaced_ != before) {
        frame_.programLoaded();
    } else {
        frame_.updateCaption();
        refreshViews();
        refreshUndoRedo();
    }
}

void LadderController::openDroppedFile(const QString& path) {
    if (frame_.simulationRunning()) {
        return;
    }
    runDocumentCommand([this, &path] {
        // A dropped file is opened as File / Open does: unsaved changes are offered first.
        ProgramDocument& document = context_.document();
        if (context_.program().ProgramModified) {
            const Reply reply = context_.prompter().askYesNoCancel(LoadText(SaveChangesQuestion));
            if (reply == Reply::Cancel ||
                (reply == Reply::Yes && document.SaveProgramAs() != ProgramDocument::Outcome::Done)) {
                return;
            }
        }
        document.OpenFile(path);
    });
}

void LadderController::fileSend() {
    const QString folder =
        QFileInfo(context_.document().applicationCopyPath()).absolutePath() + QStringLiteral("/Attachment");
    const QString path = folder + QStringLiteral("/Attachment.h53");
    QDir().mkpath(folder);
    QString error;
    if (!WriteProgramFile(context_.program(), path, &error)) {
        context_.prompter().warn(LoadText(AttachmentNotWritten) + error);
        return;
    }
    QString mail = qEnvironmentVariable(kMailCommandVariable);
    if (mail.isEmpty()) {
        mail = QStringLiteral("xdg-email");
    }
    const QStringList arguments = {QStringLiteral("--subject"), QString::fromLatin1(kMailSubject),
                                   QStringLiteral("--attach"), path};
    if (!QProcess::startDetached(mail, arguments)) {
        context_.prompter().warn(LoadText(MailNotStarted).arg(QDir::toNativeSeparators(path)));
    }
}

void LadderController::copyToClipboard(bool cut) {
    LadderEditor& editor = context_.editor();
    if (const std::optional<QString> text = cut ? editor.Cut() : editor.Copy()) {
        QGuiApplication::clipboard()->setText(*text);
    }
}

void LadderController::undoOrRedo(bool undo) {
    refreshUndoRedo(true);
    // The editor's signals repaint the views and refresh the commands afterwards.
    undo ? context_.editor().Undo() : context_.editor().Redo();
    refreshUndoRedo();
}

void LadderController::editFind() {
    if (!findDialog_) {
        findDialog_ = new frmFind(context_.editor(), &frame_);
        findDialog_->setObjectName(QStringLiteral("frmFind"));
        ApplyCaptions(findDialog_);
    }
    findDialog_->show();
    findDialog_->raise();
    findDialog_->activateWindow();
}

void LadderController::viewComments() {
    frmAllComments dialog(context_.editor(), &frame_);
    ApplyCaptions(&dialog);
    context_.runDialog(dialog);
}

void LadderController::refreshViews() {
    view_->refresh();
    errorList_->refresh();
    xref_->refresh();
}

void LadderController::refreshUndoRedo(bool disable) {
    const LadderEditor& editor = context_.editor();
    const bool off = disable || frame_.simulationRunning() || editor.SimulationActive();
    frame_.command(QStringLiteral("mnuEditUndo"))->setEnabled(!off && editor.CanUndo());
    frame_.command(QStringLiteral("mnuEditRedo"))->setEnabled(!off && editor.CanRedo());
}

void LadderController::updateEditCaptions(bool lineSelected) {
    const std::array<std::tuple<const char*, int, int>, 3> entries = {{
        {"mnuEditCut", EditCut, EditCutLine},
        {"mnuEditCopy", EditCopy, EditCopyLine},
        {"mnuEditPaste", EditPaste, EditPasteLine},
    }};
    for (const auto& [name, elementId, lineId] : entries) {
        QAction* action = frame_.command(QString::fromLatin1(name));
        const int id = lineSelected ? lineId : elementId;
        SetTextId(action, id);
        action->setText(LoadText(id));
    }
}

}  // namespace bdx
