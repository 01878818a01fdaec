#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDockWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTextBrowser>
#include <QToolBar>

#include "app_rig.h"
#include "bdx_version.h"
#include "blocks/device_model.h"
#include "ladder/program_file.h"
#include "ui/blocks/config_form.h"
#include "ui/comm/ser_setting_form.h"
#include "ui/help/help_window.h"
#include "ui/help/whats_new_window.h"
#include "ui/ladder/error_list_window.h"
#include "ui/ladder/ladder_controller.h"
#include "ui/ladder/ladder_view.h"
#include "ui/main/frm_select_language.h"
#include "ui/main/menu_table.h"
#include "ui/main/qt_prompter.h"
#include "ui/main/window_geometry.h"
#include "ui/sim/io_form.h"
#include "ui/widgets/captions.h"

namespace bdx {
namespace {

using MainWindowTest = AppRig;

const QString kUntitledCaption = QStringLiteral("BRANTELDESK X      ( Untitled.h53 )  (  )");

// Every command of the menu table is there; those without a controller are greyed and say why.
TEST_F(MainWindowTest, ControllersRegisterTheCommandsOfTheMenuTable) {
    start();
    const QSet<QString> later = {};
    // Live, but off in a fresh editor: nothing to undo, no run to stop or show, no analog inputs.
    const QSet<QString> idle = {"mnuEditUndo",         "mnuEditRedo",       "mnuSimulationStop",
                                "mnuViewIOSimulator",  "mnuAnalogScaling",  "mnuViewParameters",
                                "mnuViewTextDisplay",  "mnuViewSoftText",   "mnuViewZKeys",
                                "mnuSimulationPause", "mnuSimulationStep",
                                "mnuTimeScaleNext",    "mnuTimeScaleX1",    "mnuTimeScaleX10",
                                "mnuTimeScaleX100",    "mnuTimeScaleFastest"};
    int rows = 0;
    for (const MenuRow& row : MainMenuRows()) {
        const QString name = QString::fromLatin1(row.objectName);
        if (name.isEmpty() || (row.flags & (Submenu | Separator))) {
            continue;
        }
        SCOPED_TRACE(row.objectName);
        ++rows;
        QAction* action = command(row.objectName);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(window()->isLater(action), later.contains(name));
        EXPECT_EQ(action->isEnabled(), !later.contains(name) && !idle.contains(name));
        EXPECT_EQ(action->toolTip().contains(QStringLiteral("Available in a later version")),
                  later.contains(name));
        if (row.textId > 0) {
            EXPECT_EQ(action->text(), LoadText(row.textId));
        }
    }
    EXPECT_EQ(rows, 83);
    EXPECT_EQ(command("mnuFileNew")->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    EXPECT_TRUE(button("Print")->isEnabled());
    // The toolbar runs the same commands, in the table's order.
    const QList<QAction*> onBar = find<QToolBar>("tbToolBar")->actions();
    ASSERT_GE(onBar.size(), 3);
    EXPECT_EQ(onBar[0], command("mnuFileNew"));
    EXPECT_EQ(button("Redo")->defaultAction(), command("mnuEditRedo"));
}

TEST_F(MainWindowTest, StoredLanguageReachesTheMenusAndQtsOwnTexts) {
    const struct {
        int offset;
        const char* yes;
        const char* no;
    } cases[] = {
        {English, "Yes", "No"}, {Portuguese, "Sim", "Não"}, {Polish, "Tak", "Nie"}, {Spanish, "Sí", "No"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.offset);
        writeSettings(c.offset);
        start();
        EXPECT_EQ(window()->menuBar()->actions().front()->text(), LoadText(101, c.offset));
        EXPECT_TRUE(window()->languageAction(c.offset)->isChecked());  // one of a group: see the menu test
        QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(WithoutAccelerators(box.button(QMessageBox::Yes)->text()), QString::fromUtf8(c.yes));
        EXPECT_EQ(WithoutAccelerators(box.button(QMessageBox::No)->text()), QString::fromUtf8(c.no));
        app.reset();
    }
}

TEST_F(MainWindowTest, LanguageMenuStoresTheChoiceAndExplainsInTheNewLanguage) {
    start();
    window()->languageAction(Polish)->trigger();
    EXPECT_TRUE(window()->languageAction(Polish)->isChecked());
    EXPECT_FALSE(window()->languageAction(English)->isChecked());
    EXPECT_EQ(ReadSettings(settingsPath()).LanguageOffset, Polish);
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(prompter.messages()[0].text, LoadText(4213, Polish));
    EXPECT_EQ(prompter.messages()[0].icon, MessageIcon::Information);
    // Captions change at the next start only.
    EXPECT_EQ(CurrentLanguageOffset(), English);
    EXPECT_EQ(window()->menuBar()->actions().front()->text(), LoadText(101, English));

    // A settings file that cannot be written (a folder stands in its place) is reported first.
    prompter.clear();
    StartupOptions o = options();
    o.settingsPath = dir.path();
    o.askLanguage = false;
    start(o);
    window()->languageAction(Spanish)->trigger();
    ASSERT_EQ(prompter.messages().size(), 2u);
    EXPECT_EQ(prompter.messages()[0].icon, MessageIcon::Warning);
    EXPECT_EQ(prompter.messages()[1].text, LoadText(4213, Spanish));
}

TEST_F(MainWindowTest, FirstStartAsksForTheLanguage) {
    const struct {
        int storedOffset;
        bool ok;  // OK with Spanish and "do not show again"; else the dialog is closed
        int offset;
        int languageDlg;
    } cases[] = {{English, true, Spanish, 1}, {Polish, false, English, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ok);
        writeSettings(c.storedOffset, 0);
        expectDialog<frmSelectLanguage>([ok = c.ok](frmSelectLanguage& d) {
            EXPECT_EQ(d.cmbLanguage()->currentIndex(), 0);
            EXPECT_FALSE(d.cmbLanguage()->accessibleName().isEmpty());
            if (!ok) {
                d.reject();
                return;
            }
            d.cmbLanguage()->setCurrentIndex(3);
            d.chkDoNotShowAgain()->setChecked(true);
            d.cmdOK()->click();
        });
        start();
        EXPECT_EQ(CurrentLanguageOffset(), c.offset);
        EXPECT_EQ(window()->menuBar()->actions().front()->text(), LoadText(101, c.offset));
        const AppSettings stored = ReadSettings(settingsPath());
        EXPECT_EQ(stored.LanguageOffset, c.offset);
        EXPECT_EQ(stored.LanguageDlg, c.languageDlg);
    }
}

TEST_F(MainWindowTest, StartsWithTheProgramNamedOnTheCommandLineOrAnEmptyOne) {
    Program p;
    p.ModelIndex = 13;
    const QString file = path("Conveyor.h53");
    ASSERT_TRUE(WriteProgramFile(p, file));
    start(file);
    EXPECT_EQ(window()->windowTitle(),
              QStringLiteral("BRANTELDESK X      ( Conveyor.h53 )  ( ") + file + " )");
    EXPECT_EQ(window()->modelPanel()->text(), QString::fromLatin1(ModelDisplayName(13)));
    EXPECT_TRUE(app->document().locks().holds(file));

    // A file that cannot be opened is reported and leaves an empty program of model 0.
    start(path("missing.h53"));
    EXPECT_EQ(window()->windowTitle(), kUntitledCaption);
    EXPECT_EQ(program(), Program{});
    EXPECT_EQ(prompter.messages().size(), 1u);
}

TEST_F(MainWindowTest, ASimulationSwitchesTheCommandsAndStopSwitchesThemBack) {
    start();
    DrawLampRung(editor());
    ASSERT_TRUE(editor().errors().empty());
    // Command or toolbar key, on during the run, on after it (a later version's stays off).
    const struct {
        const char* name;
        bool inRun, after;
    } commands[] = {{"mnuFileNew", false, true},           {"mnuFileOpen", false, true},
                    {"mnuFileSave", false, true},          {"mnuEditUndo", false, true},
                    {"mnuEditRedo", false, false},         {"mnuEditCut", false, true},
                    {"mnuEditPaste", false, true},         {"mnuConfigModel", false, true},
                    {"mnuSimulationPC", false, true},      {"mnuSimulationStop", true, false},
                    {"mnuSimulationDevice", false, true},  {"mnuTransferProgram", false, true},
                    {"mnuTransferClock", false, true},     {"mnuFilePrintDetail", false, true},
                    {"mnuFilePrintShort", false, true},    {"mnuFilePrintFooter", false, true}},
      // The other keys carry the commands themselves; the print key has a menu of its own.
        buttons[] = {{"Print", false, true}, {"SimulationEnd", true, false}, {"Transfer", false, true}};
    const auto expectCommands = [&](bool running) {
        for (const auto& c : commands) {
            EXPECT_EQ(command(c.name)->isEnabled(), running ? c.inRun : c.after) << c.name;
        }
        for (const auto& b : buttons) {
            EXPECT_EQ(button(b.name)->isEnabled(), running ? b.inRun : b.after) << b.name;
        }
        // F5 starts and stops.
        EXPECT_EQ(command(running ? "mnuSimulationStop" : "mnuSimulationPC")->shortcut(),
                  QKeySequence(Qt::Key_F5));
        EXPECT_EQ(editor().SimulationActive(), running);
        // The input/output panel is docked in the main window while the run lasts.
        EXPECT_EQ(window()->ioDock()->isVisible(), running);
        EXPECT_EQ(window()->errorDock()->isVisible(), !running);
        EXPECT_EQ(window()->functionDock()->isVisible(), !running);
    };
    command("mnuSimulationPC")->trigger();
    ASSERT_TRUE(window()->simulationRunning());
    EXPECT_TRUE(prompter.messages().empty());
    expectCommands(true);
    ASSERT_NE(runner().panel(), nullptr);
    EXPECT_EQ(window()->ioDock()->widget(), static_cast<QWidget*>(runner().panel()));
    EXPECT_FALSE(runner().panel()->isWindow());

    command("mnuSimulationStop")->trigger();
    EXPECT_FALSE(window()->simulationRunning());
    expectCommands(false);

    // F5 in the docked panel ends a run as Stop does, and the dock lets the panel go.
    command("mnuSimulationPC")->trigger();
    QTest::keyClick(runner().panel()->inputBox(2), Qt::Key_F5);
    EXPECT_FALSE(window()->simulationRunning());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window()->ioDock()->widget(), nullptr);
    expectCommands(false);
}

// A run keeps its input image for the next (checked with the runner); another program starts afresh.
TEST_F(MainWindowTest, ANewProgramDropsTheInputImage) {
    start();
    DrawLampRung(editor());
    command("mnuSimulationPC")->trigger();
    ASSERT_TRUE(window()->simulationRunning());
    runner().simulation().setInput('I', 1, true);
    command("mnuSimulationStop")->trigger();

    prompter.queueReply(Reply::No);  // do not save the drawn program
    command("mnuFileNew")->trigger();
    DrawLampRung(editor());
    command("mnuSimulationPC")->trigger();
    ASSERT_TRUE(window()->simulationRunning());
    EXPECT_FALSE(runner().simulation().input('I', 1));
    command("mnuSimulationStop")->trigger();
}

TEST_F(MainWindowTest, ExitAsksToEndARunThenToSaveAndCancelKeepsEverything) {
    start();
    DrawLampRung(editor());
    const Program before = program();
    prompter.queueReply(Reply::Cancel);
    EXPECT_FALSE(window()->close());
    EXPECT_TRUE(window()->isVisible());
    EXPECT_EQ(prompter.texts(), QStringList{LoadText(4211)});
    EXPECT_EQ(program(), before);
    EXPECT_TRUE(editor().CanUndo());
    // None of the exit steps ran.
    EXPECT_FALSE(QFile::exists(path("data/def.txt")));
    EXPECT_FALSE(QFile::exists(windowSettingsPath()));

    prompter.clear();
    command("mnuSimulationPC")->trigger();
    ASSERT_TRUE(window()->simulationRunning());
    prompter.queueReply(Reply::No);
    EXPECT_FALSE(window()->close());
    EXPECT_TRUE(window()->simulationRunning());
    prompter.queueReply(Reply::Yes);  // end the simulation
    prompter.queueReply(Reply::No);   // and do not save
    EXPECT_TRUE(window()->close());
    EXPECT_FALSE(window()->simulationRunning());
    EXPECT_EQ(prompter.texts(), (QStringList{LoadText(4210), LoadText(4210), LoadText(4211)}));
    EXPECT_TRUE(QFile::exists(path("data/def.txt")));
}

TEST(MainWindowGeometryTest, StoredPlaceIsKeptButNeverTooSmallAndAFirstStartTakesAShare) {
    const QRect screen(0, 0, 1600, 1000);
    const QSize minimum(700, 400);
    const struct {
        std::optional<QRect> stored;  // twips
        QRect expected;
    } cases[] = {
        {std::nullopt, QRect(160, 100, 1280, 800)},                     // first start: 80 %, centred
        {QRect(1000, 1000, 6500, 6500), QRect(67, 67, 700, 433)},       // the old default: widened
        {QRect(2250, 1800, 13500, 9600), QRect(150, 120, 900, 640)},    // kept as it was
        {QRect(0, 0, 60000, 60000), QRect(0, 0, 1600, 1000)},           // no larger than the screen
        {QRect(90000, 90000, 13500, 9600), QRect(350, 180, 900, 640)},  // off the screen: centred
        {QRect(0, 0, 1500, 1500), QRect(160, 100, 1280, 800)},          // too small to be meant
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MainWindowGeometry(c.stored, minimum, screen), c.expected) << c.expected.x();
    }
}

TEST_F(MainWindowTest, WindowOpensWithItsMenusAndToolbarWholeAndRemembersWhereItWas) {
    start();  // where a first start puts it is the geometry's own
    // Nothing folds away: the menu bar needs one row and the toolbar shows every button.
    auto* bar = find<QToolBar>("tbToolBar");
    EXPECT_GE(window()->width(), window()->menuBar()->sizeHint().width());
    EXPECT_GE(bar->width(), bar->sizeHint().width());

    window()->move(150, 120);
    window()->resize(760, 500);
    ASSERT_TRUE(window()->close());
    {
        QSettings stored(windowSettingsPath(), QSettings::IniFormat);
        const QStringList keys = {"MainLeft", "MainTop", "MainWidth", "MainHeight"};
        const int twips[] = {2250, 1800, 11400, 7500};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(stored.value(QStringLiteral("Settings/") + keys[i]).toInt(), twips[i]) << i;
        }
    }
    start();
    EXPECT_EQ(window()->pos(), QPoint(150, 120));
    EXPECT_EQ(window()->size(), QSize(760, 500));
}

