#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "file_lock.h"
#include "program.h"
#include "program_file.h"
#include "undo_redo.h"

namespace bdx {

class Prompter;

// Longest file name (80 characters and the extension), longest path, and the limit on the
// undo folder path plus the file name.
inline constexpr int kMaxFileNameLength = 84;
inline constexpr int kMaxFilePathLength = 251;
inline constexpr int kMaxUndoPathLength = 246;

// The open program with its file: the file commands, the lock of the file, the undo store.
// Everything the user must see or answer goes through the prompter; every window that shows
// the document connects itself to the signals.
class ProgramDocument : public QObject {
    Q_OBJECT
  public:
    enum class Outcome { Done, Cancelled, Failed };

    ProgramDocument(Prompter& prompter, const QString& undoRootFolder, const QString& applicationFolder);
    ~ProgramDocument() override;

    Program& program() { return program_; }
    const Program& program() const { return program_; }
    ClassUndoRedo& undoStore() { return undo_; }
    FileLocks& locks() { return locks_; }

    // The empty program of model 0 that the application starts with.
    void StartEmpty();
    // File New: asks about unsaved changes, then an empty program of the same model.
    Outcome NewProgram();
    // File Open: asks about unsaved changes, lets the user choose a file, opens it.
    Outcome OpenProgram();
    // Opens a given file (after the chooser, a dropped file).
    Outcome OpenFile(const QString& path);
    // A path named on the command line (surrounding quotation marks are removed).
    Outcome OpenFromCommandLine(const QString& argument);
    Outcome SaveProgram();
    // A whole program from elsewhere (read from the device) replaces the open one as an untitled,
    // unmodified program: the file's lock is released and the undo history starts afresh.
    void TakeProgram(Program program);
    Outcome SaveProgramAs();
    // Closing the application: asks about unsaved changes; when it may close, writes the
    // application's copy "def.txt" and removes the undo folders. False keeps it open.
    bool QueryClose();

    // Before every change: a snapshot for undo, and the program marked modified.
    void RecordUndoPoint(int currentCell);
    // Undo / redo: the cell stored with the snapshot, nothing when there was nothing to do.
    std::optional<int> Undo();
    std::optional<int> Redo();

    QString applicationCopyPath() const;

    // Marks the program modified (or saved) and tells the windows when that changes.
    void setModified(bool modified);

  Q_SIGNALS:
    void captionChanged();    // file name or path changed
    void programReplaced();   // a whole new program in place: model, display, selection
    void undoStateChanged();  // Undo / Redo commands to refresh
    void modifiedChanged(bool modified);

  private:
    bool checkNameAndPath(const QString& path);
    // Yes saves (through Save As), No goes on, Cancel stops; true when the caller may go on.
    bool askToSaveChanges();
    Outcome writeTo(const QString& target, bool moveUndoFolders);
    // A whole new program is in place: unmodified, fresh undo folders, everyone told.
    void replaceProgram();
    // After undo or redo: the snapshot is in place; the cell stored with it.
    std::optional<int> restore(const std::optional<UndoStep>& step);
    // An empty program named "Untitled.h53" with no path, of the current model.
    void becomeUntitled();
    Prompter& prompter_;
    QString applicationFolder_;
    Program program_;
    FileLocks locks_;
    ClassUndoRedo undo_;
    bool modifiedShown_ = false;  // ProgramModified as last announced
};

}  // namespace bdx
