#pragma once

#include <QHash>
#include <QString>

namespace bdx {

// Companion files of an open program file F.
QString LockFilePath(const QString& programPath);       // F + ".temp"
QString RetentiveFilePath(const QString& programPath);  // F with .t53/.m53/.h53 replaced by ".ret"
QString ImageFilePath(const QString& programPath);      // the retentive name with ".LAD"

// What a save is told when the target is held open by an instance.
inline constexpr const char* kCannotReplaceText = "Can not replace. File already opened!";

// Takes the lock of an existing lock file without waiting and without creating it: the
// descriptor that holds it (closing it ends the lock), or -1 when the file does not exist or a
// live holder has it.
int TakeExistingLock(const QString& lockPath);
// True when the lock file exists and a live holder has it locked (an instance that crashed
// holds nothing: its lock ended with it).
bool LockFileHeld(const QString& lockPath);
// True when an instance holds the program file open, so that it must not be replaced.
inline bool ProgramFileHeld(const QString& programPath) {
    return LockFileHeld(LockFilePath(programPath));
}

// Lock files that keep a program file from being opened by a second instance while this one
// has it open. The lock is an exclusive advisory lock held on the open lock file, so it
// ends with the process even after a crash; a lock file left behind can be taken again.
class FileLocks {
  public:
    FileLocks() = default;
    FileLocks(const FileLocks&) = delete;
    FileLocks& operator=(const FileLocks&) = delete;
    ~FileLocks();

    // False when another holder (another instance, or this one through another lock) has the
    // program file locked, or when the lock file cannot be made; only in the second case is
    // `error` set, to the reason.
    bool AcquireFileLock(const QString& programPath, QString* error = nullptr);
    // Closes and deletes the lock file and deletes the retentive and image files.
    void ReleaseFileLock(const QString& programPath);
    bool holds(const QString& programPath) const;
    void releaseAll();

  private:
    QHash<QString, int> descriptors_;  // by the absolute lock file path
};

}  // namespace bdx
