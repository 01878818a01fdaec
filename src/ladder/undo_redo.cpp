#include "undo_redo.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <utility>

#include "bdx_version.h"
#include "file_lock.h"
#include "program_file.h"
#include "shell/language_table.h"

namespace bdx {

namespace {

constexpr int kVersionTextId = 116;
const QString kSnapshotPattern = QStringLiteral("*.undoredo");
const QString kProgramExtension = QStringLiteral(".h53");
// Far more instances than anyone runs; only a broken file system gets this far.
constexpr int kMaxFolderNumber = 100000;

QString joinPath(const QString& folder, const QString& name) {
    return folder + u'/' + name;
}

struct Parents {
    QString undo;
    QString redo;
};

Parents parentsUnder(const QString& root) {
    const QString version = joinPath(root, ClassUndoRedo::VersionFolderName());
    return {joinPath(version, QStringLiteral("Undo")), joinPath(version, QStringLiteral("Redo"))};
}

// The program's part of the folder name: its file name without folder and without ".h53".
QString programBaseName(const QString& programFileName) {
    QString name = QFileInfo(programFileName).fileName();
    if (name.endsWith(kProgramExtension, Qt::CaseInsensitive)) {
        name.chop(kProgramExtension.size());
    }
    return name;
}

// One number for both folders, free in both parents, so that the two folders of a program
// always carry the same name. Empty only when the file system answers nonsense.
QString chooseFolderName(const Parents& parents, const QString& base) {
    for (int n = 0; n < kMaxFolderNumber; ++n) {
        QString name = base + u'-' + QString::number(n);
        if (!QFileInfo::exists(joinPath(parents.undo, name)) &&
            !QFileInfo::exists(joinPath(parents.redo, name))) {
            return name;
        }
    }
    return QString();
}

// True when `folder` is "<parent>/<base>-<digits>".
bool folderBelongsTo(const QString& folder, const QString& parent, const QString& base) {
    const QFileInfo info(folder);
    if (info.path() != parent) {
        return false;
    }
    const QString name = info.fileName();
    const qsizetype dash = name.lastIndexOf(u'-');
    if (dash < 0 || name.left(dash) != base || dash + 1 >= name.size()) {
        return false;
    }
    for (qsizetype i = dash + 1; i < name.size(); ++i) {
        if (!name[i].isDigit()) {
            return false;
        }
    }
    return true;
}

void deleteSnapshots(const QString& folder) {
    if (folder.isEmpty()) {
        return;
    }
    QDir dir(folder);
    for (const QString& name : dir.entryList({kSnapshotPattern}, QDir::Files)) {
        dir.remove(name);
    }
}

bool hasSnapshots(const QString& folder) {
    if (folder.isEmpty()) {
        return false;  // an empty path would mean the working directory
    }
    QDirIterator it(folder, {kSnapshotPattern}, QDir::Files);
    return it.hasNext();
}

// Each folder holds an owner mark: a file locked for as long as its instance runs, so that the
// next start can tell the folders of a killed instance from those of a running one.
const QString kOwnerMark = QStringLiteral(".owner");

// The mark is locked under another name first and only then given its own, so that no other
// instance ever sees it unlocked while its owner lives. The descriptor, or -1 without a mark.
int markOwner(const QString& folder) {
    const QByteArray fresh = QFile::encodeName(joinPath(folder, kOwnerMark + QStringLiteral(".new")));
    const int fd = ::open(fresh.constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return -1;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        ::rename(fresh.constData(), QFile::encodeName(joinPath(folder, kOwnerMark)).constData()) != 0) {
        ::unlink(fresh.constData());
        ::close(fd);
        return -1;
    }
    return fd;
}

// Only the snapshots and the mark are ours: anything else somebody put there keeps the folder
// alive. The mark goes while its lock is still held.
void removeFolder(const QString& folder, int& ownerFd) {
    if (!folder.isEmpty()) {
        deleteSnapshots(folder);
        if (ownerFd >= 0) {
            QFile::remove(joinPath(folder, kOwnerMark));
        }
        QDir().rmdir(folder);
    }
    if (ownerFd >= 0) {
        ::close(ownerFd);
        ownerFd = -1;
    }
}

// The folders under `parent` whose mark nobody holds: their instance ended without removing
// them. Folders without a mark are not judged.
void removeAbandonedFolders(const QString& parent) {
    const QStringList names = QDir(parent).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QString folder = joinPath(parent, name);
        int fd = TakeExistingLock(joinPath(folder, kOwnerMark));
        if (fd >= 0) {
            removeFolder(folder, fd);
        }
    }
}

int previousSlot(int slot) {
    return (slot + ClassUndoRedo::kSlots - 1) % ClassUndoRedo::kSlots;
}
int nextSlot(int slot) {
    return (slot + 1) % ClassUndoRedo::kSlots;
}

}  // namespace

