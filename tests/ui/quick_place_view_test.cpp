// Drawing from the keyboard, dragging from the function toolbox and the wiring help option, in
// the whole application.
#include <QDropEvent>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QStatusBar>
#include <QTreeWidget>
#include <vector>

#include "app_rig.h"
#include "ladder/program_file.h"
#include "ui/ladder/function_selector.h"
#include "ui/ladder/ladder_view.h"

namespace bdx {
namespace {

struct KeyPress {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    char text = 0;  // a character key
};

const KeyPress kShiftDown{Qt::Key_Down, Qt::ShiftModifier};
const KeyPress kEnd{Qt::Key_End};

// Keys as the user presses them: characters of a text one by one, other keys as given.
class KeySequence {
  public:
    KeySequence& type(const char* text) {
        for (const char* c = text; *c != 0; ++c) {
            keys_.push_back({Qt::Key_unknown, Qt::NoModifier, *c});
        }
        return *this;
    }
    KeySequence& press(KeyPress key) {
        keys_.push_back(key);
        return *this;
    }
    const std::vector<KeyPress>& keys() const { return keys_; }

  private:
    std::vector<KeyPress> keys_;
};

class QuickPlaceViewTest : public AppRig {
  protected:
    LadderView* view() const { return qobject_cast<LadderView*>(window()->editorWindow()->widget()); }
    // Each key goes where the keyboard is: the typing entry while it is open, else the ladder.
    void press(const KeyPress& key) {
        QWidget* target = view()->operandEditor() ? static_cast<QWidget*>(view()->operandEditor()) : view();
        if (key.text != 0) {
            QTest::keyClick(target, key.text);
        } else {
            QTest::keyClick(target, key.key, key.modifiers);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void press(const KeySequence& sequence) {
        for (const KeyPress& key : sequence.keys()) {
            press(key);
        }
    }
    QString status() const { return window()->statusBar()->currentMessage(); }
    int undoIndex() const { return app->context().document().undoStore().UndoIndex(); }
};

TEST_F(QuickPlaceViewTest, MotorStartStopExampleIsDrawnFromTheKeyboardAlone) {
    start();
    ASSERT_NE(view(), nullptr);
    KeySequence keys;
    keys.type("i1/m1i3sq1")                        // I1 m1 I3 -> set Q1
        .type("/i2").press(kShiftDown).type("rq1")  // i2, a link down to the next line -> reset Q1
        .type("/i3")                                // i3 joins the line above
        .type("/i3sm1")                             // i3 -> set M1
        .type("i4i3rm1")                            // I4 I3 -> reset M1
        .type("m1").press(kEnd).type("q2");         // M1 -> Q2
    press(keys);
    EXPECT_EQ(view()->operandEditor(), nullptr);

    Program example;
    ASSERT_TRUE(ReadProgramFile(QStringLiteral(BDX_SOURCE_DIR "/examples/motor_start_stop.h53"), example).ok());
    for (int line = 0; line < kLadderLines; ++line) {
        for (int w = 0; w < kWordsPerLine; ++w) {
            EXPECT_EQ(program().word(line, w), example.word(line, w)) << "line " << line + 1 << ", word " << w;
        }
    }
    EXPECT_EQ(keys.keys().size(), 38u);  // Shift+Down counted as one press
}

TEST_F(QuickPlaceViewTest, RefusedTextStaysWithItsReasonAndEscapeDropsIt) {
    start();
    press(KeySequence().type("i9"));
    ASSERT_NE(view()->operandEditor(), nullptr);  // still open for a correction
    EXPECT_EQ(status(), QStringLiteral("i9: the numbers of I run from 1 to 8."));
    press({Qt::Key_Escape});
    EXPECT_EQ(view()->operandEditor(), nullptr);
    // A move key places a pending operand, then moves on from the cell after it.
    press(KeySequence().type("m1").press({Qt::Key_Down}));
    EXPECT_EQ(program().word(0, 0), 'M');
    EXPECT_EQ(editor().selection(), (GridPosition{SelectionKinds::Junction, 1, 0}));
}

TEST_F(QuickPlaceViewTest, ADropOnACellEqualsAClickOnTheToolbox) {
    start();
    auto* selector = find<FunctionSelector>("functionSelector");
    ASSERT_NE(selector, nullptr);
    editor().select({SelectionKinds::Contact, 0, 0});
    editor().PlaceChosen('I', OperandNumberCode(1));
    struct Row {
        GridPosition cell;
        std::uint16_t code;
        int number;
    };
    const Row rows[] = {
        {{SelectionKinds::Contact, 0, 1}, 'I', 2},   // an empty contact position
        {{SelectionKinds::Contact, 0, 0}, 'M', 3},   // replaces I1
        {{SelectionKinds::Coil, 0, 0}, 'T', 4},      // a coil, wired by the help
        {{SelectionKinds::Coil, 1, 0}, 'I', 5},      // an input has no coil: nothing
        {{SelectionKinds::Junction, 0, 0}, 'Q', 1},  // nor has a junction cell
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(int(row.code));
        QTreeWidgetItem* item = selector->operandItem(row.code, row.number);
        ASSERT_NE(item, nullptr);
        const Program initial = program();
        const int slot = undoIndex();
        editor().select(row.cell);
        Q_EMIT selector->tree()->itemClicked(item, 0);
        const Program clicked = program();
        const int clickSlot = undoIndex();
        if (clickSlot != slot) {
            ASSERT_TRUE(editor().Undo());
        }
        ASSERT_TRUE(program().LadderGrid == initial.LadderGrid);

        editor().select({SelectionKinds::Contact, 9, 2});  // the drop, not the selection, says where
        const std::unique_ptr<QMimeData> data = selector->dragData(item);
        ASSERT_NE(data, nullptr);
        const QPoint at = view()->positionRect(row.cell).center();
        QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view()->viewport(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view()->viewport(), &drop);
        EXPECT_TRUE(program().LadderGrid == clicked.LadderGrid);
        EXPECT_EQ(undoIndex(), clickSlot);
    }
    EXPECT_EQ(selector->dragData(selector->groupItem(0)), nullptr);  // groups are not dragged
}

TEST_F(QuickPlaceViewTest, WiringHelpIsAViewOptionKeptForTheNextStart) {
    start();
    QAction* option = command("mnuViewWiringHelp");
    ASSERT_TRUE(option->isCheckable());
    EXPECT_TRUE(option->isChecked());
    EXPECT_TRUE(editor().WiringHelp());
    option->trigger();
    EXPECT_FALSE(editor().WiringHelp());
    app.reset();
    start();
    EXPECT_FALSE(command("mnuViewWiringHelp")->isChecked());
    EXPECT_FALSE(editor().WiringHelp());
    // Without it a coil stays unwired; with it the status bar says what was wired.
    press(KeySequence().type("i1").press(kEnd).type("q1"));
    EXPECT_EQ(program().word(0, kContactWord[1]), CellEmpty);
    command("mnuViewWiringHelp")->trigger();
    press(KeySequence().press({Qt::Key_Up}).press(kEnd).type("sq1"));
    EXPECT_EQ(program().word(0, kContactWord[1]), CellWire);
    EXPECT_EQ(status(), QStringLiteral("Line 1: wired up to the coil."));
}

TEST_F(QuickPlaceViewTest, Screenshots) {
    InScreenshotLanguages([this](const QString& language) {
        writeSettings(language == QLatin1String("pt") ? Portuguese : English);
        start();
        window()->resize(1100, 700);
        press(KeySequence().type("i1/m1i3sq1/i2").press(kShiftDown).type("rq1").type("i9"));
        Shoot(*window(), QStringLiteral("typing-operands-") + language);
        app.reset();
    });
}

}  // namespace
}  // namespace bdx
