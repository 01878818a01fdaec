#include "frm_password_dialogs.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "comm/device_steps.h"
#include "shell/language_table.h"
#include "shell/prompter.h"
#include "ui/widgets/captions.h"
#include "utilities_window.h"

namespace bdx {

namespace {

enum TextId {
    FourDigitPassword = 4301,
    OkCaption = 8082,
    CancelCaption = 8083,
    Level1Option = 8336,
    Level2Option = 8337,
    SelectionTitle = 8340,
    SelectionQuestion = 8341,
    CheckTitle = 8342,
};

QDialogButtonBox* okCancel(QDialog* dialog) {
    auto* box = new QDialogButtonBox(dialog);
    QPushButton* ok = box->addButton(QString(), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("cmdOK"));
    SetTextId(ok, OkCaption);
    ok->setDefault(true);
    QPushButton* cancel = box->addButton(QString(), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    SetTextId(cancel, CancelCaption);
    return box;
}

}  // namespace

frmPasswordSelection::frmPasswordSelection(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPasswordSelection"));
    setModal(true);
    SetTextId(this, SelectionTitle);
    auto* question = new QLabel(this);
    question->setObjectName(QStringLiteral("lblQuestion"));
    SetTextId(question, SelectionQuestion);
    optLevel1_ = new QRadioButton(this);
    optLevel1_->setObjectName(QStringLiteral("optLevel1"));
    SetTextId(optLevel1_, Level1Option);
    optLevel2_ = new QRadioButton(this);
    optLevel2_->setObjectName(QStringLiteral("optLevel2"));
    SetTextId(optLevel2_, Level2Option);
    optLevel1_->setChecked(true);
    QDialogButtonBox* buttons = okCancel(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(question);
    layout->addWidget(optLevel1_);
    layout->addWidget(optLevel2_);
    layout->addWidget(buttons);
    ApplyCaptions(this);
}

int frmPasswordSelection::level() const {
    return optLevel2_->isChecked() ? 2 : 1;
}

void frmPasswordSelection::setLevel(int level) {
    (level == 2 ? optLevel2_ : optLevel1_)->setChecked(true);
}

frmPasswordCheck::frmPasswordCheck(Prompter& prompter, const QString& prompt, QWidget* parent)
    : QDialog(parent), prompter_(prompter) {
    setObjectName(QStringLiteral("frmPasswordCheck"));
    setModal(true);
    SetTextId(this, CheckTitle);
    auto* label = new QLabel(prompt, this);
    label->setObjectName(QStringLiteral("lblPrompt"));
    label->setWordWrap(true);
    Text1_ = PasswordBox(this, QStringLiteral("Text1"));
    label->setBuddy(Text1_);
    QDialogButtonBox* buttons = okCancel(this);
    // OK is checked here: the box stays open on a malformed entry.
    connect(buttons, &QDialogButtonBox::accepted, this, &frmPasswordCheck::cmdOK_Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmPasswordCheck::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(Text1_, 0, Qt::AlignHCenter);
    layout->addWidget(buttons);
    setMinimumWidth(280);
    ApplyCaptions(this);
    Text1_->setFocus();
}

QString frmPasswordCheck::password() const {
    return Text1_->text();
}

void frmPasswordCheck::cmdOK_Click() {
    if (!IsFourDigitPassword(Text1_->text())) {
        prompter_.show({MessageIcon::Information, LoadText(FourDigitPassword), {Reply::Ok}});
        Text1_->setFocus();
        Text1_->selectAll();
        return;
    }
    cancelled_ = false;
    accept();
}

void frmPasswordCheck::reject() {
    cancelled_ = true;
    QDialog::reject();
}

}  // namespace bdx
