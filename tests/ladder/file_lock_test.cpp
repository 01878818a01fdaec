#include "ladder/file_lock.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "test_programs.h"

namespace bdx {
namespace {

// Another process tries the same kind of lock, as a second instance would: 0 when it got it.
int lockFromAnotherProcess(const QString& lockPath) {
    return QProcess::execute(QStringLiteral("flock"),
                             {QStringLiteral("-n"), lockPath, QStringLiteral("true")});
}

TEST(FileLockTest, CompanionFileNames) {
    const std::pair<QString, QString> retentive[] = {
        {"/p/Motor.h53", "/p/Motor.ret"}, {"/p/Old.T53", "/p/Old.ret"}, {"/p/Old.m53", "/p/Old.ret"}};
    for (const auto& [program, ret] : retentive) {
        EXPECT_EQ(RetentiveFilePath(program), ret);
    }
    EXPECT_EQ(LockFilePath("/p/Motor.h53"), "/p/Motor.h53.temp");
    EXPECT_EQ(ImageFilePath("/p/Motor.h53"), "/p/Motor.LAD");
    EXPECT_EQ(ImageFilePath("/p/x.h53.bak"), "/p/x.h53.bak.LAD");
}

TEST(FileLockTest, ASecondHolderOrProcessIsRefusedUntilRelease) {
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("Motor.h53"));
    ASSERT_TRUE(writeFile(RetentiveFilePath(program)) && writeFile(ImageFilePath(program)));
    FileLocks first;
    QString error;
    ASSERT_TRUE(first.AcquireFileLock(program));
    EXPECT_TRUE(QFile::exists(LockFilePath(program)));

    FileLocks second;
    second.ReleaseFileLock(program);  // holds nothing: removes nothing
    EXPECT_TRUE(QFile::exists(RetentiveFilePath(program)));
    EXPECT_FALSE(second.AcquireFileLock(program, &error));
    EXPECT_FALSE(first.AcquireFileLock(program, &error));  // the same holder must release first
    EXPECT_TRUE(error.isEmpty());                          // refused, not failed
    EXPECT_EQ(lockFromAnotherProcess(LockFilePath(program)), 1);

    first.ReleaseFileLock(program);
    for (const QString& companion :
         {LockFilePath(program), RetentiveFilePath(program), ImageFilePath(program)}) {
        EXPECT_FALSE(QFile::exists(companion)) << companion.toStdString();
    }
    EXPECT_TRUE(second.AcquireFileLock(program));

    EXPECT_FALSE(first.AcquireFileLock(QStringLiteral("/nonexistent-folder/x.h53"), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(FileLockTest, ALockEndsWithItsHolderEvenAfterACrash) {
    QTemporaryDir dir;
    const QString pump = dir.filePath(QStringLiteral("Pump.h53"));
    QProcess holder;
    holder.start(QStringLiteral("flock"), {QStringLiteral("-n"), QStringLiteral("-o"), LockFilePath(pump),
                                           QStringLiteral("-c"), QStringLiteral("echo locked; sleep 30")});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    FileLocks locks;
    EXPECT_FALSE(locks.AcquireFileLock(pump));
    holder.kill();
    holder.waitForFinished();
    EXPECT_TRUE(locks.AcquireFileLock(pump));  // the lock file left behind is taken again
    EXPECT_EQ(lockFromAnotherProcess(LockFilePath(pump)), 1);
    locks.releaseAll();
    EXPECT_FALSE(QFile::exists(LockFilePath(pump)));
    {
        FileLocks scoped;  // a holder takes its locks with it when it ends
        ASSERT_TRUE(scoped.AcquireFileLock(pump));
    }
    EXPECT_EQ(lockFromAnotherProcess(LockFilePath(pump)), 0);
}

}  // namespace
}  // namespace bdx
