#include "frm_select_language.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "shell/app_settings.h"
#include "shell/language_table.h"

namespace bdx {

frmSelectLanguage::frmSelectLanguage(AppSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    setObjectName(QStringLiteral("frmSelectLanguage"));
    // The language is not known yet, so the dialog speaks all four.
    setWindowTitle(QStringLiteral("Language / Idioma / J\u0119zyk"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Select the language / Selecione o idioma / "
                                                "Wybierz j\u0119zyk / Seleccione el idioma"),
                                 this));
    cmbLanguage_ = new QComboBox(this);
    cmbLanguage_->setObjectName(QStringLiteral("cmbLanguage"));
    for (const LanguageChoice& language : kLanguages) {
        cmbLanguage_->addItem(QString::fromUtf8(language.name), language.offset);
    }
    cmbLanguage_->setCurrentIndex(0);
    layout->addWidget(cmbLanguage_);
    chkDoNotShowAgain_ = new QCheckBox(QStringLiteral("Do not show this dialog again"), this);
    chkDoNotShowAgain_->setObjectName(QStringLiteral("chkDoNotShowAgain"));
    layout->addWidget(chkDoNotShowAgain_);
    auto* buttons = new QDialogButtonBox(this);
    cmdOK_ = buttons->addButton(QDialogButtonBox::Ok);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    layout->addWidget(buttons);
    connect(cmdOK_, &QPushButton::clicked, this, [this] {
        settings_.LanguageOffset = cmbLanguage_->currentData().toInt();
        accept();
    });
    settings_.LanguageOffset = English;
}

void frmSelectLanguage::done(int result) {
    settings_.LanguageDlg = chkDoNotShowAgain_->isChecked() ? 1 : 0;
    QDialog::done(result);
}

}  // namespace bdx

namespace bdx {

void frmSelectLanguage::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

}  // namespace bdx