TEST_F(MainWindowTest, StoredViewModeChoosesTheDisplayStyle) {
    const char* actions[] = {"mnuEditModeDevice", "mnuEditModePLC", "mnuEditModeElectrical"};
    const std::pair<QVariant, int> cases[] = {{5, 0}, {2, 2}, {1, 1}, {-1, 0}, {QStringLiteral("PLC"), 0}};
    for (const auto& [stored, style] : cases) {
        SCOPED_TRACE(stored.toString().toStdString());
        QSettings(windowSettingsPath(), QSettings::IniFormat)
            .setValue(QStringLiteral("Startup/ViewMode"), stored);
        start();
        EXPECT_EQ(window()->displayStyle(), style);
        EXPECT_EQ(find<LadderView>("ladderView")->displayStyle(), style);
        EXPECT_TRUE(command(actions[style])->isChecked());
    }
    // A choice from the menu is stored at once, not only at exit.
    command("mnuEditModeElectrical")->trigger();
    EXPECT_EQ(find<LadderView>("ladderView")->displayStyle(), 2);
    EXPECT_EQ(QSettings(windowSettingsPath(), QSettings::IniFormat).value("Startup/ViewMode").toInt(), 2);
}

// The clipboard texts are the clipboard's own; here they reach the system clipboard and come back.
TEST_F(MainWindowTest, EditCaptionsAndClipboardFollowTheLineSelection) {
    start();
    DrawLampRung(editor());
    window()->resize(1000, 700);
    QApplication::processEvents();
    auto* view = find<LadderView>("ladderView");
    ASSERT_FALSE(view->lineNumberRect(0).isEmpty());
    const struct {
        const char* name;
        const char* element;
        const char* line;
    } captions[] = {{"mnuEditCut", "Cu&t", "Cu&t Line"},
                    {"mnuEditCopy", "&Copy", "&Copy Line"},
                    {"mnuEditPaste", "&Paste", "&Paste Line"}};

    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, view->lineNumberRect(0).center());
    ASSERT_TRUE(editor().LineSelected());
    for (const auto& c : captions) {
        EXPECT_EQ(command(c.name)->text(), QLatin1String(c.line));
    }
    command("mnuEditCopy")->trigger();
    EXPECT_TRUE(
        QGuiApplication::clipboard()->text().startsWith(QStringLiteral(" MarloCutCopyPaste: Line: ")));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->positionRect({SelectionKinds::Contact, 2, 0}).center());
    EXPECT_FALSE(editor().LineSelected());
    for (const auto& c : captions) {
        EXPECT_EQ(command(c.name)->text(), QLatin1String(c.element));
    }

    // Another application's window pastes the copied line.
    const Program source = program();
    auto first = std::move(app);
    start();
    editor().selectLine(4);
    command("mnuEditPaste")->trigger();
    for (int w = 0; w < kWordsPerLine; ++w) {
        EXPECT_EQ(program().word(4, w), source.word(0, w)) << "word " << w;
    }
    EXPECT_TRUE(command("mnuEditUndo")->isEnabled());
}

