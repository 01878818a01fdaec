#include "function_selector.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <array>
#include <vector>

#include "blocks/device_model.h"
#include "editor/ladder_editor.h"
#include "ladder/grid.h"
#include "operand_drag.h"
#include "shell/language_table.h"

namespace bdx {

namespace {

enum ItemKind { SelectionToolItem, WireToolItem, GroupItem, LetterItem, OperandItem };
constexpr int kKindRole = Qt::UserRole;
constexpr int kCodeRole = Qt::UserRole + 1;
constexpr int kNumberRole = Qt::UserRole + 2;

constexpr int kTextFunctionToolbox = 145;
constexpr int kTextSelectionTool = 8034;
constexpr int kTextWireTool = 8035;

struct Member {
    std::uint16_t code;
    int count;
};

enum class Feature { Always, Analog, Display };

struct Group {
    int textId;
    std::vector<Member> members;
    Feature feature;
};

// The selector's groups in their order. Group entries hold their operands directly, or one
// entry per letter when a group spans the base unit and its extension modules.
const std::array<Group, 11>& Groups() {
    static const std::array<Group, 11> groups = {{
        {8023, {{'I', 8}, {'J', 8}, {'K', 8}, {'L', 8}}, Feature::Always},
        {8024, {{'Q', 4}, {'U', 4}, {'V', 4}, {'W', 4}}, Feature::Always},
        {8025, {{'M', 64}}, Feature::Always},
        {8026, {{'T', 16}}, Feature::Always},
        {8027, {{'C', 16}}, Feature::Always},
        {8028, {{'P', 16}}, Feature::Always},
        {8029, {{'A', 12}}, Feature::Analog},
        {8030, {{'X', 16}}, Feature::Display},
        {8031, {{'Z', 4}}, Feature::Display},
        {8032, {{ClockContactOpen, 16}}, Feature::Always},
        {8033, {{'H', 4}}, Feature::Always},
    }};
    return groups;
}

enum class Glyph { Arrow, Wire, Contact, Coil };

// Small line-art icons in the ladder's own symbols, drawn for the screen's pixel ratio.
QIcon GlyphIcon(Glyph glyph) {
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(18, 18) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(QColor(0x3a, 0x45, 0x55), 1.4);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    switch (glyph) {
        case Glyph::Arrow: {
            const QPointF arrow[] = {{5, 2},     {5, 14},    {8, 11},   {10.5, 16},
                                     {12.5, 15}, {10, 10.5}, {14, 10.5}};
            p.setBrush(QColor(0x3a, 0x45, 0x55));
            p.drawPolygon(arrow, 7);
            break;
        }
        case Glyph::Wire:
            p.drawLine(QPointF(1.5, 12), QPointF(9, 12));
            p.drawLine(QPointF(9, 12), QPointF(9, 5));
            p.drawLine(QPointF(9, 5), QPointF(16.5, 5));
            p.setBrush(QColor(0x3a, 0x45, 0x55));
            p.drawEllipse(QPointF(9, 12), 1.4, 1.4);
            break;
        case Glyph::Contact:
            p.drawLine(QPointF(1, 9), QPointF(6, 9));
            p.drawLine(QPointF(12, 9), QPointF(17, 9));
            p.drawLine(QPointF(6.5, 4), QPointF(6.5, 14));
            p.drawLine(QPointF(11.5, 4), QPointF(11.5, 14));
            break;
        case Glyph::Coil:
            p.drawLine(QPointF(1, 9), QPointF(5, 9));
            p.drawLine(QPointF(13, 9), QPointF(17, 9));
            p.drawArc(QRectF(5, 4, 8, 10), 100 * 16, 160 * 16);
            p.drawArc(QRectF(5, 4, 8, 10), -80 * 16, 160 * 16);
            break;
    }
    p.end();
    return QIcon(pixmap);
}

QString OperandText(std::uint16_t code, int number) {
    if (code == ClockContactOpen) {
        return QStringLiteral("RTC%1").arg(number);
    }
    return ElementLabel(code, OperandNumberCode(number));
}

bool GroupHasCoils(const Group& group) {
    for (const Member& member : group.members) {
        const std::optional<Operand> kind = OperandForCode(member.code);
        if (kind && operandInfo(*kind).coil) {
            return true;
        }
    }
    return false;
}

}  // namespace

FunctionSelector::FunctionSelector(LadderEditor& editor, QWidget* parent) : QWidget(parent), editor_(editor) {
    setWindowTitle(LoadText(kTextFunctionToolbox).remove(QLatin1Char('&')));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    tree_ = new QTreeWidget(this);
    tree_->setColumnCount(2);
    tree_->setHeaderHidden(true);
    tree_->setUniformRowHeights(true);
    tree_->setIndentation(14);
    tree_->setExpandsOnDoubleClick(false);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setTextElideMode(Qt::ElideRight);
    tree_->header()->setStretchLastSection(true);
    tree_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    tree_->installEventFilter(this);
    tree_->viewport()->installEventFilter(this);
    layout->addWidget(tree_);
    build();

    connect(tree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) {
        lastClicked_ = item;
        sinceClick_.start();
        choose(item);
    });
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int) {
        if (item != lastClicked_ || !sinceClick_.isValid() ||
            sinceClick_.elapsed() > QApplication::doubleClickInterval()) {
            choose(item);
        }
        lastClicked_ = nullptr;
    });
    connect(tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { showComments(item); });
    UpdateModelDisplay(editor_.program().ModelIndex);
    markTool();
    setMinimumWidth(170);
}

