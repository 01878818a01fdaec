#include "ui/widgets/captions.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "shell/language_table.h"

namespace bdx {
namespace {

class CaptionsTest : public ::testing::Test {
  protected:
    void SetUp() override { SetLanguageOffset(Polish); }
    void TearDown() override { SetLanguageOffset(English); }
};

TEST_F(CaptionsTest, ReplacesTextsThatNameAnId) {
    QDialog window;
    SetTextId(&window, 4322);
    auto* layout = new QVBoxLayout(&window);
    auto* label = new QLabel(QStringLiteral("design"), &window);
    SetTextId(label, 4293);
    auto* untouched = new QLabel(QStringLiteral("keep me"), &window);
    untouched->setProperty(kTextIdProperty, 0);
    auto* button = new QPushButton(QStringLiteral("OK"), &window);
    SetTextId(button, 104);
    button->setProperty(kToolTipIdProperty, 4211);
    auto* group = new QGroupBox(&window);
    SetTextId(group, 4043);
    auto* tabs = new QTabWidget(&window);
    tabs->addTab(new QWidget, QStringLiteral("a"));
    tabs->addTab(new QWidget, QStringLiteral("b"));
    tabs->setProperty(kTabTextIdsProperty, QVariantList{4182, 0});
    auto* tree = new QTreeWidget(&window);
    tree->setColumnCount(2);
    tree->setHeaderLabels({QStringLiteral("x"), QStringLiteral("y")});
    tree->setProperty(kHeaderTextIdsProperty, QVariantList{0, 4106});
    auto* menu = new QMenu(&window);
    SetTextId(menu, 101);
    QAction* action = menu->addAction(QStringLiteral("n"));
    SetTextId(action, 102);
    for (QWidget* w :
         {static_cast<QWidget*>(label), static_cast<QWidget*>(untouched), static_cast<QWidget*>(button),
          static_cast<QWidget*>(group), static_cast<QWidget*>(tabs), static_cast<QWidget*>(tree)}) {
        layout->addWidget(w);
    }

    ApplyCaptions(&window);

    EXPECT_EQ(window.windowTitle(), LoadText(4322 + Polish, English));
    EXPECT_EQ(label->text(), LoadText(4293 + Polish, English));
    EXPECT_EQ(untouched->text(), QStringLiteral("keep me"));
    EXPECT_EQ(button->text(), LoadText(104 + Polish, English));
    EXPECT_EQ(button->toolTip(), LoadText(4211 + Polish, English));
    EXPECT_EQ(group->title(), LoadText(4043 + Polish, English));
    EXPECT_EQ(tabs->tabText(0), LoadText(4182 + Polish, English));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("b"));
    EXPECT_EQ(tree->headerItem()->text(0), QStringLiteral("x"));
    EXPECT_EQ(tree->headerItem()->text(1), LoadText(4106 + Polish, English));
    EXPECT_EQ(menu->title(), LoadText(101 + Polish, English));
    EXPECT_EQ(action->text(), LoadText(102 + Polish, English));
    EXPECT_NE(action->text(), QStringLiteral("&New"));
}

}  // namespace
}  // namespace bdx
