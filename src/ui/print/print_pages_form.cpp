#include "print_pages_form.h"

#include <algorithm>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "shell/language_table.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    Cancel = 8083,
    PrintPagesTitle = 8350,
    PageCount = 8351,
    FromPage = 8352,
    ToPage = 8353,
    Preview = 8354,
    PrintButton = 8355,
    ExportPdf = 8356,
};

}  // namespace

print_pages_form::print_pages_form(int pageCount, int titleId, QWidget* parent)
    : QDialog(parent), pageCount_(std::max(1, pageCount)) {
    setObjectName(QStringLiteral("print_pages_form"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 14);
    layout->setSpacing(12);

    lblPageCount_ = new QLabel(this);
    lblPageCount_->setObjectName(QStringLiteral("lblPageCount"));
    layout->addWidget(lblPageCount_);

    const auto pageBox = [this](const char* name) {
        auto* box = new QSpinBox(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setRange(1, pageCount_);
        box->setMinimumWidth(80);
        return box;
    };
    spnFrom_ = pageBox("spnFrom");
    spnTo_ = pageBox("spnTo");
    spnFrom_->setValue(1);
    spnTo_->setValue(pageCount_);
    // The range never turns round: moving one end past the other takes the other along.
    connect(spnFrom_, &QSpinBox::valueChanged, this, [this](int first) {
        if (spnTo_->value() < first) {
            spnTo_->setValue(first);
        }
    });
    connect(spnTo_, &QSpinBox::valueChanged, this, [this](int last) {
        if (spnFrom_->value() > last) {
            spnFrom_->setValue(last);
        }
    });
    auto* range = new QGridLayout;
    range->setHorizontalSpacing(10);
    range->addWidget(CaptionLabel(this, FromPage, spnFrom_), 0, 0);
    range->addWidget(spnFrom_, 0, 1);
    range->addWidget(CaptionLabel(this, ToPage, spnTo_), 0, 2);
    range->addWidget(spnTo_, 0, 3);
    range->setColumnStretch(4, 1);
    layout->addLayout(range);

    auto* buttons = new QHBoxLayout;
    cmdPreview_ = CommandButton(this, "cmdPreview", Preview);
    cmdPrint_ = CommandButton(this, "cmdPrint", PrintButton);
    cmdExportPdf_ = CommandButton(this, "cmdExportPdf", ExportPdf);
    QPushButton* cmdCancel = CommandButton(this, "cmdCancel", Cancel);
    cmdPrint_->setDefault(true);
    connect(cmdPreview_, &QPushButton::clicked, this, [this] { choose(Choice::Preview); });
    connect(cmdPrint_, &QPushButton::clicked, this, [this] { choose(Choice::Print); });
    connect(cmdExportPdf_, &QPushButton::clicked, this, [this] { choose(Choice::ExportPdf); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(cmdPreview_);
    buttons->addWidget(cmdPrint_);
    buttons->addWidget(cmdExportPdf_);
    buttons->addStretch(1);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons);

    ApplyCaptions(this);
    setWindowTitle(LoadText(PrintPagesTitle) + QStringLiteral(" - ") + WithoutAccelerators(LoadText(titleId)));
    lblPageCount_->setText(LoadText(PageCount).arg(pageCount_));
    NameForAccessibility(this);
}

int print_pages_form::firstPage() const {
    return spnFrom_->value();
}

int print_pages_form::lastPage() const {
    return spnTo_->value();
}

void print_pages_form::setRange(int first, int last) {
    spnTo_->setValue(last);
    spnFrom_->setValue(first);
}

QPushButton* print_pages_form::button(Choice choice) const {
    switch (choice) {
    case Choice::Preview:
        return cmdPreview_;
    case Choice::Print:
        return cmdPrint_;
    case Choice::ExportPdf:
        return cmdExportPdf_;
    case Choice::None:
        break;
    }
    return nullptr;
}

void print_pages_form::choose(Choice choice) {
    choice_ = choice;
    accept();
}

}  // namespace bdx
