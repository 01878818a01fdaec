#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "ladder/program_file.h"
#include "shell/language_table.h"
#include "shell/scripted_prompter.h"
#include "ui/application.h"
#include "ui/frm_main.h"
#include "ui/frm_select_language.h"

namespace bdx {
namespace {

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override { SetLanguageOffset(English); }

    QString settingsPath() const { return dir.filePath(QStringLiteral("Config.ini")); }

    void writeSettings(int languageOffset, int languageDlg) {
        AppSettings s;
        s.LanguageOffset = languageOffset;
        s.LanguageDlg = static_cast<std::uint8_t>(languageDlg);
        ASSERT_TRUE(WriteSettings(settingsPath(), s));
    }

    std::unique_ptr<Application> start(const QString& programPath = QString()) {
        StartupOptions options;
        options.settingsPath = settingsPath();
        options.dataFolder = dir.filePath(QStringLiteral("data"));
        options.programPath = programPath;
        options.prompter = &prompter;
        auto app = std::make_unique<Application>(options);
        app->start();
        return app;
    }

    QTemporaryDir dir;
    ScriptedPrompter prompter;
};

TEST_F(MainWindowTest, StartsWithAnEmptyProgramOfModelZero) {
    writeSettings(English, 1);
    auto app = start();
    frmMain* window = app->mainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("BRANTELDESK X      ( Untitled.h53 )  (  )"));
    EXPECT_EQ(window->modelPanel()->text(), QStringLiteral("110-240 V AC - Relaymaster R7-HA-8R-L"));
    EXPECT_EQ(app->program().ModelIndex, 0);
    EXPECT_EQ(app->program(), Program{});
    EXPECT_TRUE(prompter.messages().empty());
}

TEST_F(MainWindowTest, MenusTakeTheStoredLanguage) {
    writeSettings(Portuguese, 1);
    auto app = start();
    const QList<QAction*> menus = app->mainWindow()->menuBar()->actions();
    ASSERT_FALSE(menus.isEmpty());
    EXPECT_EQ(menus.front()->text(), LoadText(101, Portuguese));
    EXPECT_NE(LoadText(101, Portuguese), LoadText(101, English));
    EXPECT_TRUE(app->mainWindow()->languageAction(Portuguese)->isChecked());
    EXPECT_FALSE(app->mainWindow()->languageAction(English)->isChecked());
}

TEST_F(MainWindowTest, LanguageMenuStoresTheChoiceAndExplainsInTheNewLanguage) {
    writeSettings(English, 1);
    auto app = start();
    app->mainWindow()->languageAction(Polish)->trigger();
    EXPECT_TRUE(app->mainWindow()->languageAction(Polish)->isChecked());
    EXPECT_FALSE(app->mainWindow()->languageAction(English)->isChecked());
    EXPECT_EQ(ReadSettings(settingsPath()).LanguageOffset, Polish);
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(prompter.messages()[0].text, LoadText(4213, Polish));
    EXPECT_EQ(prompter.messages()[0].icon, MessageIcon::Information);
    // Captions change at the next start only.
    EXPECT_EQ(CurrentLanguageOffset(), English);
    EXPECT_EQ(app->mainWindow()->menuBar()->actions().front()->text(), LoadText(101, English));
}

TEST_F(MainWindowTest, LanguageMenuReportsASettingsFileThatCannotBeWritten) {
    // A folder where the file should be: nothing can be read or written there.
    StartupOptions options;
    options.settingsPath = dir.path();
    options.dataFolder = dir.filePath(QStringLiteral("data"));
    options.prompter = &prompter;
    options.askLanguage = false;
    auto app = std::make_unique<Application>(options);
    app->start();
    app->mainWindow()->languageAction(Spanish)->trigger();
    ASSERT_EQ(prompter.messages().size(), 2u);
    EXPECT_EQ(prompter.messages()[0].icon, MessageIcon::Warning);
    EXPECT_EQ(prompter.messages()[1].text, LoadText(4213, Spanish));
}

TEST_F(MainWindowTest, FirstStartAsksForTheLanguage) {
    writeSettings(English, 0);
    bool dialogSeen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<frmSelectLanguage*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialogSeen = true;
        EXPECT_EQ(dialog->cmbLanguage()->currentIndex(), 0);
        dialog->cmbLanguage()->setCurrentIndex(3);
        dialog->chkDoNotShowAgain()->setChecked(true);
        dialog->cmdOK()->click();
    });
    auto app = start();
    EXPECT_TRUE(dialogSeen);
    EXPECT_EQ(CurrentLanguageOffset(), Spanish);
    EXPECT_EQ(app->mainWindow()->menuBar()->actions().front()->text(), LoadText(101, Spanish));
    const AppSettings stored = ReadSettings(settingsPath());
    EXPECT_EQ(stored.LanguageOffset, Spanish);
    EXPECT_EQ(stored.LanguageDlg, 1);
}

TEST_F(MainWindowTest, ClosingTheLanguageDialogKeepsEnglishAndAsksAgain) {
    writeSettings(Polish, 0);
    QTimer::singleShot(0, [] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            dialog->close();
        }
    });
    auto app = start();
    EXPECT_EQ(CurrentLanguageOffset(), English);
    const AppSettings stored = ReadSettings(settingsPath());
    EXPECT_EQ(stored.LanguageOffset, English);
    EXPECT_EQ(stored.LanguageDlg, 0);
}

TEST_F(MainWindowTest, OpensTheProgramNamedOnTheCommandLine) {
    writeSettings(English, 1);
    Program p;
    p.ModelIndex = 13;
    const QString file = dir.filePath(QStringLiteral("Conveyor.h53"));
    ASSERT_TRUE(WriteProgramFile(p, file));
    auto app = start(QLatin1Char('"') + file + QLatin1Char('"'));
    EXPECT_EQ(app->mainWindow()->windowTitle(),
              QStringLiteral("BRANTELDESK X      ( Conveyor.h53 )  ( ") + file + QStringLiteral(" )"));
    EXPECT_EQ(app->mainWindow()->modelPanel()->text(),
              QStringLiteral("12-24 V DC - Relaymaster R7-HD-6A2T-N"));
    EXPECT_TRUE(app->document().locks().holds(file));
    EXPECT_TRUE(prompter.messages().empty());

    // Closing releases the file and leaves the application's copy behind.
    EXPECT_TRUE(app->mainWindow()->close());
    EXPECT_FALSE(app->document().locks().holds(file));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("data/def.txt"))));
}

TEST_F(MainWindowTest, AProgramThatCannotBeOpenedLeavesAnEmptyOne) {
    writeSettings(English, 1);
    auto app = start(dir.filePath(QStringLiteral("missing.h53")));
    EXPECT_EQ(app->mainWindow()->windowTitle(), QStringLiteral("BRANTELDESK X      ( Untitled.h53 )  (  )"));
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_TRUE(prompter.texts().front().startsWith(QStringLiteral("The file could not be opened: ")));
}

TEST_F(MainWindowTest, ClosingWithUnsavedChangesCanBeCancelled) {
    writeSettings(English, 1);
    auto app = start();
    app->program().ProgramModified = true;
    prompter.queueReply(Reply::Cancel);
    EXPECT_FALSE(app->mainWindow()->close());
    EXPECT_TRUE(app->mainWindow()->isVisible());
    EXPECT_EQ(prompter.texts().back(), QStringLiteral("Do you want to save the changes you made?"));
}

}  // namespace
}  // namespace bdx
