#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

#include "bdx_version.h"
#include "blocks/device_model.h"
#include "editor/ladder_editor.h"
#include "ladder/grid.h"
#include "ladder/program_file.h"
#include "shell/language_table.h"
#include "shell/scripted_prompter.h"
#include "ui/main/application.h"
#include "ui/blocks/config_form.h"
#include "ui/main/frm_main.h"
#include "ui/main/frm_select_language.h"
#include "ui/help/help_window.h"
#include "ui/sim/io_form.h"
#include "ui/ladder/ladder_view.h"
#include "ui/sim/pc_simulation_runner.h"

namespace bdx {
namespace {

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override { SetLanguageOffset(English); }

    QString settingsPath() const { return dir.filePath(QStringLiteral("Config.ini")); }
    QString windowSettingsPath() const { return dir.filePath(QStringLiteral("window.ini")); }

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
        options.windowSettingsPath = windowSettingsPath();
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
    options.windowSettingsPath = windowSettingsPath();
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

QAction* command(frmMain* window, const char* name) {
    auto* action = window->findChild<QAction*>(QString::fromLatin1(name));
    EXPECT_NE(action, nullptr) << name;
    return action;
}

// I1 driving Q1 on line 1, drawn as a user would, complete enough for the run gate.
void drawLampRung(LadderEditor& editor) {
    editor.select({SelectionKinds::Contact, 0, 0});
    editor.setPlacement('I', OperandNumberCode(1));
    editor.PlaceOperand();
    editor.select({SelectionKinds::Coil, 0, 0});
    editor.setPlacement('Q', OperandNumberCode(1));
    editor.PlaceOperand();
    editor.setEditTool(kWireTool);
    for (int column : {1, 2}) {
        editor.select({SelectionKinds::Contact, 0, column});
        editor.WireToolClick(0.5);
    }
    editor.setEditTool(kSelectionTool);
    editor.select({SelectionKinds::Junction, 0, 2});
    editor.ToggleJunction(JunctionArea::Right);
}

void clickView(LadderView* view, QPoint at, Qt::MouseButton button) {
    const QPointF global = view->viewport()->mapToGlobal(QPointF(at));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), global, button, button, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), global, button, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &release);
}

TEST_F(MainWindowTest, ASimulationSwitchesTheCommandsAndStopSwitchesThemBack) {
    writeSettings(English, 1);
    auto app = start();
    frmMain* window = app->mainWindow();
    drawLampRung(window->editor());
    ASSERT_TRUE(window->editor().errors().empty());

    command(window, "mnuSimulationPC")->trigger();
    ASSERT_TRUE(window->simulationRunning());
    EXPECT_TRUE(prompter.messages().empty());
    for (const char* name :
         {"mnuFileNew", "mnuFileOpen", "mnuFileSave", "mnuEditUndo", "mnuEditRedo", "mnuSimulationPC",
          "mnuSimulationDevice", "mnuTransferProgram", "mnuTransferClock"}) {
        EXPECT_FALSE(command(window, name)->isEnabled()) << name;
    }
    for (const char* key : {"New", "Open", "Save", "Undo", "Redo", "SimulationWithPC", "Print"}) {
        EXPECT_FALSE(window->toolbarButton(QString::fromLatin1(key))->isEnabled()) << key;
    }
    EXPECT_TRUE(command(window, "mnuSimulationStop")->isEnabled());
    EXPECT_TRUE(window->toolbarButton(QStringLiteral("SimulationEnd"))->isEnabled());
    EXPECT_TRUE(window->editor().SimulationActive());
    // The input/output panel is docked in the main window while the run lasts.
    ASSERT_NE(window->simulationRunner()->panel(), nullptr);
    EXPECT_EQ(window->ioDock()->widget(), static_cast<QWidget*>(window->simulationRunner()->panel()));
    EXPECT_TRUE(window->ioDock()->isVisible());

    command(window, "mnuSimulationStop")->trigger();
    EXPECT_FALSE(window->simulationRunning());
    EXPECT_FALSE(window->editor().SimulationActive());
    for (const char* name : {"mnuFileNew", "mnuFileOpen", "mnuFileSave", "mnuEditUndo", "mnuSimulationPC"}) {
        EXPECT_TRUE(command(window, name)->isEnabled()) << name;
    }
    for (const char* key : {"New", "Open", "Save", "Undo", "SimulationWithPC"}) {
        EXPECT_TRUE(window->toolbarButton(QString::fromLatin1(key))->isEnabled()) << key;
    }
    EXPECT_FALSE(command(window, "mnuEditRedo")->isEnabled());
    EXPECT_FALSE(command(window, "mnuSimulationStop")->isEnabled());
    // Commands of later versions stay off when edit mode comes back.
    for (const char* name :
         {"mnuSimulationDevice", "mnuTransferProgram", "mnuTransferClock", "mnuFilePrintShort"}) {
        EXPECT_FALSE(command(window, name)->isEnabled()) << name;
    }
    EXPECT_FALSE(window->toolbarButton(QStringLiteral("Print"))->isEnabled());
    EXPECT_FALSE(window->ioDock()->isVisible());
    EXPECT_TRUE(window->errorDock()->isVisible());
    EXPECT_TRUE(window->functionDock()->isVisible());
}

