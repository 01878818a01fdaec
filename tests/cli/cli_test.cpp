#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

#include "bdx_version.h"
#include "cli/cli_commands.h"

namespace bdx {
namespace {

struct Result {
    int code;
    QString out;
    QString err;
};

// The real executable, so that argument handling and exit codes are what a shell sees.
Result runCli(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(BDX_CLI_PATH), arguments);
    if (!process.waitForFinished(30000)) {
        return {-1, {}, {}};
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(CliTest, ModelsListsEveryModelTabSeparated) {
    const Result r = runCli({QStringLiteral("models")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 16);
    EXPECT_EQ(lines[0], QStringLiteral("0\t110-240 V AC - Relaymaster R7-HA-8R-L\tAC\tyes\tno\t1"));
    EXPECT_EQ(lines[3], QStringLiteral("3\t12-24 V DC - Relaymaster R7-HD-6A2T-N\tDC\tno\tyes\t1"));
    EXPECT_EQ(lines[11], QStringLiteral("11\t24 V AC/DC Analog - KX1A30\tAC/DC\tyes\tyes\t2"));
    EXPECT_EQ(lines[14], QStringLiteral("14\t24 V AC/DC - KX1D30N\tAC/DC\tno\tno\t2"));
    for (int i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].split(u'\t').size(), 6) << i;
        EXPECT_TRUE(lines[i].startsWith(QString::number(i) + u'\t'));
    }
}

TEST(CliTest, HelpVersionAndUsageErrors) {
    const Result help = runCli({QStringLiteral("--help")});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("models")));

    const Result version = runCli({QStringLiteral("--version")});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out.trimmed(), QStringLiteral("branteldesk-cli ") + QLatin1String(kVersionText));

    const Result unknown = runCli({QStringLiteral("frobnicate")});
    EXPECT_EQ(unknown.code, 2);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("Unknown command: frobnicate")));

    EXPECT_EQ(runCli({}).code, 2);
    EXPECT_EQ(runCli({QStringLiteral("models"), QStringLiteral("extra")}).code, 2);
}

}  // namespace
}  // namespace bdx
