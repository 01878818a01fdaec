#include "ui/ladder/ladder_view.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <QUrl>
#include <memory>

#include "../editor/editor_fixture.h"
#include "sim/scan_engine.h"
#include "ui/ladder/function_selector.h"
#include "paint/ladder_painter.h"

namespace bdx {
namespace {

// Where an edit lands in the grid is the editor's business; here only that clicks, keys and
// menus reach it with the right position, operand and area.
class LadderViewTest : public EditorFixture {
  protected:
    void SetUp() override {
        EditorFixture::SetUp();
        view = std::make_unique<LadderView>(editor, prompter);
        view->resize(900, 520);
        view->show();
        selector = std::make_unique<FunctionSelector>(editor);
        selector->resize(260, 700);
        selector->show();
        QApplication::processEvents();
    }

    // A left click at a point of a position given as fractions of its width and height.
    void clickAt(const GridPosition& position, double x = 0.5, double y = 0.5) {
        const QRect rect = view->positionRect(position);
        ASSERT_FALSE(rect.isEmpty());
        const QPoint point(rect.left() + int(x * rect.width()), rect.top() + int(y * rect.height()));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, point);
    }

    void clickItem(QTreeWidgetItem* item) {
        ASSERT_NE(item, nullptr);
        for (QTreeWidgetItem* parent = item->parent(); parent; parent = parent->parent()) {
            parent->setExpanded(true);
        }
        selector->tree()->scrollToItem(item);
        QApplication::processEvents();
        const QRect rect = selector->tree()->visualItemRect(item);
        QTest::mouseClick(selector->tree()->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    }

    void key(QWidget* widget, Qt::Key key, int times = 1) {
        for (int i = 0; i < times; ++i) {
            QTest::keyClick(widget, key);
        }
    }

    std::unique_ptr<LadderView> view;
    std::unique_ptr<FunctionSelector> selector;
};

constexpr GridPosition Contact(int line, int column) {
    return {SelectionKinds::Contact, line, column};
}
constexpr GridPosition Junction(int line, int column) {
    return {SelectionKinds::Junction, line, column};
}
constexpr GridPosition Coil(int line) {
    return {SelectionKinds::Coil, line, 0};
}

TEST_F(LadderViewTest, PlacesByMouseAndByKeyboardThroughSelectorAndView) {
    QSignalSpy placed(selector.get(), &FunctionSelector::operandPlaced);
    clickAt(Contact(3, 1));
    EXPECT_EQ(editor.selection(), Contact(3, 1));
    clickItem(selector->operandItem('I', 5));
    expectWords(3, {{3, 'I'}, {4, OperandNumberCode(5)}});
    clickAt(Coil(3));
    clickItem(selector->operandItem('Q', 2));
    expectWords(3, {{kCoilLetterWord, 'Q'}, {kCoilNumberWord, OperandNumberCode(2)}});
    EXPECT_EQ(placed.count(), 2);

    view->setFocus();
    editor.select(Contact(0, 0));
    key(view.get(), Qt::Key_Down);
    EXPECT_EQ(editor.selection(), Contact(1, 0));
    // Selector: Inputs, I, I1, I2 reached with the arrow keys; Enter opens groups and places.
    QTreeWidget* tree = selector->tree();
    tree->collapseAll();
    tree->setFocus();
    tree->setCurrentItem(selector->groupItem(0));
    key(tree, Qt::Key_Return);
    key(tree, Qt::Key_Down);
    key(tree, Qt::Key_Return);
    key(tree, Qt::Key_Down, 2);
    ASSERT_EQ(tree->currentItem(), selector->operandItem('I', 2));
    key(tree, Qt::Key_Return);
    expectWords(1, {{0, 'I'}, {1, OperandNumberCode(2)}});

    // Enter in the ladder places the chosen operand again, at the new selection; Delete takes it.
    key(view.get(), Qt::Key_Down);
    key(view.get(), Qt::Key_Return);
    expectWords(2, {{0, 'I'}, {1, OperandNumberCode(2)}});
    key(view.get(), Qt::Key_Delete);
    EXPECT_EQ(word(2, 0), CellEmpty);
}

// Every position of a line is reached from the keyboard, the coil included, while editing and
// during a run, where a block's dialog is opened from the selected coil.
TEST_F(LadderViewTest, ArrowKeysReachEveryPositionOfALine) {
    view->setFocus();
    const struct {
        Qt::Key key;
        GridPosition to;
    } steps[] = {
        {Qt::Key_Right, Junction(12, 0)}, {Qt::Key_Right, Contact(12, 1)},  {Qt::Key_Right, Junction(12, 1)},
        {Qt::Key_Right, Contact(12, 2)},  {Qt::Key_Right, Junction(12, 2)}, {Qt::Key_Right, Coil(12)},
        {Qt::Key_Right, Coil(12)},        {Qt::Key_Down, Coil(13)},         {Qt::Key_Up, Coil(12)},
        {Qt::Key_Home, Contact(12, 0)},   {Qt::Key_End, Coil(12)},          {Qt::Key_Left, Junction(12, 2)},
    };
    for (const bool running : {false, true}) {
        SCOPED_TRACE(running ? "during a run" : "editing");
        editor.setSimulationActive(running);
        editor.select(Contact(12, 0));
        for (const auto& step : steps) {
            key(view.get(), step.key);
            EXPECT_EQ(editor.selection(), step.to) << "key " << int(step.key);
            EXPECT_FALSE(view->positionRect(step.to).isEmpty());
        }
    }
    editor.setSimulationActive(false);

    // Alt+Enter on a block's coil asks for its dialog and places nothing there; on a coil
    // without a dialog it does nothing at all.
    ASSERT_TRUE(placeCoil(12, 'T', 1));
    ASSERT_TRUE(placeCoil(13, 'Q', 2));
    editor.setPlacement('Q', OperandNumberCode(1));
    QSignalSpy properties(view.get(), &LadderView::propertiesRequested);
    for (const auto& [line, asked] : {std::pair{12, 1}, std::pair{13, 0}}) {
        editor.select(Coil(line));
        QTest::keyClick(view.get(), Qt::Key_Return, Qt::AltModifier);
        EXPECT_EQ(properties.count(), asked) << "line " << line;
        properties.clear();
    }
    expectWords(12, {{kCoilLetterWord, 'T'}});
    expectWords(13, {{kCoilNumberWord, OperandNumberCode(2)}});
}

TEST_F(LadderViewTest, ScrollBarAndTopLineFollowEachOther) {
    view->setFocus();
    key(view.get(), Qt::Key_PageDown, 3);
    EXPECT_EQ(editor.TopLine(), 30);
    EXPECT_EQ(view->verticalScrollBar()->value(), 30);
    view->verticalScrollBar()->setValue(120);
    EXPECT_EQ(editor.TopLine(), 120);
    // Positions are laid out from the new top line.
    EXPECT_TRUE(view->positionRect(Contact(30, 0)).isEmpty());
    clickAt(Contact(125, 2));
    EXPECT_EQ(editor.selection(), Contact(125, 2));
    editor.setTopLine(7);
    view->refresh();
    EXPECT_EQ(view->verticalScrollBar()->value(), 7);
}

// The point of a click within its cell reaches the editor: the wire tool's band, a junction's area.
TEST_F(LadderViewTest, ClicksPassWhereInTheCellTheyFell) {
    clickItem(selector->wireToolItem());
    ASSERT_EQ(editor.EditTool(), kWireTool);
    clickAt(Contact(0, 2), 0.5, 0.15);
    EXPECT_EQ(word(0, 6), CellEmpty);
    clickAt(Contact(0, 1));
    EXPECT_EQ(word(0, 3), CellWire);

    // Which area a point falls in is the editor's; two areas show the point arrives.
    const std::tuple<double, double, std::uint16_t> areas[] = {{0.5, 0.9, JunctionDown},
                                                               {0.8, 0.5, JunctionRight}};
    for (const auto& [x, y, bit] : areas) {
        SCOPED_TRACE(bit);
        clickAt(Junction(4, 1), x, y);
        EXPECT_EQ(word(4, 5), J(bit));
        clickAt(Junction(4, 1), x, y);
        EXPECT_EQ(word(4, 5), CellEmpty);
    }
}

// The menu's entries come from the coil menu table; here they must reach the user and come back.
TEST_F(LadderViewTest, RightClickOnCounterCoilOffersItsInputs) {
    clickAt(Coil(2));
    clickItem(selector->operandItem('C', 4));
    ASSERT_EQ(word(2, kCoilLetterWord), 'C');
    QSignalSpy properties(view.get(), &LadderView::propertiesRequested);

    QString checked;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QAction* direction = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->isChecked()) {
                checked = action->text();
            }
            if (action->text() == QStringLiteral("Di&rection Input")) {
                direction = action;
            }
        }
        ASSERT_NE(direction, nullptr);
        direction->trigger();
        menu->close();
    });
    clickAt(Contact(0, 0));
    const QPoint at = view->positionRect(Coil(2)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &event);

    EXPECT_EQ(checked, QStringLiteral("Co&unting Input"));
    EXPECT_EQ(editor.selection(), Coil(2));
    EXPECT_EQ(word(2, kCoilFunctionWord), CoilDirection);

    view->contextMenuFor(Coil(2))->actions().back()->trigger();
    EXPECT_EQ(properties.count(), 1);
}

