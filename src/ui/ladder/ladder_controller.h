#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

namespace bdx {

class AppContext;
class ErrorListWindow;
class XrefWindow;
class FunctionSelector;
class LadderView;
class frmFind;
class frmMain;

// Environment variable naming the mail program that File / Send uses instead of xdg-email.
inline constexpr const char* kMailCommandVariable = "BDX_MAIL_COMMAND";

// The ladder program in the frame: the editor window, the function toolbox, the error list and
// the find and comments dialogs, with the File and Edit commands that work on the program.
class LadderController : public QObject {
    Q_OBJECT
  public:
    LadderController(AppContext& context, frmMain& frame);
    ~LadderController() override;

    LadderView* view() const { return view_; }
    FunctionSelector* functionSelector() const { return selector_; }
    ErrorListWindow* errorList() const { return errorList_; }
    XrefWindow* xref() const { return xref_; }
    frmFind* findDialog() const;

  private:
    void registerCommands();
    // A whole program was put in place (start-up, New, Open, a dropped file): first cell, check,
    // repaint.
    void programLoaded();
    // Runs a document command; a program put in place by it starts at its first cell.
    void runDocumentCommand(const std::function<void()>& run);
    void openDroppedFile(const QString& path);
    void fileSend();
    void copyToClipboard(bool cut);
    void undoOrRedo(bool undo);
    void editFind();
    void viewComments();

    void refreshViews();
    // Undo and Redo (menu and toolbar) from the undo store; both off while simulating or when
    // asked to disable.
    void refreshUndoRedo(bool disable = false);
    void updateEditCaptions(bool lineSelected);

    AppContext& context_;
    frmMain& frame_;
    LadderView* view_ = nullptr;
    FunctionSelector* selector_ = nullptr;
    ErrorListWindow* errorList_ = nullptr;
    XrefWindow* xref_ = nullptr;
    // Lives until the user closes the main window; kept by its widget base.
    QPointer<frmFind> findDialog_;
    int programsReplaced_ = 0;
};

}  // namespace bdx
