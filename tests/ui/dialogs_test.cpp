#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>

#include "../editor/editor_fixture.h"
#include "ui/blocks/config_form.h"
#include "ui/ladder/error_list_window.h"
#include "ui/ladder/frm_all_comments.h"
#include "ui/ladder/frm_find.h"

namespace bdx {
namespace {

using DialogsTest = EditorFixture;

// ---- find ----

// Where the search goes and what it refuses is the editor's; the dialog hands it category and number.
TEST_F(DialogsTest, FindHandsCategoryAndNumberToTheEditorAndSaysWhetherItGoesOn) {
    put(1, kContactWord[1], 'M', 3);
    put(4, kCoilLetterWord, 'M', 7);
    frmFind find(editor);
    find.show();
    EXPECT_EQ(find.cmbFind()->currentIndex(), -1);
    find.cmbFind()->setCurrentIndex(FindCategoryIndex("M"));
    find.btnFind()->click();
    EXPECT_EQ(find.btnFind()->text(), QStringLiteral("&Find Next"));
    find.btnFind()->click();
    EXPECT_EQ(editor.CurrentCell(), 4 * kWordsPerLine + kCoilLetterWord);

    // A new number starts a new search, with the button saying so.
    QTest::keyClicks(find.txtFindVal(), QStringLiteral("3"));
    EXPECT_EQ(find.btnFind()->text(), QStringLiteral("&Find"));
    QTest::keyClick(find.txtFindVal(), Qt::Key_Return);  // the default button
    EXPECT_EQ(editor.CurrentCell(), 1 * kWordsPerLine + kContactWord[1]);
    // A refused number leaves the button at the start of a search.
    find.txtFindVal()->setText(QStringLiteral("65"));
    find.btnFind()->click();
    EXPECT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(find.btnFind()->text(), QStringLiteral("&Find"));
}

// ---- comments ----

TEST_F(DialogsTest, CommentTabsAndRowsNameEveryOperand) {
    frmAllComments comments(editor, prompter);
    ASSERT_EQ(comments.tabComments()->count(), 17);
    struct Case {
        int tab;
        int rows;
        int row;
        const char* label;
    };
    // The counts and the order are the operand table's; here they reach the tabs.
    for (const Case& c : {Case{4, 4, 3, "Q 4"}, Case{11, 64, 63, "M 64"}, Case{13, 16, 2, "RTC 3"}}) {
        SCOPED_TRACE(c.label);
        comments.tabComments()->setCurrentIndex(c.tab);
        ASSERT_EQ(comments.grdComment()->rowCount(), c.rows);
        EXPECT_EQ(comments.grdComment()->item(c.row, 0)->text(), QLatin1String(c.label));
    }
}

TEST_F(DialogsTest, CommentsCancelKeepsTheProgramAndOkIsOneUndoableChange) {
    program().comment(Operand::I, 0) = QStringLiteral("Start");
    {
        frmAllComments comments(editor, prompter);
        EXPECT_EQ(comments.txtComment()->text(), QStringLiteral("Start"));  // first row of the first tab
        QTest::keyClicks(comments.txtComment(), QStringLiteral(" button"));
        EXPECT_EQ(comments.grdComment()->item(0, 1)->text(), QStringLiteral("Start button"));
        comments.CancelButton()->click();
        EXPECT_EQ(comments.result(), QDialog::Rejected);
    }
    EXPECT_EQ(program().comment(Operand::I, 0), QStringLiteral("Start"));
    EXPECT_FALSE(program().ProgramModified);
    EXPECT_FALSE(editor.CanUndo());

    const Program before = program();
    frmAllComments comments(editor, prompter);
    comments.tabComments()->setCurrentIndex(11);  // auxiliary relays
    comments.grdComment()->selectRow(4);
    QTest::keyClicks(comments.txtComment(), QStringLiteral("Pump"));
    QTest::keyClick(comments.txtComment(), Qt::Key_Down);  // next row from the keyboard
    QTest::keyClicks(comments.txtComment(), QStringLiteral("Fan"));
    comments.tabComments()->setCurrentIndex(0);
    QTest::keyClicks(comments.txtComment(), QStringLiteral("!"));
    comments.OKButton()->click();
    EXPECT_EQ(comments.result(), QDialog::Accepted);
    EXPECT_EQ(program().comment(Operand::M, 4), QStringLiteral("Pump"));
    EXPECT_EQ(program().comment(Operand::M, 5), QStringLiteral("Fan"));
    EXPECT_EQ(program().comment(Operand::I, 0), QStringLiteral("Start!"));
    EXPECT_TRUE(program().ProgramModified);

    ASSERT_TRUE(editor.Undo());
    EXPECT_EQ(program().OperandComments, before.OperandComments);
    EXPECT_FALSE(editor.CanUndo());
}

TEST_F(DialogsTest, CommittedCommentsFitTheProgramFile) {
    frmAllComments comments(editor, prompter);
    comments.txtComment()->insert(QStringLiteral("Valve \u2713 \u00e9"));  // as pasted
    comments.grdComment()->selectRow(1);
    comments.txtComment()->insert(QString(300, u'x'));

    // No: back to the dialog to correct them, nothing written.
    prompter.queueReply(Reply::No);
    EXPECT_FALSE(comments.apply());
    EXPECT_EQ(prompter.texts(), QStringList{LoadText(8080)});
    EXPECT_EQ(comments.txtComment()->text(), QStringLiteral("Valve \u2713 \u00e9"));  // shows the culprit
    EXPECT_FALSE(program().ProgramModified);

    // Yes: the characters go, the overlong comment is cut, and the user is told.
    prompter.clear();
    prompter.queueReply(Reply::Yes);
    EXPECT_TRUE(comments.apply());
    EXPECT_EQ(program().comment(Operand::I, 0), QStringLiteral("Valve  \u00e9"));
    EXPECT_EQ(program().comment(Operand::I, 1), QString(kMaxOperandCommentLength, u'x'));
    ASSERT_EQ(prompter.messages().size(), 2u);
    EXPECT_EQ(prompter.messages()[1].text,
              LoadText(8081).arg(kMaxOperandCommentLength) + QStringLiteral("I 2"));

    // Applying again with nothing new records nothing: one undo restores the start.
    EXPECT_TRUE(comments.apply());
    ASSERT_TRUE(editor.Undo());
    EXPECT_EQ(program().comment(Operand::I, 0), QString());
    EXPECT_FALSE(editor.CanUndo());
}

// ---- model ----

// Which row stands for which model, and the rows' texts, are the model table's.
TEST_F(DialogsTest, ModelDialogShowsTheCurrentModelAndModules) {
    program().ModelIndex = 12;
    program().ExtensionModules = {0, 1, 1};
    config_form form(editor, prompter);
    EXPECT_EQ(form.selectedRow(), 3);
    EXPECT_FALSE(form.Check1(0)->isChecked());
    EXPECT_TRUE(form.Check1(1)->isChecked());
    EXPECT_TRUE(form.Check1(2)->isChecked());
    EXPECT_EQ(form.gd1()->item(1, 0)->text(), QStringLiteral("Relaymaster R7-HD-6A2T-L"));
}

// OK takes the row as one undoable edit; Enter on the model shown is no edit at all.
TEST_F(DialogsTest, ModelDialogOkTakesTheRowAsOneUndoableEdit) {
    for (const bool change : {false, true}) {
        SCOPED_TRACE(change);
        config_form form(editor, prompter);
        form.show();
        if (change) {
            form.selectRow(3);
        }
        QTest::keyClick(&form, Qt::Key_Return);
        EXPECT_EQ(form.result(), QDialog::Accepted);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(program().ModelIndex, change ? 12 : 0);
        EXPECT_EQ(program().ProgramModified, change);
        EXPECT_EQ(editor.CanUndo(), change);
    }
    ASSERT_TRUE(editor.Undo());
    EXPECT_EQ(program().ModelIndex, 0);
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_TRUE(prompter.messages().empty());
}

TEST_F(DialogsTest, RefusedTimeSwitchConversionKeepsModelAndDialog) {
    put(0, kContactWord[0], ClockContactOpen, 1);
    program().TimeSwitchParams[0] = {1, 1, 5, 8, 0, 17, 0};  // in use, first generation
    const Program before = program();
    config_form form(editor, prompter);
    form.show();
    form.selectRow(2);
    form.Check1(0)->setChecked(true);
    prompter.queueReply(Reply::No);
    form.Command1()->click();
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_TRUE(prompter.messages()[0].text.endsWith(LoadText(210)));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(program(), before);
    EXPECT_FALSE(editor.CanUndo());

    prompter.queueReply(Reply::Yes);  // second thoughts: convert
    form.Command1()->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(program().ModelIndex, 9);
    EXPECT_EQ(program().ExtensionModules[0], 1);
    ASSERT_TRUE(editor.Undo());
    EXPECT_EQ(program().TimeSwitchParams, before.TimeSwitchParams);  // undo takes the conversion back too
}

// ---- error list ----

TEST_F(DialogsTest, ErrorListShowsTheCheckRowsReadOnly) {
    put(0, kContactWord[0], 'Q', 1);
    word(0, kContactWord[0] + kJunctionWordOffset) = J(JunctionLeft | JunctionRight);
    put(0, kCoilLetterWord, 'M', 1);
    editor.runRuleCheck();
    ErrorListWindow window(editor);
    QTableWidget* grid = window.grid();
    ASSERT_EQ(grid->rowCount(), int(editor.errors().size()));
    const QString q1 = QStringLiteral("Coil Q1 should be defined, since it is used as a contact");
    ASSERT_EQ(grid->findItems(q1, Qt::MatchExactly).size(), 1);
    const int found = grid->findItems(q1, Qt::MatchExactly)[0]->row();
    // The columns' texts are the check's own; here its row reaches the grid in column order.
    EXPECT_EQ(grid->item(found, 1)->text() + grid->item(found, 2)->text(), QStringLiteral("001Contact-1"));
    EXPECT_FALSE(grid->item(found, 3)->flags() & (Qt::ItemIsEditable | Qt::ItemIsSelectable));

    // A click on a row selects its line in the editor and brings it into view.
    editor.setTopLine(100);
    window.show();
    QSignalSpy chosen(&window, &ErrorListWindow::lineChosen);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualItemRect(grid->item(found, 3)).center());
    EXPECT_TRUE(editor.LineSelected());
    EXPECT_EQ(editor.selection().line, 0);
    EXPECT_EQ(editor.TopLine(), 0);
    EXPECT_EQ(chosen.count(), 1);

    put(1, kCoilLetterWord, 'Q', 1);
    editor.runRuleCheck();
    window.refresh();
    EXPECT_EQ(grid->rowCount(), int(editor.errors().size()));
    EXPECT_TRUE(grid->findItems(q1, Qt::MatchExactly).isEmpty());
}

}  // namespace
}  // namespace bdx