TEST_F(LadderViewTest, ContactMenuSwitchesPolarity) {
    clickAt(Contact(0, 0));
    clickItem(selector->operandItem('T', 3));
    auto menu = view->contextMenuFor(Contact(0, 0));
    QStringList captions;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            captions << action->text();
        }
    }
    EXPECT_EQ(captions, (QStringList{"Normally &Open", "Normally &Closed", "De&lete Contact", "Line &Delete",
                                     "Line &Insert", "Pr&operties"}));
    menu->actions()[1]->trigger();
    EXPECT_EQ(word(0, 0), 'T' + NormallyClosedShift);
}

TEST_F(LadderViewTest, PointerAndToolTipFollowWhatLiesUnderTheMouse) {
    clickAt(Contact(1, 0));
    clickItem(selector->operandItem('T', 2));
    program().comment(Operand::T, 1) = QStringLiteral("Stair light");
    program().LineComments[1] = QStringLiteral("Landing\nsecond floor");
    view->refresh();

    auto pointAt = [&](const GridPosition& position, double x, double y) {
        const QRect rect = view->positionRect(position);
        return QPoint(rect.left() + int(x * rect.width()), rect.top() + int(y * rect.height()));
    };
    auto shapeAt = [&](QPoint point) {
        QTest::mouseMove(view->viewport(), point);
        return view->viewport()->cursor().shape();
    };
    EXPECT_EQ(shapeAt(pointAt(Junction(1, 0), 0.5, 0.1)), Qt::SizeVerCursor);
    EXPECT_EQ(shapeAt(pointAt(Contact(1, 0), 0.05, 0.95)), Qt::BitmapCursor);

    auto toolTipAt = [&](QPoint point) {
        QHelpEvent help(QEvent::ToolTip, point, view->viewport()->mapToGlobal(point));
        QApplication::sendEvent(view->viewport(), &help);
        const QString text = QToolTip::text();
        QToolTip::hideText();
        return text;
    };
    EXPECT_EQ(toolTipAt(pointAt(Contact(1, 0), 0.5, 0.5)), QStringLiteral("T2\nStair light"));
    EXPECT_EQ(toolTipAt(view->lineNumberRect(1).center()), QStringLiteral("Landing\nsecond floor"));
}