// Three lines chosen with Shift on the line numbers leave one window and arrive in another.
TEST_F(MainWindowTest, ThreeLinesCutInOneWindowArePastedInAnother) {
    start();
    for (int line = 0; line < 3; ++line) {
        DrawLampRung(editor(), line, 'I', line + 1, 'Q', line + 1);
    }
    window()->resize(1000, 700);
    QApplication::processEvents();
    auto* view = find<LadderView>("ladderView");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->lineNumberRect(0).center());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier, view->lineNumberRect(2).center());
    EXPECT_EQ(command("mnuEditCut")->text(), QStringLiteral("Cu&t Line"));
    const Program source = program();
    command("mnuEditCut")->trigger();
    EXPECT_EQ(program().LadderGrid, Program().LadderGrid);

    auto first = std::move(app);
    start();
    editor().selectLine(4);
    command("mnuEditPaste")->trigger();
    for (int line = 0; line < 3; ++line) {
        for (int w = 0; w < kWordsPerLine; ++w) {
            EXPECT_EQ(program().word(4 + line, w), source.word(line, w)) << line << " " << w;
        }
    }
    command("mnuEditUndo")->trigger();
    EXPECT_EQ(program().LadderGrid, Program().LadderGrid);
    EXPECT_FALSE(command("mnuEditUndo")->isEnabled());
}

