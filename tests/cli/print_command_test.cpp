#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "../check/ladder_drawing.h"
#include "blocks/counter_record.h"
#include "check/block_usage.h"
#include "ladder/program_file.h"
#include "run_cli.h"

namespace bdx {
namespace {

const QString kPrint = QStringLiteral("print");
const QString kKind = QStringLiteral("--kind");
const QString kText = QStringLiteral("--text");
const QString kPdf = QStringLiteral("--pdf");

// Counter C12 compared with C3 by P1, and every other block in use too, so that the parameter
// listing runs over two pages.
QString writeBusyProgram(const QTemporaryDir& dir) {
    Ladder l(11);
    l.rung(1, 'P', 1, 'C', 12);
    EncodeCompare(l.p, 0, {.firstCounter = 11, .function = 3, .constantOperand = false, .secondCounter = 2},
                  false);
    UpdateBlockUsage(l.p);
    auto allInUse = [](auto& table) {
        for (auto& row : table) {
            row[0] |= kFlagInUse;
        }
    };
    allInUse(l.p.TimeSwitchParams), allInUse(l.p.TimerParams), allInUse(l.p.HourMeterParams);
    const QString path = dir.filePath(QStringLiteral("Busy.h53"));
    EXPECT_TRUE(WriteProgramFile(l.p, path));
    return path;
}

TEST(PrintCommandTest, TextPagesAreSeparatedByFormFeeds) {
    QTemporaryDir dir;
    const QString file = writeBusyProgram(dir);
    const CliResult r = RunCli({kPrint, file, kKind, QStringLiteral("parameters"), kText});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList pages = r.out.split(u'\f');
    ASSERT_EQ(pages.size(), 2);
    const QStringList first = pages[0].split(u'\n');
    EXPECT_EQ(first.size(), 65 + 1);  // every line ends in a line feed
    EXPECT_EQ(pages[1].section(u'\n', 1, 1), QStringLiteral("Page         : \t\t2"));
    EXPECT_TRUE(r.out.contains(QStringLiteral("\nP1\tFunction\tC12\t<=\tC3\n")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("File Name    : \t\t") + file.left(20)));

    // The same pages in Polish: labels and headings translated, the layout kept.
    const CliResult polish = RunCli({kPrint, file, kKind, QStringLiteral("parameters"), kText,
                                     QStringLiteral("--lang"), QStringLiteral("pl")});
    ASSERT_EQ(polish.code, 0) << polish.err.toStdString();
    EXPECT_EQ(polish.out.split(u'\f').value(1).section(u'\n', 1, 1), QStringLiteral("Strona       : \t\t2"));
    EXPECT_TRUE(polish.out.contains(QStringLiteral("\nP1\tFunkcja\tC12\t<=\tC3\n")));
    EXPECT_TRUE(polish.out.contains(QStringLiteral("\t\t\tParametry liczników czasu\n")));
    EXPECT_EQ(polish.out.count(u'\n'), r.out.count(u'\n'));
}

TEST(PrintCommandTest, RefusalsAndTheirExitCodes) {
    QTemporaryDir dir;
    const QString busy = writeBusyProgram(dir);
    const QString empty = dir.filePath(QStringLiteral("Empty.h53"));
    ASSERT_TRUE(WriteProgramFile(Program{}, empty));
    struct Case {
        QStringList args;
        int code;
        const char* message;
    };
    const Case cases[] = {
        {{kPrint, empty, kKind, QStringLiteral("comments"), kText}, 1, "Nothing to Print! \n"},
        {{kPrint, empty, kKind, QStringLiteral("detail"), kText}, 2, "parameters|comments|short"},
        {{kPrint, busy, kKind, QStringLiteral("short")}, 2, "(--pdf OUT | --text)"},
        {{kPrint, busy, kKind, QStringLiteral("short"), kText, QStringLiteral("--lang"),
          QStringLiteral("de")},
         2,
         "[--lang en|pt|pl|es]"},
        {{kPrint, busy, kKind, QStringLiteral("short"), kText, kPdf, dir.filePath(QStringLiteral("x.pdf"))},
         2,
         "usage"},
        {{kPrint, dir.filePath(QStringLiteral("Missing.h53")), kKind, QStringLiteral("short"), kText},
         1,
         "Missing.h53"},
        {{kPrint, busy, kKind, QStringLiteral("short"), kPdf,
          dir.filePath(QStringLiteral("no/such/folder/x.pdf"))},
         1,
         "x.pdf"},
    };
    for (const Case& c : cases) {
        const CliResult r = RunCli(c.args);
        EXPECT_EQ(r.code, c.code) << c.args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(c.message))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST(PrintCommandTest, PdfHoldsThePagesAsText) {
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty()) {
        GTEST_SKIP() << "pdftotext is not installed";
    }
    QTemporaryDir dir;
    const QString file = writeBusyProgram(dir);
    struct Case {
        const char* kind;
        int pages;
        const char* line;
    };
    const Case cases[] = {
        {"parameters", 2, "Compare Counter Block Parameters"},
        {"short", 5, "001 |--[P1]"},
        {"detail", 1, "P1"},
    };
    for (const Case& c : cases) {
        const QString pdf = dir.filePath(QLatin1String(c.kind) + QStringLiteral(".pdf"));
        QProcess cli;
        QProcessEnvironment headless = QProcessEnvironment::systemEnvironment();
        headless.remove(QStringLiteral("DISPLAY"));
        headless.remove(QStringLiteral("QT_QPA_PLATFORM"));
        cli.setProcessEnvironment(headless);
        cli.start(QStringLiteral(BDX_CLI_PATH), {kPrint, file, kKind, QLatin1String(c.kind), kPdf, pdf});
        ASSERT_TRUE(cli.waitForFinished(60000));
        ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();

        QProcess reader;
        reader.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        ASSERT_TRUE(reader.waitForFinished(60000));
        const QString text = QString::fromUtf8(reader.readAllStandardOutput());
        EXPECT_EQ(text.count(u'\f'), c.pages) << c.kind;
        EXPECT_TRUE(text.contains(QLatin1String(c.line))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Busy.h53"))) << c.kind;
    }
}

}  // namespace
}  // namespace bdx