ClassUndoRedo::ClassUndoRedo(const QString& rootFolder) : root_(QDir::cleanPath(rootFolder)) {
    const Parents parents = parentsUnder(root_);
    removeAbandonedFolders(parents.undo);
    removeAbandonedFolders(parents.redo);
}

ClassUndoRedo::~ClassUndoRedo() {
    RemoveFolders();
}

QString ClassUndoRedo::VersionFolderName() {
    return LoadText(kVersionTextId) + u' ' + QString::fromLatin1(kVersionText);
}

QString ClassUndoRedo::SnapshotPath(const QString& folder, int slot) {
    return joinPath(folder, u'_' + QString::number(slot) + QStringLiteral("_.undoredo"));
}

QString ClassUndoRedo::UndoFolderPathFor(const QString& rootFolder, const QString& programFileName) {
    const Parents parents = parentsUnder(QDir::cleanPath(rootFolder));
    return joinPath(parents.undo, chooseFolderName(parents, programBaseName(programFileName)));
}

void ClassUndoRedo::resetHistory() {
    undo_.index = 0;
    redo_.index = 0;
    undo_.steps.fill(UndoStep{});
    redo_.steps.fill(UndoStep{});
    redoInProgress_ = false;
}

bool ClassUndoRedo::StartFolders(const QString& programFileName) {
    RemoveFolders();
    const Parents parents = parentsUnder(root_);
    const QString name = chooseFolderName(parents, programBaseName(programFileName));
    if (name.isEmpty()) {
        return false;
    }
    const QString undo = joinPath(parents.undo, name);
    const QString redo = joinPath(parents.redo, name);
    const bool undoMade = QDir().mkpath(undo);
    const bool redoMade = QDir().mkpath(redo);
    if (!undoMade || !redoMade) {
        // Half a pair is useless (an undo needs somewhere to put its redo snapshot), and keeping
        // the name of a folder that does not exist could later share another instance's folder.
        if (undoMade) {
            QDir().rmdir(undo);
        }
        if (redoMade) {
            QDir().rmdir(redo);
        }
        return false;
    }
    undo_.folder = undo;
    redo_.folder = redo;
    undo_.ownerFd = markOwner(undo);
    redo_.ownerFd = markOwner(redo);
    return true;
}

bool ClassUndoRedo::MoveFolders(const QString& newProgramFileName) {
    if (undo_.folder.isEmpty() || redo_.folder.isEmpty()) {
        return StartFolders(newProgramFileName);
    }
    const Parents parents = parentsUnder(root_);
    const QString base = programBaseName(newProgramFileName);
    // Saved under a name with the same base: the folders already carry the right name.
    if (folderBelongsTo(undo_.folder, parents.undo, base) &&
        folderBelongsTo(redo_.folder, parents.redo, base)) {
        return true;
    }
    const QString name = chooseFolderName(parents, base);
    if (name.isEmpty()) {
        return false;
    }
    bool ok = true;
    auto move = [&ok, &name](History& history, const QString& parent) {
        const QString target = joinPath(parent, name);
        if (QFileInfo(history.folder).isDir() && QDir().mkpath(parent) &&
            QDir().rename(history.folder, target)) {
            history.folder = target;
        } else if (!QFileInfo::exists(history.folder) && QDir().mkpath(target)) {
            // The old folder vanished with its snapshots: carry on in a fresh one.
            removeFolder(QString(), history.ownerFd);
            history.folder = target;
            history.ownerFd = markOwner(target);
        } else {
            ok = false;
        }
    };
    move(undo_, parents.undo);
    move(redo_, parents.redo);
    return ok;
}