// The document's and the editor's announcements reach the windows without the frame passing them on.
TEST_F(MainWindowTest, ProgramChangesReachTheErrorListTheCaptionAndTheCommands) {
    start();
    auto* errors = find<ErrorListWindow>("errorListWindow");
    const int before = errors->grid()->rowCount();
    editor().select({SelectionKinds::Coil, 3, 0});
    editor().setPlacement('Q', OperandNumberCode(2));
    ASSERT_TRUE(editor().PlaceOperand());
    EXPECT_NE(errors->grid()->rowCount(), before);
    EXPECT_EQ(errors->grid()->rowCount(), int(editor().errors().size()));
    // Undo and Redo follow the history and reach the editor.
    const auto expectHistory = [&](std::uint16_t coil, bool undo, bool redo) {
        EXPECT_EQ(program().word(3, kCoilLetterWord), coil);
        EXPECT_EQ(command("mnuEditUndo")->isEnabled(), undo);
        EXPECT_EQ(command("mnuEditRedo")->isEnabled(), redo);
    };
    expectHistory('Q', true, false);
    command("mnuEditUndo")->trigger();
    expectHistory(CellEmpty, false, true);
    command("mnuEditRedo")->trigger();
    expectHistory('Q', true, false);

    prompter.queueFile(path("Lamp.h53"));
    command("mnuFileSaveAs")->trigger();
    EXPECT_EQ(window()->windowTitle(), QStringLiteral("BRANTELDESK X      ( Lamp.h53 )  ( ") +
                                           path("Lamp.h53") + QStringLiteral(" )"));
}