TEST_F(MainWindowTest, TheInputImageOutlivesARunButNotTheProgram) {
    writeSettings(English, 1);
    auto app = start();
    frmMain* window = app->mainWindow();
    drawLampRung(window->editor());
    window->simulationWithPc();
    ASSERT_TRUE(window->simulationRunning());
    window->simulationRunner()->simulation().setInput('I', 1, true);
    window->simulationStop();
    window->simulationWithPc();
    EXPECT_TRUE(window->simulationRunner()->simulation().input('I', 1));
    window->simulationStop();

    prompter.queueReply(Reply::No);  // do not save the drawn program
    window->fileNew();
    drawLampRung(window->editor());
    window->simulationWithPc();
    ASSERT_TRUE(window->simulationRunning());
    EXPECT_FALSE(window->simulationRunner()->simulation().input('I', 1));
    window->simulationStop();
}

TEST_F(MainWindowTest, ARefusedProgramStaysInEditMode) {
    writeSettings(English, 1);
    auto app = start();
    frmMain* window = app->mainWindow();
    window->simulationWithPc();  // an empty program: nothing to run
    EXPECT_FALSE(window->simulationRunning());
    EXPECT_FALSE(prompter.messages().empty());
    EXPECT_TRUE(command(window, "mnuFileNew")->isEnabled());
    EXPECT_FALSE(command(window, "mnuSimulationStop")->isEnabled());
    EXPECT_FALSE(window->ioDock()->isVisible());
}

TEST_F(MainWindowTest, ExitWithAModifiedProgramAndCancelKeepsEverything) {
    writeSettings(English, 1);
    auto app = start();
    frmMain* window = app->mainWindow();
    drawLampRung(window->editor());
    const Program before = app->program();

    prompter.queueReply(Reply::Cancel);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("Do you want to save the changes you made?")});
    EXPECT_EQ(app->program(), before);
    EXPECT_TRUE(window->editor().CanUndo());
    // None of the exit steps ran.
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("data/def.txt"))));
    EXPECT_FALSE(QFile::exists(windowSettingsPath()));
}

TEST_F(MainWindowTest, ExitDuringASimulationAsksToEndItFirst) {
    writeSettings(English, 1);
    auto app = start();
    frmMain* window = app->mainWindow();
    drawLampRung(window->editor());
    window->simulationWithPc();
    ASSERT_TRUE(window->simulationRunning());

    prompter.queueReply(Reply::No);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->simulationRunning());

    prompter.queueReply(Reply::Yes);  // end the simulation
    prompter.queueReply(Reply::No);   // and do not save
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->simulationRunning());
    EXPECT_EQ(prompter.texts(), (QStringList{LoadText(4210), LoadText(4210), LoadText(4211)}));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("data/def.txt"))));
}