void FunctionSelector::build() {
    selectionTool_ = new QTreeWidgetItem(tree_, {LoadText(kTextSelectionTool)});
    selectionTool_->setData(0, kKindRole, SelectionToolItem);
    selectionTool_->setIcon(0, GlyphIcon(Glyph::Arrow));
    selectionTool_->setFirstColumnSpanned(true);
    wireTool_ = new QTreeWidgetItem(tree_, {LoadText(kTextWireTool)});
    wireTool_->setData(0, kKindRole, WireToolItem);
    wireTool_->setIcon(0, GlyphIcon(Glyph::Wire));
    wireTool_->setFirstColumnSpanned(true);

    const QIcon contactIcon = GlyphIcon(Glyph::Contact);
    const QIcon coilIcon = GlyphIcon(Glyph::Coil);
    for (const Group& group : Groups()) {
        auto* groupEntry = new QTreeWidgetItem(tree_, {LoadText(group.textId)});
        groupEntry->setData(0, kKindRole, GroupItem);
        groupEntry->setIcon(0, GroupHasCoils(group) ? coilIcon : contactIcon);
        groupEntry->setFirstColumnSpanned(true);
        for (const Member& member : group.members) {
            QTreeWidgetItem* parent = groupEntry;
            if (group.members.size() > 1) {
                parent = new QTreeWidgetItem(groupEntry, {QString(QChar(member.code))});
                parent->setData(0, kKindRole, LetterItem);
                parent->setFirstColumnSpanned(true);
            }
            for (int n = 1; n <= member.count; ++n) {
                auto* operand = new QTreeWidgetItem(parent, {OperandText(member.code, n)});
                operand->setData(0, kKindRole, OperandItem);
                operand->setData(0, kCodeRole, member.code);
                operand->setData(0, kNumberRole, n);
                operand->setForeground(1, QColor(0x6b, 0x72, 0x80));
            }
        }
    }
}

QTreeWidgetItem* FunctionSelector::groupItem(int group) const {
    // The two tools come first.
    return tree_->topLevelItem(group + 2);
}

QTreeWidgetItem* FunctionSelector::operandItem(std::uint16_t code, int number) const {
    for (int g = 0; g < static_cast<int>(Groups().size()); ++g) {
        const Group& group = Groups()[g];
        for (int m = 0; m < static_cast<int>(group.members.size()); ++m) {
            if (group.members[m].code != code) {
                continue;
            }
            if (number < 1 || number > group.members[m].count) {
                return nullptr;
            }
            QTreeWidgetItem* parent = groupItem(g);
            if (group.members.size() > 1) {
                parent = parent->child(m);
            }
            return parent->child(number - 1);
        }
    }
    return nullptr;
}

void FunctionSelector::UpdateModelDisplay(int modelIndex) {
    if (!IsValidModel(modelIndex)) {
        return;
    }
    for (int g = 0; g < static_cast<int>(Groups().size()); ++g) {
        bool enabled = true;
        switch (Groups()[g].feature) {
            case Feature::Analog:
                enabled = HasAnalog(modelIndex);
                break;
            case Feature::Display:
                enabled = HasDisplay(modelIndex);
                break;
            case Feature::Always:
                break;
        }
        QTreeWidgetItem* item = groupItem(g);
        item->setDisabled(!enabled);
        if (!enabled) {
            item->setExpanded(false);
        }
    }
}