TEST_F(LadderViewTest, DroppedFilesOpenOnlyProgramFiles) {
    QSignalSpy dropped(view.get(), &LadderView::fileDropped);
    for (const char* name : {"notes.txt", "Pump.H53", "old.t53"}) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(dir.filePath(QString::fromLatin1(name)))});
        const QPoint at = view->viewport()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent event(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &event);
    }
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(prompter.messages()[0].text,
              QStringLiteral("This is not a  \".H53\", \".M53\", or \".T53\" file."));
    EXPECT_EQ(prompter.messages()[0].caption, QStringLiteral("Error"));
    ASSERT_EQ(dropped.count(), 2);
    EXPECT_EQ(dropped[0][0].toString(), dir.filePath(QStringLiteral("Pump.H53")));
}

// Line comments typed in place over the comment column.
TEST_F(LadderViewTest, LineCommentTypedInPlaceIsOneUndoStepAndEscapeDropsIt) {
    editor.applyEdit([](Program& program) { program.LineComments[2] = QStringLiteral("old"); });
    const QPoint cell(view->viewport()->width() - 20, view->lineNumberRect(2).center().y());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, cell);
    QLineEdit* field = view->lineCommentEditor();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->objectName(), QStringLiteral("txtLineComment"));
    EXPECT_EQ(field->text(), QStringLiteral("old"));
    QTest::keyClicks(field, QStringLiteral("Pump start"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(view->lineCommentEditor(), nullptr);
    EXPECT_EQ(editor.program().LineComments[2], QStringLiteral("Pump start"));
    ASSERT_TRUE(editor.Undo());
    EXPECT_EQ(editor.program().LineComments[2], QStringLiteral("old"));

    // Escape, and Enter on an unchanged text, leave program and undo history alone.
    while (editor.Undo()) {
    }
    editor.select(Contact(2, 0));
    QTest::keyClick(view.get(), Qt::Key_F2);
    field = view->lineCommentEditor();
    ASSERT_NE(field, nullptr);
    QTest::keyClicks(field, QStringLiteral("dropped"));
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_EQ(view->lineCommentEditor(), nullptr);
    QTest::keyClick(view.get(), Qt::Key_F2);
    ASSERT_NE(view->lineCommentEditor(), nullptr);
    QTest::keyClick(view->lineCommentEditor(), Qt::Key_Return);
    EXPECT_TRUE(editor.program().LineComments[2].isEmpty());
    EXPECT_FALSE(editor.CanUndo());
}

TEST_F(LadderViewTest, ShiftOnTheLineNumbersSelectsSeveralLines) {
    const auto range = [&] { return std::pair(editor.FirstSelectedLine(), editor.LastSelectedLine()); };
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, view->lineNumberRect(2).center());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier, view->lineNumberRect(5).center());
    EXPECT_EQ(range(), std::pair(2, 5));
    view->setFocus();
    QTest::keyClick(view.get(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(range(), std::pair(2, 6));
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(view.get(), Qt::Key_Up, Qt::ShiftModifier);
    }
    EXPECT_EQ(range(), std::pair(1, 2));
    ASSERT_TRUE(editor.LineSelected());
    // A plain arrow goes back to a single position.
    QTest::keyClick(view.get(), Qt::Key_Down);
    EXPECT_FALSE(editor.LineSelected());
}