TEST_F(MainWindowTest, WindowStartsAtTheDefaultPlaceAndRemembersWhereItWas) {
    writeSettings(English, 1);
    auto app = start();
    frmMain* window = app->mainWindow();
    // 1000 and 6500 twips at 15 twips a pixel.
    EXPECT_EQ(window->pos(), QPoint(67, 67));
    EXPECT_EQ(window->size(), QSize(433, 433));

    window->move(150, 120);
    window->resize(900, 640);
    ASSERT_TRUE(window->close());
    {
        QSettings stored(windowSettingsPath(), QSettings::IniFormat);
        EXPECT_EQ(stored.value(QStringLiteral("Settings/MainLeft")).toInt(), 2250);
        EXPECT_EQ(stored.value(QStringLiteral("Settings/MainTop")).toInt(), 1800);
        EXPECT_EQ(stored.value(QStringLiteral("Settings/MainWidth")).toInt(), 13500);
        EXPECT_EQ(stored.value(QStringLiteral("Settings/MainHeight")).toInt(), 9600);
    }
    app.reset();
    auto again = start();
    EXPECT_EQ(again->mainWindow()->pos(), QPoint(150, 120));
    EXPECT_EQ(again->mainWindow()->size(), QSize(900, 640));
}

TEST_F(MainWindowTest, StoredViewModeChoosesTheDisplayStyle) {
    writeSettings(English, 1);
    const char* actions[] = {"mnuEditModeDevice", "mnuEditModePLC", "mnuEditModeElectrical"};
    const std::pair<QVariant, int> cases[] = {
        {5, 0}, {2, 2}, {1, 1}, {-1, 0}, {QStringLiteral("PLC"), 0},
    };
    for (const auto& c : cases) {
        {
            QSettings stored(windowSettingsPath(), QSettings::IniFormat);
            stored.setValue(QStringLiteral("Startup/ViewMode"), c.first);
        }
        auto app = start();
        frmMain* window = app->mainWindow();
        EXPECT_EQ(window->displayStyle(), c.second) << c.first.toString().toStdString();
        EXPECT_EQ(window->ladderView()->displayStyle(), c.second);
        EXPECT_TRUE(command(window, actions[c.second])->isChecked());
    }

    // A choice from the menu is stored at once, not only at exit.
    auto app = start();
    command(app->mainWindow(), "mnuEditModeElectrical")->trigger();
    EXPECT_EQ(app->mainWindow()->ladderView()->displayStyle(), 2);
    QSettings stored(windowSettingsPath(), QSettings::IniFormat);
    EXPECT_EQ(stored.value(QStringLiteral("Startup/ViewMode")).toInt(), 2);
}

TEST_F(MainWindowTest, EditCaptionsAndClipboardFollowTheLineSelection) {
    writeSettings(English, 1);
    auto app = start();
    frmMain* window = app->mainWindow();
    window->resize(1000, 700);
    QApplication::processEvents();
    LadderView* view = window->ladderView();
    const QRect lineNumber = view->lineNumberRect(2);
    ASSERT_FALSE(lineNumber.isEmpty());

    clickView(view, lineNumber.center(), Qt::RightButton);
    ASSERT_TRUE(window->editor().LineSelected());
    EXPECT_EQ(command(window, "mnuEditCut")->text(), QStringLiteral("Cu&t Line"));
    EXPECT_EQ(command(window, "mnuEditCopy")->text(), QStringLiteral("&Copy Line"));
    EXPECT_EQ(command(window, "mnuEditPaste")->text(), QStringLiteral("&Paste Line"));
    command(window, "mnuEditCopy")->trigger();
    EXPECT_TRUE(
        QGuiApplication::clipboard()->text().startsWith(QStringLiteral(" MarloCutCopyPaste: Line: ")));

    clickView(view, view->positionRect({SelectionKinds::Contact, 2, 0}).center(), Qt::LeftButton);
    EXPECT_FALSE(window->editor().LineSelected());
    EXPECT_EQ(command(window, "mnuEditCut")->text(), QStringLiteral("Cu&t"));
    EXPECT_EQ(command(window, "mnuEditCopy")->text(), QStringLiteral("&Copy"));
    EXPECT_EQ(command(window, "mnuEditPaste")->text(), QStringLiteral("&Paste"));
}