void FunctionSelector::choose(QTreeWidgetItem* item) {
    if (!item || item->isDisabled()) {
        return;
    }
    switch (item->data(0, kKindRole).toInt()) {
        case SelectionToolItem:
            editor_.setEditTool(kSelectionTool);
            break;
        case WireToolItem:
            editor_.setEditTool(kWireTool);
            break;
        case GroupItem:
        case LetterItem:
            item->setExpanded(!item->isExpanded());
            break;
        case OperandItem: {
            // A drop on the ladder takes the same path.
            const auto code = static_cast<std::uint16_t>(item->data(0, kCodeRole).toInt());
            if (editor_.PlaceChosen(code, OperandNumberCode(item->data(0, kNumberRole).toInt()))) {
                Q_EMIT operandPlaced();
            }
            break;
        }
    }
    markTool();
}

void FunctionSelector::markTool() {
    QFont normal = tree_->font();
    QFont active = normal;
    active.setBold(true);
    selectionTool_->setFont(0, editor_.EditTool() == kWireTool ? normal : active);
    wireTool_->setFont(0, editor_.EditTool() == kWireTool ? active : normal);
}

void FunctionSelector::showComments(QTreeWidgetItem* parent) {
    if (!parent) {
        return;
    }
    const Program& program = editor_.program();
    for (int i = 0; i < parent->childCount(); ++i) {
        QTreeWidgetItem* child = parent->child(i);
        if (child->data(0, kKindRole).toInt() == LetterItem) {
            if (child->isExpanded()) {
                showComments(child);
            }
            continue;
        }
        const std::optional<Operand> kind =
            OperandForCode(static_cast<std::uint16_t>(child->data(0, kCodeRole).toInt()));
        const int index = child->data(0, kNumberRole).toInt() - 1;
        if (!kind || index < 0 || index >= operandInfo(*kind).count) {
            continue;
        }
        const QString comment = program.comment(*kind, index).section(QLatin1Char('\n'), 0, 0).trimmed();
        if (child->text(1) != comment) {
            child->setText(1, comment);
            child->setToolTip(0, comment);
            child->setToolTip(1, comment);
        }
    }
}

void FunctionSelector::refreshComments() {
    for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
        if (tree_->topLevelItem(i)->isExpanded()) {
            showComments(tree_->topLevelItem(i));
        }
    }
    markTool();
}

void FunctionSelector::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refreshComments();
}

bool FunctionSelector::eventFilter(QObject* watched, QEvent* event) {
    // Comments may have been edited elsewhere since the groups were opened.
    if ((watched == tree_->viewport() && event->type() == QEvent::Enter) ||
        (watched == tree_ && event->type() == QEvent::FocusIn)) {
        refreshComments();
    }
    if (watched == tree_->viewport() && dragOnMove(event)) {
        return true;
    }
    if (watched == tree_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            choose(tree_->currentItem());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

std::unique_ptr<QMimeData> FunctionSelector::dragData(QTreeWidgetItem* item) const {
    if (item == nullptr || item->isDisabled() || item->data(0, kKindRole).toInt() != OperandItem) {
        return nullptr;
    }
    const auto code = static_cast<std::uint16_t>(item->data(0, kCodeRole).toInt());
    return OperandMimeData({code, OperandNumberCode(item->data(0, kNumberRole).toInt())});
}

bool FunctionSelector::dragOnMove(QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        auto* press = static_cast<QMouseEvent*>(event);
        pressed_ = press->button() == Qt::LeftButton ? tree_->itemAt(press->position().toPoint()) : nullptr;
        pressPoint_ = press->position().toPoint();
        return false;
    }
    if (event->type() != QEvent::MouseMove || pressed_ == nullptr) {
        return false;
    }
    auto* move = static_cast<QMouseEvent*>(event);
    if (!(move->buttons() & Qt::LeftButton)) {
        pressed_ = nullptr;
        return false;
    }
    if ((move->position().toPoint() - pressPoint_).manhattanLength() < QApplication::startDragDistance()) {
        return false;
    }
    std::unique_ptr<QMimeData> data = dragData(pressed_);
    QTreeWidgetItem* item = pressed_;
    pressed_ = nullptr;
    if (!data) {
        return false;
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(data.release());
    drag->setPixmap(tree_->viewport()->grab(tree_->visualItemRect(item)));
    drag->exec(Qt::CopyAction);
    return true;
}

}  // namespace bdx
