#include "frm_find.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "editor/ladder_editor.h"
#include "shell/language_table.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    CloseCaption = 4086,
    FindCaption = 4128,
    FindNextCaption = 4129,
    FindTitle = 8085,
    CategoryLabel = 8088,
    NumberLabel = 8089,
};

}  // namespace

frmFind::frmFind(LadderEditor& editor, QWidget* parent) : QDialog(parent), editor_(editor) {
    setObjectName(QStringLiteral("frmFind"));
    SetTextId(this, FindTitle);
    setModal(false);

    cmbFind_ = new QComboBox(this);
    cmbFind_->setObjectName(QStringLiteral("cmbFind"));
    for (const FindCategory& category : FindCategories()) {
        cmbFind_->addItem(QString::fromLatin1(category.name));
    }
    cmbFind_->setCurrentIndex(-1);

    txtFindVal_ = new QLineEdit(this);
    txtFindVal_->setObjectName(QStringLiteral("txtFindVal"));
    // No operand goes beyond 64; an empty box finds any number.
    txtFindVal_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,2}")), txtFindVal_));
    txtFindVal_->setMaximumWidth(txtFindVal_->fontMetrics().horizontalAdvance(QStringLiteral("0000000")));

    auto* categoryLabel = new QLabel(this);
    SetTextId(categoryLabel, CategoryLabel);
    categoryLabel->setBuddy(cmbFind_);
    auto* numberLabel = new QLabel(this);
    SetTextId(numberLabel, NumberLabel);
    numberLabel->setBuddy(txtFindVal_);

    auto* fields = new QFormLayout;
    fields->addRow(categoryLabel, cmbFind_);
    fields->addRow(numberLabel, txtFindVal_);

    btnFind_ = new QPushButton(this);
    btnFind_->setObjectName(QStringLiteral("btnFind"));
    btnFind_->setDefault(true);
    btnFind_->setAutoDefault(true);
    SetTextId(btnFind_, FindCaption);
    btnClose_ = new QPushButton(this);
    btnClose_->setObjectName(QStringLiteral("btnClose"));
    btnClose_->setAutoDefault(false);
    SetTextId(btnClose_, CloseCaption);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(btnFind_);
    buttons->addWidget(btnClose_);
    buttons->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    connect(btnFind_, &QPushButton::clicked, this, &frmFind::btnFind_Click);
    connect(btnClose_, &QPushButton::clicked, this, &QDialog::close);
    connect(cmbFind_, &QComboBox::currentIndexChanged, this, &frmFind::searchChanged);
    connect(txtFindVal_, &QLineEdit::textChanged, this, &frmFind::searchChanged);

    // The dialog follows its captions, which differ in length between the languages.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    cmbFind_->setMinimumWidth(cmbFind_->fontMetrics().horizontalAdvance(QStringLiteral("RTC")) * 4);
    ApplyCaptions(this);
}

void frmFind::btnFind_Click() {
    if (editor_.FindNext(cmbFind_->currentIndex(), txtFindVal_->text().trimmed())) {
        setFindCaption(FindNextCaption);
    }
}

void frmFind::searchChanged() {
    editor_.resetFind();
    setFindCaption(FindCaption);
}

void frmFind::setFindCaption(int textId) {
    SetTextId(btnFind_, textId);
    btnFind_->setText(LoadText(textId));
}

}  // namespace bdx