TEST_F(MainWindowTest, ALineCopiedInOneWindowPastesIntoAnotherProgram) {
    writeSettings(English, 1);
    auto first = start();
    auto second = start();
    frmMain* from = first->mainWindow();
    frmMain* to = second->mainWindow();
    drawLampRung(from->editor());
    from->editor().selectLine(0);
    command(from, "mnuEditCopy")->trigger();

    to->editor().selectLine(4);
    command(to, "mnuEditPaste")->trigger();
    const Program& source = first->program();
    const Program& target = second->program();
    for (int w = 0; w < kWordsPerLine; ++w) {
        EXPECT_EQ(target.word(4, w), source.word(0, w)) << "word " << w;
    }
    EXPECT_TRUE(target.ProgramModified);
    EXPECT_TRUE(command(to, "mnuEditUndo")->isEnabled());
}

TEST_F(MainWindowTest, UndoAndRedoCommandsFollowTheHistory) {
    writeSettings(English, 1);
    auto app = start();
    frmMain* window = app->mainWindow();
    LadderEditor& editor = window->editor();
    QAction* undo = command(window, "mnuEditUndo");
    QAction* redo = command(window, "mnuEditRedo");
    QToolButton* undoButton = window->toolbarButton(QStringLiteral("Undo"));
    QToolButton* redoButton = window->toolbarButton(QStringLiteral("Redo"));
    const Program empty = app->program();
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());

    editor.setPlacement('I', OperandNumberCode(1));
    ASSERT_TRUE(editor.PlaceOperand());
    const Program placed = app->program();
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_TRUE(undoButton->isEnabled());
    EXPECT_FALSE(redo->isEnabled());

    undo->trigger();
    EXPECT_EQ(app->program().LadderGrid, empty.LadderGrid);
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_TRUE(redo->isEnabled());
    EXPECT_TRUE(redoButton->isEnabled());

    redo->trigger();
    EXPECT_EQ(app->program().LadderGrid, placed.LadderGrid);
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());

    // A new change after an undo ends the redo history.
    undo->trigger();
    ASSERT_TRUE(redo->isEnabled());
    editor.setPlacement('I', OperandNumberCode(2));
    ASSERT_TRUE(editor.PlaceOperand());
    EXPECT_FALSE(redo->isEnabled());
    EXPECT_FALSE(redoButton->isEnabled());
}

TEST_F(MainWindowTest, ModelDialogSetsTheModelDependentCommands) {
    writeSettings(English, 1);
    struct Case {
        int row;
        int model;
        bool analog;
        bool display;
    };
    for (const Case& c : {Case{2, 9, true, true}, Case{3, 12, false, false}}) {
        auto app = start();
        frmMain* window = app->mainWindow();
        bool dialogSeen = false;
        QTimer::singleShot(0, [&dialogSeen, row = c.row] {
            auto* dialog = qobject_cast<config_form*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                if (QWidget* other = QApplication::activeModalWidget()) {
                    other->close();
                }
                return;
            }
            dialogSeen = true;
            dialog->selectRow(row);
            dialog->Command1()->click();
        });
        command(window, "mnuConfigModel")->trigger();
        ASSERT_TRUE(dialogSeen);
        EXPECT_EQ(app->program().ModelIndex, c.model);
        EXPECT_EQ(window->modelPanel()->text(), QString::fromLatin1(ModelDisplayName(c.model)));
        auto* analog = window->findChild<QMenu*>(QStringLiteral("mnuAnalog"));
        ASSERT_NE(analog, nullptr);
        EXPECT_EQ(analog->menuAction()->isEnabled(), c.analog) << c.row;
        EXPECT_EQ(command(window, "mnuViewTextDisplay")->isVisible(), c.display) << c.row;
        EXPECT_EQ(command(window, "mnuViewBar3")->isVisible(), c.display) << c.row;
        EXPECT_TRUE(app->program().ProgramModified);
    }
}

