// Zoom, full screen, the recent-files list and the extra keys of the main window.

#include <QMdiSubWindow>
#include <QMenu>
#include <QWheelEvent>

#include "../check/ladder_drawing.h"
#include "app_rig.h"
#include "ladder/program_file.h"
#include "ui/ladder/ladder_view.h"
#include "ui/main/window_geometry.h"

namespace bdx {
namespace {

using ViewCommandsTest = AppRig;

LadderView* LadderOf(frmMain* window) {
    return qobject_cast<LadderView*>(window->editorWindow()->widget());
}

QStringList RecentEntries(frmMain* window) {
    QStringList entries;
    for (QAction* action : window->findChild<QMenu*>(QStringLiteral("mnuFileRecent"))->actions()) {
        entries << action->text();
    }
    return entries;
}

TEST(RecentFileList, NewestFirstWithoutRepeatsAndAtMostEight) {
    QStringList list;
    for (int i = 1; i <= 9; ++i) {
        list = WithRecentFile(list, QStringLiteral("/p/%1.h53").arg(i));
    }
    ASSERT_EQ(list.size(), kRecentFileCount);
    EXPECT_EQ(list.front(), QStringLiteral("/p/9.h53"));
    EXPECT_EQ(list.back(), QStringLiteral("/p/2.h53"));  // the first one fell off
    list = WithRecentFile(list, QStringLiteral("/p/5.h53"));
    EXPECT_EQ(list.size(), kRecentFileCount);
    EXPECT_EQ(list.indexOf(QStringLiteral("/p/5.h53")), 0);
    EXPECT_EQ(list.count(QStringLiteral("/p/5.h53")), 1);
    EXPECT_EQ(WithRecentFile(list, QString()), list);
}

TEST(ZoomSteps, WalkTheStepsAndStopAtTheLimits) {
    EXPECT_GT(SteppedZoom(kZoomNormal, 1), kZoomNormal);
    EXPECT_LT(SteppedZoom(kZoomNormal, -1), kZoomNormal);
    EXPECT_EQ(SteppedZoom(SteppedZoom(kZoomNormal, 1), -1), kZoomNormal);
    EXPECT_EQ(SteppedZoom(kZoomNormal, 50), kZoomMaximum);
    EXPECT_EQ(SteppedZoom(kZoomNormal, -50), kZoomMinimum);
    EXPECT_EQ(SteppedZoom(113, 1), 125);  // a stored value between steps goes to the next one
    EXPECT_EQ(ClampZoom(5000), kZoomMaximum);
    EXPECT_EQ(ClampZoom(-3), kZoomMinimum);
}

TEST_F(ViewCommandsTest, ZoomScalesTheLinesAndIsKeptForTheNextStart) {
    start();
    window()->resize(900, 700);
    LadderView* view = LadderOf(window());
    const double normal = view->rowHeight();
    command("mnuViewZoomIn")->trigger();
    const double zoomedIn = view->rowHeight();
    EXPECT_GT(zoomedIn, normal);
    // Ctrl+wheel zooms too; the wheel alone scrolls and leaves the size.
    const QPointF at(20, 20);
    QWheelEvent ctrlUp(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                       Qt::ControlModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view->viewport(), &ctrlUp);
    EXPECT_GT(view->rowHeight(), zoomedIn);
    QWheelEvent plainDown(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
    const double beforePlain = view->rowHeight();
    QCoreApplication::sendEvent(view->viewport(), &plainDown);
    EXPECT_EQ(view->rowHeight(), beforePlain);

    command("mnuViewZoomNormal")->trigger();
    EXPECT_DOUBLE_EQ(view->rowHeight(), normal);
    for (int i = 0; i < 20; ++i) {
        command("mnuViewZoomOut")->trigger();
    }
    EXPECT_EQ(view->zoomPercent(), kZoomMinimum);
    EXPECT_FALSE(command("mnuViewZoomOut")->isEnabled());
    EXPECT_TRUE(command("mnuViewZoomIn")->isEnabled());
    command("mnuViewZoomIn")->trigger();
    const int kept = view->zoomPercent();

    app.reset();
    start();
    EXPECT_EQ(LadderOf(window())->zoomPercent(), kept);
    EXPECT_TRUE(command("mnuViewZoomOut")->isEnabled());
}

TEST_F(ViewCommandsTest, RecentFilesListTheLastEightAndDropAMissingOneWithAMessage) {
    QStringList files;
    for (int i = 1; i <= 9; ++i) {
        Program p;
        files << path(QStringLiteral("Line%1.h53").arg(i).toLatin1().constData());
        ASSERT_TRUE(WriteProgramFile(p, files.back()));
    }
    start(files[0]);
    EXPECT_EQ(RecentEntries(window()).size(), 1);
    for (int i = 1; i < 9; ++i) {
        ASSERT_EQ(app->document().OpenFile(files[i]), ProgramDocument::Outcome::Done);
    }
    QStringList entries = RecentEntries(window());
    ASSERT_EQ(entries.size(), kRecentFileCount);
    EXPECT_TRUE(entries.front().startsWith(QStringLiteral("&1 ")));
    EXPECT_TRUE(entries.front().endsWith(QStringLiteral("Line9.h53")));
    EXPECT_TRUE(entries.back().endsWith(QStringLiteral("Line2.h53")));

    // Choosing an entry opens it and puts it first.
    command("mnuFileRecent5")->trigger();
    EXPECT_EQ(QFileInfo(program().ProgramFilePath).fileName(), QStringLiteral("Line5.h53"));
    EXPECT_TRUE(RecentEntries(window()).front().endsWith(QStringLiteral("Line5.h53")));

    // The list survives a restart; a file deleted meanwhile goes with a message when chosen.
    app.reset();
    ASSERT_TRUE(QFile::remove(files[8]));
    start();
    entries = RecentEntries(window());
    ASSERT_EQ(entries.size(), kRecentFileCount);
    EXPECT_TRUE(entries[1].endsWith(QStringLiteral("Line9.h53")));
    const QString before = program().ProgramFilePath;
    command("mnuFileRecent2")->trigger();
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_TRUE(prompter.texts().front().contains(QStringLiteral("Line9.h53")));
    EXPECT_EQ(program().ProgramFilePath, before);
    entries = RecentEntries(window());
    EXPECT_EQ(entries.size(), kRecentFileCount - 1);
    EXPECT_FALSE(entries.join(u'|').contains(QStringLiteral("Line9.h53")));
}

TEST_F(ViewCommandsTest, KeysAndWindowCommands) {
    start();
    const struct {
        const char* command;
        const char* key;
    } keys[] = {{"mnuFileSaveAs", "Ctrl+Shift+S"}, {"mnuEditRedo", "Ctrl+Shift+Z"},  {"mnuEditRedo", "Ctrl+Y"},
                {"mnuViewFullScreen", "F11"},      {"mnuViewZoomIn", "Ctrl++"},       {"mnuViewZoomOut", "Ctrl+-"},
                {"mnuViewZoomNormal", "Ctrl+0"}};
    for (const auto& k : keys) {
        SCOPED_TRACE(k.key);
        EXPECT_TRUE(command(k.command)->shortcuts().contains(QKeySequence(QString::fromLatin1(k.key))));
    }

    window()->show();
    QAction* fullScreen = command("mnuViewFullScreen");
    fullScreen->trigger();
    EXPECT_TRUE(window()->isFullScreen());
    EXPECT_TRUE(fullScreen->isChecked());
    fullScreen->trigger();
    EXPECT_FALSE(window()->isFullScreen());
    EXPECT_FALSE(fullScreen->isChecked());

    // Program Mode brings the editor back to fill the frame.
    window()->editorWindow()->showNormal();
    command("mnuViewProgramMode")->trigger();
    EXPECT_TRUE(window()->editorWindow()->isMaximized());
}

TEST_F(ViewCommandsTest, Screenshots) {
    InScreenshotLanguages([this](const QString& language) {
        start();
        Ladder l(8);
        l.rung(1, 'I', 1, 'Q', 1).rung(2, 'I', 2, 'M', 1);
        editor().program() = l.p;
        window()->resize(1000, 700);
        for (const int steps : {2, -4}) {
            for (int i = 0; i < std::abs(steps); ++i) {
                command(steps > 0 ? "mnuViewZoomIn" : "mnuViewZoomOut")->trigger();
            }
            Shoot(*window(), QStringLiteral("zoom_%1_%2").arg(LadderOf(window())->zoomPercent()).arg(language));
        }
        app.reset();
        QFile::remove(windowSettingsPath());
    });
}

}  // namespace
}  // namespace bdx
