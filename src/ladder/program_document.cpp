#include "program_document.h"

#include <QDir>
#include <QFileInfo>

#include "grid.h"
#include "shell/language_table.h"
#include "shell/prompter.h"

namespace bdx {

namespace {

enum TextId {
    NameTooLong = 113,
    PathTooLong = 128,
    UndoPathTooLong = 129,
    SaveChangesQuestion = 4211,
    ProgramNotSaved = 8005,
    FileAlreadyOpened = 8496,
    OriginalFileUnchanged = 8555,
    SavedInNewFormat = 8556,
};

const char* const kOpenFilter = "h53 (*.h53);;m53 (*.m53);;t53 (*.t53)";
const char* const kSaveFilter = "h53 (*.h53)";

bool hasOldExtension(const QString& name) {
    return name.endsWith(QLatin1String("t53"), Qt::CaseInsensitive) ||
           name.endsWith(QLatin1String("m53"), Qt::CaseInsensitive);
}

// "Original file will not be changed" with the old extension of the name.
QString oldFormatMessage(const QString& name) {
    const QString extension = name.right(3).toLower();
    return LoadText(OriginalFileUnchanged) + QStringLiteral("\r\n") +
           LoadText(SavedInNewFormat).arg(extension);
}

QString withNewExtension(const QString& nameOrPath) {
    return nameOrPath.chopped(3) + QStringLiteral("h53");
}

QString absolutePath(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

}  // namespace

ProgramDocument::ProgramDocument(Prompter& prompter, const QString& undoRootFolder,
                                 const QString& applicationFolder)
    : prompter_(prompter), applicationFolder_(applicationFolder), undo_(undoRootFolder) {}

ProgramDocument::~ProgramDocument() = default;

void ProgramDocument::setModified(bool modified) {
    program_.ProgramModified = modified;
    if (modified != modifiedShown_) {
        modifiedShown_ = modified;
        Q_EMIT modifiedChanged(modified);
    }
}

QString ProgramDocument::applicationCopyPath() const {
    return applicationFolder_ + QStringLiteral("/def.txt");
}

void ProgramDocument::replaceProgram() {
    setModified(false);
    undo_.StartFolders(program_.ProgramFileName);
    Q_EMIT captionChanged();
    Q_EMIT programReplaced();
    Q_EMIT undoStateChanged();
}

void ProgramDocument::becomeUntitled() {
    ClearProgram(program_);
    program_.ProgramFileName = QString::fromLatin1(kUntitledFileName);
    program_.ProgramFilePath.clear();
    replaceProgram();
}

void ProgramDocument::StartEmpty() {
    program_.ModelIndex = 0;
    becomeUntitled();
}

bool ProgramDocument::askToSaveChanges() {
    if (!program_.ProgramModified) {
        return true;
    }
    switch (prompter_.askYesNoCancel(LoadText(SaveChangesQuestion))) {
        case Reply::Yes:
            return SaveProgramAs() == Outcome::Done;
        case Reply::No:
            return true;
        default:
            return false;
    }
}

ProgramDocument::Outcome ProgramDocument::NewProgram() {
    if (!askToSaveChanges()) {
        return Outcome::Cancelled;
    }
    locks_.ReleaseFileLock(program_.ProgramFilePath);
    program_.ExtensionModules.fill(0);
    becomeUntitled();
    return Outcome::Done;
}

void ProgramDocument::TakeProgram(Program program) {
    locks_.ReleaseFileLock(program_.ProgramFilePath);
    program_ = std::move(program);
    program_.ProgramFileName = QString::fromLatin1(kUntitledFileName);
    program_.ProgramFilePath.clear();
    replaceProgram();
}

ProgramDocument::Outcome ProgramDocument::OpenProgram() {
    if (!askToSaveChanges()) {
        return Outcome::Cancelled;
    }
    const QString path = prompter_.chooseOpenFile({QString(),
                                                   QString::fromLatin1(kOpenFilter),
                                                   QStringLiteral("h53"),
                                                   QFileInfo(program_.ProgramFilePath).path(),
                                                   {}});
    if (path.isEmpty()) {
        return Outcome::Cancelled;
    }
    return OpenFile(path);
}

bool ProgramDocument::checkNameAndPath(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    if (name.size() > kMaxFileNameLength) {
        prompter_.inform(LoadText(NameTooLong));
        return false;
    }
    if (path.size() > kMaxFilePathLength) {
        prompter_.inform(LoadText(PathTooLong));
        return false;
    }
    if (ClassUndoRedo::UndoFolderPathFor(undo_.RootFolder(), name).size() + name.size() >=
        kMaxUndoPathLength) {
        prompter_.inform(LoadText(UndoPathTooLong));
        return false;
    }
    return true;
}

ProgramDocument::Outcome ProgramDocument::OpenFile(const QString& chosenPath) {
    const QString path = absolutePath(chosenPath);
    if (!checkNameAndPath(path)) {
        return Outcome::Failed;
    }
    // A file in a folder where no lock file can be made (a read-only medium) opens unguarded.
    QString lockError;
    if (locks_.holds(path) || (!locks_.AcquireFileLock(path, &lockError) && lockError.isEmpty())) {
        prompter_.inform(LoadText(FileAlreadyOpened));
        return Outcome::Failed;
    }

    Program read = program_;
    const bool applicationCopy = QFileInfo(path) == QFileInfo(applicationCopyPath());
    const ProgramFileStatus status = ReadProgramFile(path, read, prompter_, applicationCopy);
    if (status.code == ProgramFileStatus::Code::UnsupportedModel) {
        // The file is a program, but not one for any model we know: the program is emptied.
        locks_.ReleaseFileLock(path);
        locks_.ReleaseFileLock(program_.ProgramFilePath);
        ResetProgram(program_);
        replaceProgram();
        return Outcome::Failed;
    }
    if (!status.ok()) {
        // Not a program file at all: the program in hand stays as it was.
        locks_.ReleaseFileLock(path);
        return Outcome::Failed;
    }

    locks_.ReleaseFileLock(program_.ProgramFilePath);
    program_ = std::move(read);
    program_.ProgramFileName = QFileInfo(path).fileName();
    program_.ProgramFilePath = path;
    ConvertLegacyNumberCodes(program_.LadderGrid);
    replaceProgram();
    return Outcome::Done;
}

ProgramDocument::Outcome ProgramDocument::OpenFromCommandLine(const QString& argument) {
    QString path = argument.trimmed();
    if (path.size() >= 2 && path.startsWith(u'"') && path.endsWith(u'"')) {
        path = path.mid(1, path.size() - 2);
    }
    if (path.isEmpty()) {
        return Outcome::Cancelled;
    }
    return OpenFile(path);
}

ProgramDocument::Outcome ProgramDocument::writeTo(const QString& target, bool moveUndoFolders) {
    const QString previous = program_.ProgramFilePath;
    const bool sameFile = !previous.isEmpty() && absolutePath(previous) == target && locks_.holds(target);
    QString lockError;
    if (!sameFile && !locks_.AcquireFileLock(target, &lockError)) {
        if (lockError.isEmpty()) {
            prompter_.inform(QString::fromLatin1(kCannotReplaceText));
        } else {
            prompter_.warn(LoadText(ProgramNotSaved) + lockError);
        }
        return Outcome::Failed;
    }
    QString error;
    if (!WriteProgramFile(program_, target, &error)) {
        if (!sameFile) {
            locks_.ReleaseFileLock(target);
        }
        prompter_.warn(LoadText(ProgramNotSaved) + error);
        return Outcome::Failed;
    }
    if (!sameFile) {
        locks_.ReleaseFileLock(previous);
    }
    program_.ProgramFileName = QFileInfo(target).fileName();
    program_.ProgramFilePath = target;
    setModified(false);
    if (moveUndoFolders) {
        undo_.MoveFolders(program_.ProgramFileName);
    }
    Q_EMIT captionChanged();
    return Outcome::Done;
}

ProgramDocument::Outcome ProgramDocument::SaveProgram() {
    const QString& name = program_.ProgramFileName;
    if (name == QLatin1String(kUntitledFileName) ||
        name.endsWith(QLatin1String(".m50"), Qt::CaseInsensitive) || program_.ProgramFilePath.isEmpty()) {
        return SaveProgramAs();
    }
    QString target = program_.ProgramFilePath;
    if (hasOldExtension(name)) {
        prompter_.inform(oldFormatMessage(name));
        target = withNewExtension(target);
    }
    return writeTo(absolutePath(target), false);
}

ProgramDocument::Outcome ProgramDocument::SaveProgramAs() {
    QString suggested = program_.ProgramFileName;
    if (hasOldExtension(suggested)) {
        prompter_.inform(oldFormatMessage(suggested));
        suggested = withNewExtension(suggested);
    }
    const QString directory =
        program_.ProgramFilePath.isEmpty() ? QString() : QFileInfo(program_.ProgramFilePath).path();
    const QString chosen = prompter_.chooseSaveFile(
        {QString(), QString::fromLatin1(kSaveFilter), QStringLiteral("h53"), directory, suggested});
    if (chosen.isEmpty()) {
        return Outcome::Cancelled;
    }
    const QString target = absolutePath(chosen);
    if (!checkNameAndPath(target)) {
        return Outcome::Failed;
    }
    return writeTo(target, true);
}

bool ProgramDocument::QueryClose() {
    if (!askToSaveChanges()) {
        return false;
    }
    QDir().mkpath(applicationFolder_);
    WriteProgramFile(program_, applicationCopyPath());
    undo_.RemoveFolders();
    locks_.releaseAll();
    return true;
}

void ProgramDocument::RecordUndoPoint(int currentCell) {
    bdx::RecordUndoPoint(program_, undo_, currentCell);
    setModified(true);
    Q_EMIT undoStateChanged();
}

std::optional<int> ProgramDocument::Undo() {
    return restore(undo_.PerformUndoAction(program_));
}

std::optional<int> ProgramDocument::Redo() {
    return restore(undo_.PerformRedoAction(program_));
}

std::optional<int> ProgramDocument::restore(const std::optional<UndoStep>& step) {
    Q_EMIT undoStateChanged();
    if (!step) {
        return std::nullopt;
    }
    setModified(program_.ProgramModified);
    Q_EMIT programReplaced();
    return step->cell;
}

}  // namespace bdx