// Larger lines show fewer of them: the scroll bar and the keys still reach the last line.
TEST_F(LadderViewTest, EveryLineIsReachableAtEveryZoom) {
    QScrollBar* bar = view->verticalScrollBar();
    for (const auto& [zoom, shown] : {std::pair(50, 20), std::pair(100, 10), std::pair(200, 5)}) {
        SCOPED_TRACE(zoom);
        view->setZoomPercent(zoom);
        editor.reset();
        EXPECT_EQ(editor.ShownLines(), shown);
        EXPECT_EQ(bar->maximum(), kLadderLines - shown);
        EXPECT_EQ(bar->pageStep(), shown);
        bar->setValue(bar->maximum());
        EXPECT_TRUE(view->viewport()->rect().contains(view->positionRect(Coil(kLadderLines - 1))));
        bar->setValue(0);
        view->setFocus();
        key(view.get(), Qt::Key_PageDown, kLadderLines / shown + 1);
        EXPECT_EQ(editor.selection().line, kLadderLines - 1);
        EXPECT_TRUE(view->viewport()->rect().contains(view->positionRect(Contact(kLadderLines - 1, 0))));
        EXPECT_EQ(bar->value(), kLadderLines - shown);
    }
}

TEST_F(LadderViewTest, LineCommentFollowsTheCommentRules) {
    const auto type = [&](const QString& text) {
        view->editLineComment(1);
        QLineEdit* field = view->lineCommentEditor();
        ASSERT_NE(field, nullptr);
        field->setText(text);
        QTest::keyClick(field, Qt::Key_Return);
    };
    type(QString(300, u'a'));
    EXPECT_EQ(editor.program().LineComments[1], QString(255, u'a'));
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_TRUE(prompter.messages()[0].text.contains(QStringLiteral("at most 255")));

    // A character outside the code page: declined keeps the old text, agreed removes it.
    type(QStringLiteral("Tank \u4e00 level"));
    EXPECT_EQ(editor.program().LineComments[1], QString(255, u'a'));
    prompter.queueReply(Reply::Yes);
    type(QStringLiteral("Tank \u4e00 level"));
    EXPECT_EQ(editor.program().LineComments[1], QStringLiteral("Tank  level"));

    editor.setSimulationActive(true);
    view->editLineComment(1);
    EXPECT_EQ(view->lineCommentEditor(), nullptr);
}

