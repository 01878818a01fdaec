#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace bdx {
namespace {

// Every NAME.sim in tests/cli/scripts runs against NAME.h53 beside it and must pass.
TEST(SimulateScriptsTest, EveryScriptPassesAgainstItsProgram) {
    const QDir dir(QStringLiteral(BDX_SOURCE_DIR "/tests/cli/scripts"));
    const QFileInfoList scripts = dir.entryInfoList({QStringLiteral("*.sim")}, QDir::Files, QDir::Name);
    ASSERT_GE(scripts.size(), 4) << dir.path().toStdString();
    for (const QFileInfo& script : scripts) {
        const QString program = dir.filePath(script.completeBaseName() + QStringLiteral(".h53"));
        SCOPED_TRACE(script.fileName().toStdString());
        ASSERT_TRUE(QFileInfo::exists(program));
        QProcess process;
        process.start(QStringLiteral(BDX_CLI_PATH),
                      {QStringLiteral("simulate"), program, QStringLiteral("--script"), script.filePath()});
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0)
            << process.readAllStandardOutput().toStdString() << process.readAllStandardError().toStdString();
    }
}

}  // namespace
}  // namespace bdx