TEST_F(MainWindowTest, ModelDialogSetsTheModelDependentCommands) {
    const struct {
        int row, model;
        bool analog, display;
    } cases[] = {{2, 9, true, true}, {3, 12, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        start();
        openFrom<config_form>("mnuConfigModel", [row = c.row](config_form& d) {
            d.selectRow(row);
            d.Command1()->click();
        });
        EXPECT_EQ(program().ModelIndex, c.model);
        EXPECT_EQ(window()->modelPanel()->text(), QString::fromLatin1(ModelDisplayName(c.model)));
        EXPECT_EQ(find<QMenu>("mnuAnalog")->menuAction()->isEnabled(), c.analog);
        EXPECT_EQ(command("mnuAnalogScaling")->isEnabled(), c.analog);
        EXPECT_EQ(command("mnuViewTextDisplay")->isVisible(), c.display);
        EXPECT_EQ(command("mnuViewBar3")->isVisible(), c.display);
    }
}

// Options / Comm Port and Transfer / Communication Parameters open the same dialog.
TEST_F(MainWindowTest, CommPortOkWritesTheSettingsFile) {
    start();
    int id = 11;
    for (const char* name : {"mnuOptionsCommPort", "mnuTransferComm"}) {
        SCOPED_TRACE(name);
        ++id;
        expectDialog<ser_setting_form>([id](ser_setting_form& d) {
            d.optUART()->setChecked(true);
            d.cmbCommPort()->setEditText(QStringLiteral("/dev/ttyUSB0"));
            d.txtModbusID()->setText(QString::number(id));
            d.Command1()->click();
        });
        command(name)->trigger();
        const AppSettings stored = ReadSettings(settingsPath());
        EXPECT_EQ(stored.ModbusID, id);
        EXPECT_EQ(stored.SerialDevice, QStringLiteral("/dev/ttyUSB0"));
    }
    EXPECT_TRUE(prompter.messages().empty());
}

TEST_F(MainWindowTest, SendWritesTheAttachmentAndReportsAMailProgramThatWillNotStart) {
    start();
    DrawLampRung(editor());
    const QString attachment = path("data/Attachment/Attachment.h53");
    qputenv(kMailCommandVariable, path("no-such-mail-program").toLocal8Bit());
    command("mnuFileSend")->trigger();
    Program sent;
    EXPECT_TRUE(ReadProgramFile(attachment, sent).ok());
    EXPECT_EQ(sent.LadderGrid, program().LadderGrid);
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(prompter.messages()[0].icon, MessageIcon::Warning);
    EXPECT_TRUE(prompter.texts()[0].contains(attachment)) << prompter.texts()[0].toStdString();

    prompter.clear();
    qputenv(kMailCommandVariable, "true");
    command("mnuFileSend")->trigger();
    EXPECT_TRUE(prompter.messages().empty());
    qunsetenv(kMailCommandVariable);
}

TEST_F(MainWindowTest, HelpOpensOnItsContentsEveryLinkLeadsToAPageEscClosesAndAboutNamesTheVersion) {
    start();
    command("mnuHelpContents")->trigger();
    auto* help = find<HelpWindow>("frmHelp");
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->currentPage(), QStringLiteral("index.html"));
    ASSERT_EQ(help->contents()->count(), HelpWindow::pages().size());
    EXPECT_FALSE(help->contents()->accessibleName().isEmpty());

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

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(help->browser(), &escape);
    EXPECT_FALSE(help->isVisible());

    // About names the product and its version.
    command("mnuHelpAbout")->trigger();
    auto* about = find<QDialog>("dlgAbout");
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    EXPECT_TRUE(about->findChild<QLabel*>("lblVersion")->text().endsWith(QString::fromLatin1(kVersionText)));
    about->reject();
}