TEST_F(LadderViewTest, FunctionSelectorOffersGroupsByModel) {
    // 0: display only, 1: display and analog, 2: neither; 16 is outside the table and changes nothing.
    const std::tuple<int, bool, bool> cases[] = {
        {1, true, true}, {2, false, false}, {0, false, true}, {16, false, true}};
    for (const auto& [model, analog, display] : cases) {
        SCOPED_TRACE(model);
        selector->UpdateModelDisplay(model);
        EXPECT_EQ(!selector->groupItem(6)->isDisabled(), analog);
        EXPECT_EQ(!selector->groupItem(7)->isDisabled(), display);
        EXPECT_EQ(!selector->groupItem(8)->isDisabled(), display);
        EXPECT_FALSE(selector->groupItem(0)->isDisabled());
    }
}

// The lamp rung, checked and ready to scan: the live display follows the engine.
class LiveLadderTest : public LadderViewTest {
  protected:
    void SetUp() override {
        LadderViewTest::SetUp();
        DrawLampRung(editor);
        ASSERT_EQ(word(0, 8), J(JunctionLeft | JunctionRight));
        editor.runRuleCheck();
        ASSERT_TRUE(engine.PrepareSimulation(program(), editor.errors(), prompter));
    }

    ScanEngine engine;
};

TEST_F(LiveLadderTest, PowerFlowFollowsTheScan) {
    LivePower power;
    engine.ScanOnce(0);
    ComputeLivePower(program(), engine, power);
    EXPECT_FALSE(power.lines[0].conducting[0] || power.lines[0].node[2] || power.lines[0].coilOn);

    engine.setInput('I', 1, true);
    engine.ScanOnce(0);
    ComputeLivePower(program(), engine, power);
    const LiveLine& line = power.lines[0];
    EXPECT_TRUE(line.conducting[0]);
    EXPECT_TRUE(line.output[0] && line.fed[1] && line.output[1] && line.fed[2] && line.output[2]);
    EXPECT_TRUE(line.node[2] && line.coilFed && line.coilOn);
    EXPECT_FALSE(power.lines[1].coilFed);
}

TEST_F(LiveLadderTest, EveryStyleAndTheLiveStateDrawDifferently) {
    view->resize(700, 400);
    QApplication::processEvents();
    auto grab = [&] { return view->viewport()->grab().toImage(); };
    std::vector<QImage> images;
    for (int style = 0; style < 3; ++style) {
        view->setDisplayStyle(style);
        EXPECT_EQ(view->displayStyle(), style);
        images.push_back(grab());
    }
    EXPECT_NE(images[0], images[1]);
    EXPECT_NE(images[1], images[2]);
    EXPECT_NE(images[0], images[2]);

    engine.setInput('I', 1, true);
    engine.ScanOnce(0);
    view->setLiveEngine(&engine);
    EXPECT_NE(grab(), images[2]);  // the power flow is drawn, so the rung is
    view->setLiveEngine(nullptr);
    EXPECT_EQ(grab(), images[2]);
}

}  // namespace
}  // namespace bdx
