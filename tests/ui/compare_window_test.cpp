#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app_rig.h"
#include "ladder/program_file.h"
#include "print/program_diff.h"
#include "ui/main/compare_programs.h"

namespace bdx {

namespace {

using CompareWindowTest = AppRig;

TEST_F(CompareWindowTest, ShowsTheReportOrSaysTheProgramsAreTheSame) {
    start();
    program().comment(Operand::M, 2) = QStringLiteral("Level high");
    const Program before = program();
    ASSERT_TRUE(WriteProgramFile(program(), path("same.h53")));
    Program other = program();
    other.comment(Operand::M, 2) = QStringLiteral("Level low");
    ASSERT_TRUE(WriteProgramFile(other, path("other.h53")));

    struct Case {
        const char* file;
        QString report;
    } cases[] = {
        {"other.h53", QStringLiteral("Comment M3: \"Level high\" -> \"Level low\"")},
        {"same.h53", QStringLiteral("The programs are the same.")},
    };
    for (const Case& c : cases) {
        prompter.queueFile(path(c.file));
        QString shown;
        openFrom<frmCompareProgram>("mnuFileCompare", [&](frmCompareProgram& window) {
            shown = window.report();
            auto* text = window.findChild<QPlainTextEdit*>(QStringLiteral("txtDifferences"));
            ASSERT_NE(text, nullptr);
            EXPECT_TRUE(text->isReadOnly());
            EXPECT_TRUE(window.windowTitle().contains(QString::fromLatin1(c.file)));
            window.findChild<QPushButton*>(QStringLiteral("cmdClose"))->click();
        });
        EXPECT_EQ(shown, c.report) << c.file;
    }
    EXPECT_TRUE(prompter.messages().empty());
    EXPECT_EQ(program(), before);
}

TEST_F(CompareWindowTest, AnUnreadableFileGivesTheReadersMessageAndNoWindow) {
    start();
    QFile damaged(path("damaged.h53"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("1.5.7\r\nnothing else\r\n");
    damaged.close();
    const Program before = program();
    prompter.queueFile(path("damaged.h53"));
    command("mnuFileCompare")->trigger();
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_FALSE(prompter.messages().front().text.isEmpty());
    EXPECT_EQ(program(), before);
}

TEST_F(CompareWindowTest, Screenshots) {
    InScreenshotLanguages([](const QString& language) {
        // Built in each language, as the window shows it.
        Program before;
        before.ModelIndex = 3;
        before.comment(Operand::M, 2) = QStringLiteral("Level high");
        Program after = before;
        after.ModelIndex = 4;
        after.comment(Operand::M, 2) = QStringLiteral("Level low");
        after.TimerParams[2][1] = 2;
        frmCompareProgram window(QStringLiteral("Pump-site.h53"), ProgramDifferences(before, after).join(u'\n'));
        Shoot(window, QStringLiteral("frmCompareProgram_") + language);
    });
}

}  // namespace

}  // namespace bdx
