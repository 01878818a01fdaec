#include "captions.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
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

}  // namespace

void SetTextId(QObject* object, int id) {
    object->setProperty(kTextIdProperty, id);
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
}

}  // namespace bdx
