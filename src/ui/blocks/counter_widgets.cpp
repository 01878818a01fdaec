#include "counter_widgets.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "block_dialog.h"
#include "ladder/block_tables.h"
#include "ui/widgets/captions.h"

namespace bdx {

QLineEdit* DigitField(const char* name, QWidget* parent) {
    auto* field = Named(new QLineEdit(parent), name);
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,6}")), field));
    field->setMaxLength(6);
    field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 16);
    return field;
}

void AddCounterNames(QComboBox* list) {
    for (int i = 1; i <= kCounters; ++i) {
        list->addItem(QStringLiteral("C%1").arg(i));
    }
}

QLabel* BuddyLabel(int textId, const char* name, QWidget* buddy, QWidget* parent) {
    auto* label = Named(new QLabel(parent), name);
    SetTextId(label, textId);
    label->setBuddy(buddy);
    return label;
}

}  // namespace bdx