// What's New shows the release notes in the chosen language; both cable commands open the page
// on connecting the cable, the video command at its step-by-step check.
TEST_F(MainWindowTest, WhatsNewAndTheUsbCableCommandsOpenTheirPagesInTheChosenLanguage) {
    writeSettings(Portuguese);
    start();
    command("mnuHelpWhatsNew")->trigger();
    auto* news = find<WhatsNewWindow>("frmWhatsNew");
    ASSERT_NE(news, nullptr);
    EXPECT_TRUE(news->isVisible());
    EXPECT_TRUE(news->browser()->toPlainText().startsWith(QStringLiteral("Novidades do BrantelDesk X")));
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(news->browser(), &escape);
    EXPECT_FALSE(news->isVisible());
    QSet<QString> notes;
    for (const LanguageChoice& language : kLanguages) {
        notes.insert(WhatsNewWindow::newsText(language.offset));
    }
    EXPECT_EQ(notes.size(), 4) << "a language shows another's release notes";
    EXPECT_EQ(WhatsNewWindow::newsText(4242), WhatsNewWindow::newsText(English));

    command("mnuOptionsUsbVideo")->trigger();
    auto* help = find<HelpWindow>("frmHelp");
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->currentPage(), QStringLiteral("usb_cable.html"));
    EXPECT_EQ(help->browser()->source().fragment(), QStringLiteral("check"));
    command("mnuOptionsUsbDrivers")->trigger();
    EXPECT_TRUE(help->browser()->source().fragment().isEmpty());

    // Each language's page names the rule the package installs, the name it gives and the fix.
    QFile rules(QStringLiteral(BDX_SOURCE_DIR "/packaging/udev/60-branteldesk-usb-cable.rules"));
    ASSERT_TRUE(rules.open(QIODevice::ReadOnly));
    const QString rule = QString::fromUtf8(rules.readAll());
    const QRegularExpression symlink(QStringLiteral("SYMLINK\\+=\"([^\"]+)\""));
    const QString name = symlink.match(rule).captured(1);
    ASSERT_FALSE(name.isEmpty());
    EXPECT_TRUE(rule.contains(QStringLiteral("GROUP=\"dialout\"")));
    for (const char* folder : {"", "pt/", "pl/", "es/"}) {
        SCOPED_TRACE(folder);
        QFile page(QStringLiteral(":/help/") + QLatin1String(folder) + QStringLiteral("usb_cable.html"));
        ASSERT_TRUE(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        for (const QString& needed : {QStringLiteral("/dev/") + name, QStringLiteral("60-branteldesk-usb-cable.rules"),
                                      QStringLiteral("sudo usermod -aG dialout $USER"),
                                      QStringLiteral("name=\"check\"")}) {
            EXPECT_TRUE(html.contains(needed)) << needed.toStdString();
        }
    }
}

