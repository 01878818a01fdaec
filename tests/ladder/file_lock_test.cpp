#include "ladder/file_lock.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace bdx {
namespace {

void touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
}

// Another process tries the same kind of lock, as a second instance would.
int lockFromAnotherProcess(const QString& lockPath) {
    return QProcess::execute(QStringLiteral("flock"),
                             {QStringLiteral("-n"), lockPath, QStringLiteral("true")});
}

TEST(FileLockTest, CompanionFileNames) {
    EXPECT_EQ(LockFilePath(QStringLiteral("/p/Motor.h53")), QStringLiteral("/p/Motor.h53.temp"));
    EXPECT_EQ(RetentiveFilePath(QStringLiteral("/p/Motor.h53")), QStringLiteral("/p/Motor.ret"));
    EXPECT_EQ(RetentiveFilePath(QStringLiteral("/p/Old.T53")), QStringLiteral("/p/Old.ret"));
    EXPECT_EQ(RetentiveFilePath(QStringLiteral("/p/Old.m53")), QStringLiteral("/p/Old.ret"));
    EXPECT_EQ(ImageFilePath(QStringLiteral("/p/Motor.h53")), QStringLiteral("/p/Motor.LAD"));
    EXPECT_EQ(ImageFilePath(QStringLiteral("/p/x.h53.bak")), QStringLiteral("/p/x.h53.bak.LAD"));
}

TEST(FileLockTest, ASecondHolderIsRefusedUntilRelease) {
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("Motor.h53"));
    FileLocks first;
    ASSERT_TRUE(first.AcquireFileLock(program));
    EXPECT_TRUE(QFile::exists(LockFilePath(program)));
    EXPECT_TRUE(first.holds(program));

    FileLocks second;
    EXPECT_FALSE(second.AcquireFileLock(program));
    EXPECT_FALSE(first.AcquireFileLock(program));  // the same holder must release first
    EXPECT_EQ(lockFromAnotherProcess(LockFilePath(program)), 1);

    first.ReleaseFileLock(program);
    EXPECT_FALSE(QFile::exists(LockFilePath(program)));
    EXPECT_TRUE(second.AcquireFileLock(program));
}

TEST(FileLockTest, ALockHeldByAnotherProcessRefusesUs) {
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("Pump.h53"));
    QProcess holder;
    holder.start(QStringLiteral("flock"), {QStringLiteral("-n"), QStringLiteral("-o"), LockFilePath(program),
                                           QStringLiteral("-c"), QStringLiteral("echo locked; sleep 30")});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    ASSERT_EQ(holder.readAllStandardOutput().trimmed(), QByteArray("locked"));

    FileLocks locks;
    EXPECT_FALSE(locks.AcquireFileLock(program));
    holder.kill();
    holder.waitForFinished();
    EXPECT_TRUE(locks.AcquireFileLock(program));  // the lock ended with its process
}

TEST(FileLockTest, ReleaseRemovesTheCompanionsOfTheHolderOnly) {
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("Motor.h53"));
    touch(RetentiveFilePath(program));
    touch(ImageFilePath(program));

    FileLocks stranger;
    stranger.ReleaseFileLock(program);  // holds nothing: touches nothing
    EXPECT_TRUE(QFile::exists(RetentiveFilePath(program)));

    FileLocks locks;
    ASSERT_TRUE(locks.AcquireFileLock(program));
    locks.ReleaseFileLock(program);
    EXPECT_FALSE(QFile::exists(RetentiveFilePath(program)));
    EXPECT_FALSE(QFile::exists(ImageFilePath(program)));
    EXPECT_FALSE(QFile::exists(LockFilePath(program)));
}

TEST(FileLockTest, ALeftOverLockFileCanBeTakenAndAllLocksEndWithTheHolder) {
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("A.h53"));
    const QString b = dir.filePath(QStringLiteral("B.h53"));
    touch(LockFilePath(a));  // left by an instance that crashed
    {
        FileLocks locks;
        ASSERT_TRUE(locks.AcquireFileLock(a));
        ASSERT_TRUE(locks.AcquireFileLock(b));
    }
    EXPECT_FALSE(QFile::exists(LockFilePath(a)));
    EXPECT_FALSE(QFile::exists(LockFilePath(b)));
    EXPECT_EQ(lockFromAnotherProcess(LockFilePath(a)), 0);
}

TEST(FileLockTest, AFolderThatCannotHoldTheLockFileRefuses) {
    FileLocks locks;
    EXPECT_FALSE(locks.AcquireFileLock(QStringLiteral("/nonexistent-folder/x.h53")));
}

}  // namespace
}  // namespace bdx
