#include "file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>
#include <cstring>

namespace bdx {

namespace {

QString key(const QString& programPath) {
    return QFileInfo(LockFilePath(programPath)).absoluteFilePath();
}

void removeFile(const QString& path) {
    // Hidden or read-only attributes have no equivalent to clear here; a plain remove does.
    QFile::remove(path);
}

}  // namespace

QString LockFilePath(const QString& programPath) {
    return programPath + QStringLiteral(".temp");
}

QString RetentiveFilePath(const QString& programPath) {
    for (const char* extension : {".t53", ".m53", ".h53"}) {
        if (programPath.endsWith(QLatin1String(extension), Qt::CaseInsensitive)) {
            return programPath.left(programPath.size() - 4) + QStringLiteral(".ret");
        }
    }
    return programPath + QStringLiteral(".ret");
}

QString ImageFilePath(const QString& programPath) {
    QString path = RetentiveFilePath(programPath);
    path.chop(4);
    return path + QStringLiteral(".LAD");
}

int TakeExistingLock(const QString& lockPath) {
    const int fd = ::open(QFile::encodeName(lockPath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool LockFileHeld(const QString& lockPath) {
    const QByteArray native = QFile::encodeName(lockPath);
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

FileLocks::~FileLocks() {
    releaseAll();
}

bool FileLocks::AcquireFileLock(const QString& programPath, QString* error) {
    const QString lockPath = key(programPath);
    if (descriptors_.contains(lockPath)) {
        return false;
    }
    const QByteArray native = QFile::encodeName(lockPath);
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (error) {
            *error = QString::fromLocal8Bit(std::strerror(errno));
        }
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    descriptors_.insert(lockPath, fd);
    return true;
}

void FileLocks::ReleaseFileLock(const QString& programPath) {
    const QString lockPath = key(programPath);
    if (const auto it = descriptors_.find(lockPath); it != descriptors_.end()) {
        // Delete while still holding the lock, so no other instance locks the file being removed.
        removeFile(lockPath);
        ::close(it.value());
        descriptors_.erase(it);
        removeFile(RetentiveFilePath(programPath));
        removeFile(ImageFilePath(programPath));
    }
}

bool FileLocks::holds(const QString& programPath) const {
    return descriptors_.contains(key(programPath));
}

void FileLocks::releaseAll() {
    const QStringList lockPaths = descriptors_.keys();
    for (const QString& lockPath : lockPaths) {
        ReleaseFileLock(lockPath.chopped(5));  // without ".temp"
    }
}

}  // namespace bdx