void ClassUndoRedo::RemoveFolders() {
    removeFolder(undo_.folder, undo_.ownerFd);
    removeFolder(redo_.folder, redo_.ownerFd);
    undo_.folder.clear();
    redo_.folder.clear();
    resetHistory();
}

bool ClassUndoRedo::addAction(History& history, const Program& program, UndoStep step) {
    if (history.folder.isEmpty()) {
        return false;
    }
    const int slot = nextSlot(history.index);
    // The writer replaces the file only once the new one is complete, so a failure leaves the
    // older snapshot of this slot, and the values stored with it, as they were.
    if (!WriteProgramFile(program, SnapshotPath(history.folder, slot))) {
        return false;
    }
    history.steps[slot] = step;
    history.index = slot;
    return true;
}

bool ClassUndoRedo::AddUndoAction(const Program& program, std::int16_t cell, std::int16_t extra) {
    if (!addAction(undo_, program, UndoStep{cell, extra})) {
        return false;
    }
    if (!redoInProgress_) {
        ClearRedoActions();
    }
    return true;
}

std::optional<UndoStep> ClassUndoRedo::perform(History& from, Program& program) {
    if (from.folder.isEmpty()) {
        return std::nullopt;
    }
    const int slot = from.index;
    const QString path = SnapshotPath(from.folder, slot);
    // Read first: a missing or damaged snapshot must not leave a redo step behind.
    Program restored = program;
    if (!ReadProgramFile(path, restored).ok()) {
        return std::nullopt;
    }
    const UndoStep step = from.steps[slot];
    // Refuse the step when the state it leaves cannot be kept; otherwise the other history
    // would silently skip it.
    bool stored = false;
    if (&from == &undo_) {
        stored = addAction(redo_, program, step);
    } else {
        redoInProgress_ = true;
        stored = AddUndoAction(program, step.cell, step.extra);
        redoInProgress_ = false;
    }
    if (!stored) {
        return std::nullopt;
    }
    program = std::move(restored);
    // The program now differs from what was last saved or opened.
    program.ProgramModified = true;
    QFile::remove(path);
    from.index = previousSlot(slot);
    return step;
}

std::optional<UndoStep> ClassUndoRedo::PerformUndoAction(Program& program) {
    return perform(undo_, program);
}

std::optional<UndoStep> ClassUndoRedo::PerformRedoAction(Program& program) {
    return perform(redo_, program);
}

bool ClassUndoRedo::CanUndoMore() const {
    return hasSnapshots(undo_.folder);
}

bool ClassUndoRedo::CanRedoMore() const {
    return hasSnapshots(redo_.folder);
}

void ClassUndoRedo::ClearRedoActions() {
    deleteSnapshots(redo_.folder);
}

bool RecordUndoPoint(Program& program, ClassUndoRedo& store, int currentCell) {
    const bool stored = store.AddUndoAction(program, static_cast<std::int16_t>(currentCell), 0);
    program.ProgramModified = true;
    return stored;
}

UndoRedoCommands ComputeUndoRedoCommands(const ClassUndoRedo& store, bool simulationActive, bool disable) {
    if (simulationActive || disable) {
        return {};
    }
    return {store.CanUndoMore(), store.CanRedoMore()};
}

}  // namespace bdx
