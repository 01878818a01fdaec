#include "captions.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVariant>

#include "shell/language_table.h"

namespace bdx {

namespace {

int idOf(const QObject* object, const char* property) {
    bool ok = false;
    const int id = object->property(property).toInt(&ok);
    return ok && id >= 1 ? id : 0;
}

QList<int> idsOf(const QObject* object, const char* property) {
    QList<int> ids;
    for (const QVariant& v : object->property(property).toList()) {
        ids << v.toInt();
    }
    return ids;
}

void applyText(QObject* object, const QString& text) {
    if (auto* action = qobject_cast<QAction*>(object)) {
        action->setText(text);
    } else if (auto* menu = qobject_cast<QMenu*>(object)) {
        menu->setTitle(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
        button->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(object)) {
        label->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(object)) {
        group->setTitle(text);
    } else if (auto* widget = qobject_cast<QWidget*>(object); widget && widget->isWindow()) {
        widget->setWindowTitle(text);
    }
}

void applyToolTip(QObject* object, const QString& text) {
    if (auto* action = qobject_cast<QAction*>(object)) {
        action->setToolTip(text);
    } else if (auto* widget = qobject_cast<QWidget*>(object)) {
        widget->setToolTip(text);
    }
}

void applyTabs(QObject* object, const QList<int>& ids) {
    for (int i = 0; i < ids.size(); ++i) {
        if (ids[i] < 1) {
            continue;
        }
        if (auto* tabs = qobject_cast<QTabWidget*>(object); tabs && i < tabs->count()) {
            tabs->setTabText(i, LoadText(ids[i]));
        } else if (auto* bar = qobject_cast<QTabBar*>(object); bar && i < bar->count()) {
            bar->setTabText(i, LoadText(ids[i]));
        }
    }
}

void applyHeaders(QObject* object, const QList<int>& ids) {
    for (int i = 0; i < ids.size(); ++i) {
        if (ids[i] < 1) {
            continue;
        }
        if (auto* tree = qobject_cast<QTreeWidget*>(object); tree && tree->headerItem()) {
            tree->headerItem()->setText(i, LoadText(ids[i]));
        } else if (auto* table = qobject_cast<QTableWidget*>(object); table && i < table->columnCount()) {
            table->setHorizontalHeaderItem(i, new QTableWidgetItem(LoadText(ids[i])));
        }
    }
}

void applyTo(QObject* object) {
    if (const int id = idOf(object, kTextIdProperty)) {
        applyText(object, LoadText(id));
    }
    if (const int id = idOf(object, kToolTipIdProperty)) {
        applyToolTip(object, LoadText(id));
    }
    if (object->property(kTabTextIdsProperty).isValid()) {
        applyTabs(object, idsOf(object, kTabTextIdsProperty));
    }
    if (object->property(kHeaderTextIdsProperty).isValid()) {
        applyHeaders(object, idsOf(object, kHeaderTextIdsProperty));
    }
}

// The accessible name a widget shows to screen readers, from what a sighted user reads on it.
QString visibleName(const QWidget* widget) {
    if (auto* menu = qobject_cast<const QMenu*>(widget)) {
        return menu->title();
    }
    if (widget->isWindow()) {
        return widget->windowTitle();
    }
    if (auto* button = qobject_cast<const QAbstractButton*>(widget); button && !button->text().isEmpty()) {
        return button->text();
    }
    if (auto* group = qobject_cast<const QGroupBox*>(widget)) {
        return group->title();
    }
    if (auto* label = qobject_cast<const QLabel*>(widget); label && label->textFormat() != Qt::RichText) {
        return label->text();
    }
    if (!widget->toolTip().isEmpty()) {
        return widget->toolTip();
    }
    if (auto* edit = qobject_cast<const QLineEdit*>(widget); edit && !edit->placeholderText().isEmpty()) {
        return edit->placeholderText();
    }
    return QString();
}

// Marks accessible names this code chose, so that a retranslation replaces them but never a name
// a window set itself.
constexpr const char* kChosenNameProperty = "chosenAccessibleName";

void nameForAccessibility(QWidget* widget, QHash<const QWidget*, QString>& buddies) {
    if (!widget->accessibleName().isEmpty() && !widget->property(kChosenNameProperty).toBool()) {
        return;
    }
    QString name = WithoutAccelerators(visibleName(widget));
    if (name.isEmpty()) {
        name = WithoutAccelerators(buddies.value(widget));
    }
    if (name.isEmpty()) {
        name = widget->objectName();
    }
    if (!name.isEmpty()) {
        widget->setAccessibleName(name);
        widget->setProperty(kChosenNameProperty, true);
    }
}

}  // namespace

void SetTextId(QObject* object, int id) {
    object->setProperty(kTextIdProperty, id);
}

QPushButton* CommandButton(QWidget* parent, const char* objectName, int textId) {
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(objectName));
    SetTextId(button, textId);
    button->setAutoDefault(false);
    return button;
}

QLabel* CaptionLabel(QWidget* parent, int textId, QWidget* buddy) {
    auto* label = new QLabel(parent);
    SetTextId(label, textId);
    label->setBuddy(buddy);
    return label;
}

QString WithoutAccelerators(const QString& caption) {
    QString text = caption;
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    return text.trimmed();
}

void ApplyCaptions(QWidget* window) {
    if (window == nullptr) {
        return;
    }
    applyTo(window);
    for (QObject* child : window->findChildren<QObject*>()) {
        applyTo(child);
    }
    NameForAccessibility(window);
}

void NameForAccessibility(QWidget* window) {
    if (window == nullptr) {
        return;
    }
    const QList<QWidget*> widgets = window->findChildren<QWidget*>();
    QHash<const QWidget*, QString> buddies;
    for (const QWidget* widget : widgets) {
        if (auto* label = qobject_cast<const QLabel*>(widget); label && label->buddy()) {
            buddies.insert(label->buddy(), label->text());
        }
    }
    nameForAccessibility(window, buddies);
    for (QWidget* widget : widgets) {
        // Qt's own parts of a control (viewports, scroll bars) are named by the control.
        if (!widget->objectName().startsWith(QLatin1String("qt_"))) {
            nameForAccessibility(widget, buddies);
        }
    }
}

}  // namespace bdx
