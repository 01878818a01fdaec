#include "frm_print_footer.h"

#include <algorithm>
#include <QDate>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/language_table.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    Ok = 8082,
    Cancel = 8083,
    FooterTitle = 8357,
    Project = 8358,
    Author = 8359,
    Version = 8360,
    ApprovedBy = 8361,
    Date = 8362,
    Today = 8363,
    FooterHint = 8364,
};

constexpr int kMaxTextLength = 100;

}  // namespace

frmPrintFooter::frmPrintFooter(const Texts& texts, QWidget* parent) : QDialog(parent), texts_(texts) {
    setObjectName(QStringLiteral("frmPrintFooter"));
    SetTextId(this, FooterTitle);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 14);
    layout->setSpacing(12);

    auto* hint = new QLabel(this);
    hint->setObjectName(QStringLiteral("lblHint"));
    SetTextId(hint, FooterHint);
    hint->setWordWrap(true);
    layout->addWidget(hint);

    // In the order the page header prints them.
    const struct {
        int index;
        const char* name;
        int label;
    } rows[] = {{PrintInfoText::Project, "txtProject", Project},
                {PrintInfoText::Author, "txtAuthor", Author},
                {PrintInfoText::ApprovedBy, "txtApprovedBy", ApprovedBy},
                {PrintInfoText::Version, "txtVersion", Version},
                {PrintInfoText::Date, "txtDate", Date}};
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    int row = 0;
    for (const auto& r : rows) {
        auto* edit = new QLineEdit(texts_[r.index], this);
        edit->setObjectName(QString::fromLatin1(r.name));
        edit->setMaxLength(std::max<int>(kMaxTextLength, texts_[r.index].size()));
        edit->setMinimumWidth(320);
        fields_[r.index] = edit;
        grid->addWidget(CaptionLabel(this, r.label, edit), row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
    }
    // Today's date in the printouts' form: day, month and year joined by "/".
    QPushButton* cmdToday = CommandButton(this, "cmdToday", Today);
    connect(cmdToday, &QPushButton::clicked, this, [this] {
        const QDate today = QDate::currentDate();
        fields_[PrintInfoText::Date]->setText(
            QStringLiteral("%1/%2/%3").arg(today.day()).arg(today.month()).arg(today.year()));
    });
    grid->addWidget(cmdToday, row - 1, 2);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);

    auto* buttons = new QDialogButtonBox(this);
    buttons->setObjectName(QStringLiteral("btnButtons"));
    QPushButton* ok = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("cmdOK"));
    SetTextId(ok, Ok);
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    SetTextId(cancel, Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    ApplyCaptions(this);
}

frmPrintFooter::Texts frmPrintFooter::texts() const {
    Texts result = texts_;
    for (int i = 0; i < kPrintInfoTexts; ++i) {
        if (fields_[i] != nullptr) {
            QString text = fields_[i]->text();
            text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
            result[i] = text;
        }
    }
    return result;
}

QLineEdit* frmPrintFooter::field(int index) const {
    return index >= 0 && index < kPrintInfoTexts ? fields_[index] : nullptr;
}

}  // namespace bdx
