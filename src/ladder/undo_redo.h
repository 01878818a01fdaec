#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "program.h"

// Undo and redo keep whole programs as program files in two folders per open program, so that
// every change can be taken back however large it was.
namespace bdx {

// What a snapshot remembers besides the program: the selected cell at the time of the change
// and one value of the caller's own.
struct UndoStep {
    std::int16_t cell = 0;
    std::int16_t extra = 0;

    bool operator==(const UndoStep&) const = default;
};

// The snapshot store, one for the application. Snapshots live in
//   root / "Version x.y.z" / "Undo" | "Redo" / "<file name without .h53>-<N>" / "_<slot>_.undoredo"
// beside an owner mark ".owner" that the instance keeps locked while it runs.
// with 25 slots per folder used as a ring: the 26th change overwrites the oldest snapshot.
class ClassUndoRedo {
  public:
    static constexpr int kSlots = 25;

    // `rootFolder` is where the version folder goes; the application passes UndoRootFolder().
    // No folders of this store exist until StartFolders. A store is made once, at start: the
    // folders that killed instances left there are removed first.
    explicit ClassUndoRedo(const QString& rootFolder);
    // Removes this program's folders, as at exit.
    ~ClassUndoRedo();
    ClassUndoRedo(const ClassUndoRedo&) = delete;
    ClassUndoRedo& operator=(const ClassUndoRedo&) = delete;

    // ---- folder life cycle ----

    // For Open and New: empties and removes the previous program's folders, forgets the history
    // and creates fresh folders named after `programFileName` (a name or a path). False when the
    // folders could not be created; changes are then simply not recorded.
    bool StartFolders(const QString& programFileName);
    // After Save As: the folders take the names that belong to the new file name and keep their
    // snapshots. False when a folder could not be moved; it then keeps its old name and content.
    bool MoveFolders(const QString& newProgramFileName);
    // At exit: empties and removes this program's folders.
    void RemoveFolders();

    // The undo folder that StartFolders would choose for `programFileName` under `rootFolder` right
    // now, without creating anything. Open and Save As check its length before they commit.
    static QString UndoFolderPathFor(const QString& rootFolder, const QString& programFileName);
    // The folder between the root and "Undo"/"Redo": "Version 1.0.0" in the current language.
    static QString VersionFolderName();

    // ---- snapshots ----

    // Stores `program` as the newest undo snapshot with `cell` and `extra`. Unless a redo is in
    // progress this also discards the redo history. A snapshot that cannot be written changes
    // nothing at all and gives false.
    bool AddUndoAction(const Program& program, std::int16_t cell, std::int16_t extra);
    // Puts the newest undo snapshot into `program` (keeping its file name and path) after storing
    // the current program as a redo snapshot, marks the program modified and returns the values
    // stored with the snapshot.
    // Nothing when there is no readable snapshot or the redo snapshot cannot be written; the
    // program and both histories are then untouched.
    std::optional<UndoStep> PerformUndoAction(Program& program);
    bool CanUndoMore() const;
    // The mirror image of PerformUndoAction.
    std::optional<UndoStep> PerformRedoAction(Program& program);
    bool CanRedoMore() const;
    void ClearRedoActions();

    // ---- state, for the commands and for tests ----

    const QString& RootFolder() const { return root_; }
    const QString& UndoFolder() const { return undo_.folder; }
    const QString& RedoFolder() const { return redo_.folder; }
    int UndoIndex() const { return undo_.index; }
    int RedoIndex() const { return redo_.index; }
    bool RedoInProgress() const { return redoInProgress_; }
    UndoStep UndoSlot(int slot) const { return undo_.steps.at(slot); }
    UndoStep RedoSlot(int slot) const { return redo_.steps.at(slot); }

    // Path of the snapshot file of `slot` in `folder`.
    static QString SnapshotPath(const QString& folder, int slot);

  private:
    // One of the two folders with its ring of slots; `index` is the slot of the newest snapshot.
    struct History {
        QString folder;
        int ownerFd = -1;  // holds the folder's owner mark
        int index = 0;
        std::array<UndoStep, kSlots> steps{};
    };

    static bool addAction(History& history, const Program& program, UndoStep step);
    std::optional<UndoStep> perform(History& from, Program& program);
    void resetHistory();

    QString root_;
    History undo_;
    History redo_;
    bool redoInProgress_ = false;
};

// Records the state before an edit: stores the snapshot and marks the program modified. The
// edit goes ahead even when the snapshot failed; the result only says whether it was stored.
bool RecordUndoPoint(Program& program, ClassUndoRedo& store, int currentCell);

// Enabled state of the Undo and Redo commands (menu entries and toolbar buttons alike).
struct UndoRedoCommands {
    bool undo = false;
    bool redo = false;

    bool operator==(const UndoRedoCommands&) const = default;
};

UndoRedoCommands ComputeUndoRedoCommands(const ClassUndoRedo& store, bool simulationActive, bool disable);

}  // namespace bdx