TEST_F(MainWindowTest, SendWritesTheAttachmentAndReportsAMailProgramThatWillNotStart) {
    writeSettings(English, 1);
    auto app = start();
    frmMain* window = app->mainWindow();
    drawLampRung(window->editor());
    const QString attachment = dir.filePath(QStringLiteral("data/Attachment/Attachment.h53"));

    qputenv(kMailCommandVariable, dir.filePath(QStringLiteral("no-such-mail-program")).toLocal8Bit());
    command(window, "mnuFileSend")->trigger();
    Program sent;
    EXPECT_TRUE(ReadProgramFile(attachment, sent).ok());
    EXPECT_EQ(sent.LadderGrid, app->program().LadderGrid);
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(prompter.messages()[0].icon, MessageIcon::Warning);
    EXPECT_TRUE(prompter.texts()[0].contains(attachment)) << prompter.texts()[0].toStdString();

    prompter.clear();
    qputenv(kMailCommandVariable, "true");
    command(window, "mnuFileSend")->trigger();
    EXPECT_TRUE(prompter.messages().empty());
    qunsetenv(kMailCommandVariable);
}

TEST_F(MainWindowTest, HelpOpensOnItsContentsAndEveryLinkLeadsToAPage) {
    writeSettings(English, 1);
    auto app = start();
    frmMain* window = app->mainWindow();
    command(window, "mnuHelpContents")->trigger();
    HelpWindow* help = window->helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->currentPage(), QStringLiteral("index.html"));
    ASSERT_EQ(help->contents()->count(), HelpWindow::pages().size());

    static const QRegularExpression link(QStringLiteral("href=\"([^\"#]*)"));
    for (const QString& page : HelpWindow::pages()) {
        QFile file(QStringLiteral(":/help/") + page);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << page.toStdString();
        EXPECT_NE(HelpWindow::pageTitle(page), page) << "no title: " << page.toStdString();
        const QString html = QString::fromUtf8(file.readAll());
        for (auto it = link.globalMatch(html); it.hasNext();) {
            const QString target = it.next().captured(1);
            if (!target.startsWith(QLatin1String("http"))) {
                EXPECT_TRUE(QFile::exists(QStringLiteral(":/help/") + target))
                    << page.toStdString() << " -> " << target.toStdString();
            }
        }
    }

    // The contents list and the page on show follow each other.
    help->contents()->setCurrentRow(HelpWindow::pages().indexOf(QStringLiteral("simulation.html")));
    EXPECT_EQ(help->currentPage(), QStringLiteral("simulation.html"));
    EXPECT_TRUE(help->browser()->toPlainText().contains(QStringLiteral("branteldesk-cli simulate")));
    help->showPage(QStringLiteral("editor.html"));
    EXPECT_EQ(help->contents()->currentRow(), HelpWindow::pages().indexOf(QStringLiteral("editor.html")));
}

TEST_F(MainWindowTest, AboutNamesTheProductAndItsVersion) {
    writeSettings(English, 1);
    auto app = start();
    command(app->mainWindow(), "mnuHelpAbout")->trigger();
    auto* about = app->mainWindow()->findChild<QDialog*>(QStringLiteral("dlgAbout"));
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    auto* version = about->findChild<QLabel*>(QStringLiteral("lblVersion"));
    ASSERT_NE(version, nullptr);
    EXPECT_TRUE(version->text().endsWith(QString::fromLatin1(kVersionText)));
    about->reject();
}

}  // namespace
}  // namespace bdx
