#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "run_cli.h"

namespace bdx {
namespace {

// Every NAME.sim beside NAME.h53, in the examples a user opens and in tests/cli/scripts, runs
// through the command-line tool and must pass.
TEST(SimulateScriptsTest, EveryScriptPassesAgainstItsProgram) {
    for (const auto& [folder, least] : {std::pair{"/examples", 3}, std::pair{"/tests/cli/scripts", 4}}) {
        const QDir dir(QStringLiteral(BDX_SOURCE_DIR) + QLatin1String(folder));
        const QFileInfoList scripts = dir.entryInfoList({QStringLiteral("*.sim")}, QDir::Files, QDir::Name);
        ASSERT_GE(scripts.size(), least) << dir.path().toStdString();
        for (const QFileInfo& script : scripts) {
            const QString program = dir.filePath(script.completeBaseName() + QStringLiteral(".h53"));
            SCOPED_TRACE(script.fileName().toStdString());
            ASSERT_TRUE(QFileInfo::exists(program));
            const CliResult r =
                RunCli({QStringLiteral("simulate"), program, QStringLiteral("--script"), script.filePath()});
            EXPECT_EQ(r.code, 0) << r.out.toStdString() << r.err.toStdString();
        }
    }
}

}  // namespace
}  // namespace bdx