TEST(WhatsNewWindowTest, Screenshots) {
    InScreenshotLanguages([](const QString& language) {
        WhatsNewWindow window;
        Shoot(window, QStringLiteral("whats_new_") + language);
    });
}

TEST_F(MainWindowTest, FileDialogsStartInTheProgramsFolderElseTheDocumentsFolder) {
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QDir(documents).exists()) {
        documents = QDir::homePath();
    }
    const struct {
        QString named, start, expected;
    } cases[] = {{dir.path(), QString(), dir.path()},
                 {QString(), path("data"), path("data")},
                 {QString(), QString(), documents},
                 {path("gone"), path("gone"), documents}};
    QDir().mkpath(path("data"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        FileChoice choice;
        choice.directory = c.named;
        const auto dialog = MakeFileDialog(nullptr, choice, QFileDialog::AcceptOpen, c.start);
        EXPECT_EQ(QDir(dialog->directory()).absolutePath(), QDir(c.expected).absolutePath());
    }
}

// Screen readers find every control of the main window by a name.
TEST_F(MainWindowTest, EveryWindowAndControlHasAnObjectAndAnAccessibleName) {
    start();
    EXPECT_EQ(window()->accessibleName(), QStringLiteral("BRANTELDESK X"));
    for (QWidget* widget : window()->findChildren<QWidget*>()) {
        const QString name = widget->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_"))) {
            EXPECT_FALSE(widget->accessibleName().isEmpty()) << name.toStdString();
        }
    }
    for (const char* name : {"ladderView", "functionSelector", "errorListWindow", "grdErrors", "mnuFile",
                             "tbNew", "tbPrint", "dockFunctionToolbox", "sbStatusBarModel"}) {
        auto* widget = find<QWidget>(name);
        ASSERT_NE(widget, nullptr) << name;
        EXPECT_FALSE(widget->accessibleName().isEmpty()) << name;
    }
}

}  // namespace
}  // namespace bdx
