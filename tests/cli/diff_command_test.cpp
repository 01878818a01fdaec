#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "ladder/program_file.h"
#include "run_cli.h"

namespace bdx {
namespace {

TEST(DiffCommandTest, ExitCodesTellSameDifferentAndFailed) {
    QTemporaryDir dir;
    auto file = [&](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
    Program plan;
    plan.comment(Operand::Q, 0) = QStringLiteral("Pump");
    ASSERT_TRUE(WriteProgramFile(plan, file("a.h53")));
    ASSERT_TRUE(WriteProgramFile(plan, file("copy.h53")));
    plan.comment(Operand::Q, 0) = QStringLiteral("Fan");
    ASSERT_TRUE(WriteProgramFile(plan, file("b.h53")));
    QFile damaged(file("damaged.h53"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a program\r\n");
    damaged.close();

    const QString diff = QStringLiteral("diff");
    struct Case {
        QStringList args;
        int code;
        QString out;
        bool error;
    } cases[] = {
        {{diff, file("a.h53"), file("copy.h53")}, 0, QStringLiteral("The programs are the same.\n"), false},
        {{diff, file("a.h53"), file("b.h53")}, 1, QStringLiteral("Comment Q1: \"Pump\" -> \"Fan\"\n"), false},
        {{diff, file("a.h53"), file("missing.h53")}, 2, QString(), true},
        {{diff, file("damaged.h53"), file("a.h53")}, 2, QString(), true},
        {{diff, file("a.h53")}, 2, QString(), true},
        {{diff, file("a.h53"), file("b.h53"), file("copy.h53")}, 2, QString(), true},
    };
    for (const Case& c : cases) {
        const CliResult r = RunCli(c.args);
        const std::string what = c.args.join(u' ').toStdString();
        EXPECT_EQ(r.code, c.code) << what;
        EXPECT_EQ(r.out, c.out) << what;
        EXPECT_EQ(!r.err.isEmpty(), c.error) << what << ": " << r.err.toStdString();
    }
}

}  // namespace
}  // namespace bdx
