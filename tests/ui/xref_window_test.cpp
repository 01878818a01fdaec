#include "ui/ladder/xref_window.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QTableWidget>
#include <QMouseEvent>
#include <QTest>

#include "../editor/editor_fixture.h"
#include "app_rig.h"

namespace bdx {
namespace {

class XrefWindowTest : public EditorFixture {
  protected:
    QStringList rows() const {
        QStringList texts;
        const QTableWidget* grid = window.grid();
        for (int r = 0; r < grid->rowCount(); ++r) {
            texts << grid->item(r, XrefOperand)->text() + u'|' + grid->item(r, XrefUse)->text() + u'|' +
                         grid->item(r, XrefLines)->text();
        }
        return texts;
    }

    XrefWindow window{editor};
};

// The rows follow edits, undo and a whole new program; double-click and Enter select the line.
TEST_F(XrefWindowTest, FollowsEditsAndJumpsToTheChosenLine) {
    window.resize(600, 300);
    window.show();
    EXPECT_TRUE(rows().isEmpty());
    ASSERT_TRUE(placeContact(4, 0, 'I', 3));
    ASSERT_TRUE(placeCoil(4, 'Q', 1));
    ASSERT_TRUE(placeContact(7, 1, 'I', 3));
    EXPECT_EQ(rows(), QStringList({"I3|Contact NO|5, 8", "Q1|Coil: State Change: Contactor|5"}));
    editor.Undo();
    EXPECT_EQ(rows(), QStringList({"I3|Contact NO|5", "Q1|Coil: State Change: Contactor|5"}));

    editor.select({C, 0, 0});
    QTableWidget* grid = window.grid();
    QApplication::processEvents();
    const QRect coilRow = grid->visualRect(grid->model()->index(1, XrefUse));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, coilRow.center());
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, coilRow.center(), grid->viewport()->mapToGlobal(coilRow.center()),
                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &doubleClick);
    EXPECT_TRUE(editor.LineSelected());
    EXPECT_EQ(editor.selection().line, 4);

    editor.select({C, 0, 0});
    grid->setFocus();
    grid->setCurrentCell(0, XrefOperand);
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_TRUE(editor.LineSelected());
    EXPECT_EQ(editor.selection().line, 4);

    document.StartEmpty();
    EXPECT_TRUE(rows().isEmpty());
}

// The View menu row shows and hides the dock in the main window.
class XrefDockTest : public AppRig {};

TEST_F(XrefDockTest, ViewMenuTogglesTheDock) {
    start();
    auto* dock = find<QDockWidget>("dockCrossReference");
    ASSERT_NE(dock, nullptr);
    EXPECT_TRUE(dock->isHidden());
    QAction* toggle = command("mnuViewCrossReference");
    ASSERT_NE(toggle, nullptr);
    toggle->trigger();
    EXPECT_FALSE(dock->isHidden());
    EXPECT_NE(dock->findChild<QTableWidget*>(QStringLiteral("grdCrossReference")), nullptr);
}

TEST_F(XrefWindowTest, Screenshots) {
    ASSERT_TRUE(placeContact(0, 0, 'I', 1));
    ASSERT_TRUE(placeCoil(0, 'Q', 1));
    ASSERT_TRUE(placeContact(1, 0, 'Q', 1));
    ASSERT_TRUE(placeCoil(1, 'M', 2));
    program().comment(Operand::I, 0) = QStringLiteral("Start button");
    InScreenshotLanguages([&](const QString& language) {
        XrefWindow shown(editor);
        Shoot(shown, QStringLiteral("xref_window_%1").arg(language));
    });
}

}  // namespace
}  // namespace bdx
