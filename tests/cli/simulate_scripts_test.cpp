#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "run_cli.h"

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
        const CliResult r =
            RunCli({QStringLiteral("simulate"), program, QStringLiteral("--script"), script.filePath()});
        EXPECT_EQ(r.code, 0) << r.out.toStdString() << r.err.toStdString();
    }
}

}  // namespace
}  // namespace bdx
