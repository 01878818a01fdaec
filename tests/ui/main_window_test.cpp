#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

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

    std::unique_ptr<Application> start() {
        auto app = std::make_unique<Application>(StartupOptions{settingsPath(), QString(), &prompter, true});
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

TEST_F(MainWindowTest, CaptionFollowsTheProgramFile) {
    writeSettings(English, 1);
    auto app = start();
    app->program().ProgramFileName = QStringLiteral("Motor.h53");
    app->program().ProgramFilePath = QStringLiteral("/work/Motor.h53");
    app->mainWindow()->updateCaption();
    EXPECT_EQ(app->mainWindow()->windowTitle(), QStringLiteral("BRANTELDESK X      ( Motor.h53 )  ( /work/Motor.h53 )"));
    app->program().ModelIndex = 11;
    app->mainWindow()->UpdateModelDisplay();
    EXPECT_EQ(app->mainWindow()->modelPanel()->text(), QStringLiteral("24 V AC/DC Analog - KX1A30"));
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
    auto app = std::make_unique<Application>(StartupOptions{dir.path(), QString(), &prompter, false});
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

TEST(ProgramPathArgumentTest, QuotesAreRemoved) {
    EXPECT_EQ(ProgramPathFromArgument(QStringLiteral("\"/a b/Motor.h53\"")), QStringLiteral("/a b/Motor.h53"));
    EXPECT_EQ(ProgramPathFromArgument(QStringLiteral("Motor.h53")), QStringLiteral("Motor.h53"));
    EXPECT_EQ(ProgramPathFromArgument(QStringLiteral("\"")), QStringLiteral("\""));
}

}  // namespace
}  // namespace bdx
