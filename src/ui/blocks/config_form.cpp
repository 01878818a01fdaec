#include "config_form.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "blocks/device_model.h"
#include "blocks/model_selection.h"
#include "editor/ladder_editor.h"
#include "shell/language_table.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    ModelSelectionFrame = 4043,
    ExtensionModulesFrame = 4044,
    OkCaption = 8082,
    CancelCaption = 8083,
    ModelTitle = 8086,
};

constexpr int kColumns = 6;
constexpr char kModuleLetters[] = {'A', 'B', 'C'};

}  // namespace

config_form::config_form(LadderEditor& editor, Prompter& prompter, QWidget* parent)
    : QDialog(parent), editor_(editor), prompter_(prompter) {
    setObjectName(QStringLiteral("config_form"));
    SetTextId(this, ModelTitle);
    setModal(true);

    gd1_ = new QTableWidget(static_cast<int>(kModelDialogRows.size()), kColumns, this);
    gd1_->setObjectName(QStringLiteral("gd1"));
    gd1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gd1_->setSelectionBehavior(QAbstractItemView::SelectRows);
    gd1_->setSelectionMode(QAbstractItemView::SingleSelection);
    gd1_->setWordWrap(false);
    gd1_->setCornerButtonEnabled(false);
    gd1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gd1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gd1_->verticalHeader()->hide();
    gd1_->horizontalHeader()->setSectionsClickable(false);
    gd1_->horizontalHeader()->setHighlightSections(false);
    gd1_->verticalHeader()->setDefaultSectionSize(gd1_->fontMetrics().height() + 12);

    auto* modelFrame = new QGroupBox(this);
    SetTextId(modelFrame, ModelSelectionFrame);
    auto* modelLayout = new QVBoxLayout(modelFrame);
    modelLayout->addWidget(gd1_);

    auto* moduleFrame = new QGroupBox(this);
    SetTextId(moduleFrame, ExtensionModulesFrame);
    auto* moduleLayout = new QHBoxLayout(moduleFrame);
    for (std::size_t i = 0; i < Check1_.size(); ++i) {
        Check1_[i] = new QCheckBox(QString(QLatin1Char(kModuleLetters[i])), moduleFrame);
        Check1_[i]->setObjectName(QStringLiteral("Check1_%1").arg(i));
        moduleLayout->addWidget(Check1_[i]);
        moduleLayout->addSpacing(24);
    }
    moduleLayout->addStretch();

    Command1_ = new QPushButton(this);
    Command1_->setObjectName(QStringLiteral("Command1"));
    SetTextId(Command1_, OkCaption);
    Command1_->setDefault(true);
    Command2_ = new QPushButton(this);
    Command2_->setObjectName(QStringLiteral("Command2"));
    SetTextId(Command2_, CancelCaption);
    Command2_->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1_);
    buttons->addWidget(Command2_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(modelFrame);
    layout->addWidget(moduleFrame);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Command1_, &QPushButton::clicked, this, &config_form::Command1_Click);
    connect(Command2_, &QPushButton::clicked, this, &QDialog::reject);
    connect(gd1_, &QTableWidget::cellDoubleClicked, this, &config_form::Command1_Click);

    ApplyCaptions(this);
    Form_Load();
}

void config_form::Form_Load() {
    QList<int> headerIds{0};
    QStringList headers{QString()};
    for (int id : kModelDialogHeaderIds) {
        headerIds << id;
        headers << LoadText(id);
    }
    gd1_->setHorizontalHeaderLabels(headers);
    gd1_->setProperty(kHeaderTextIdsProperty, QVariantList(headerIds.begin(), headerIds.end()));

    QFont bold = gd1_->font();
    bold.setBold(true);
    for (int r = 0; r < static_cast<int>(kModelDialogRows.size()); ++r) {
        const ModelDialogRow& row = kModelDialogRows[r];
        const int ids[kColumns] = {row.modelCodeId,     row.lcdId,          row.supplyId,
                                   row.digitalInputsId, row.analogInputsId, row.progLinesId};
        for (int c = 0; c < kColumns; ++c) {
            auto* item = new QTableWidgetItem(LoadText(ids[c]));
            item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
            if (c == 0) {
                item->setFont(bold);
            }
            gd1_->setItem(r, c, item);
        }
    }
    gd1_->resizeColumnsToContents();
    QHeaderView* header = gd1_->horizontalHeader();
    for (int c = 0; c < kColumns; ++c) {
        gd1_->setColumnWidth(c, gd1_->columnWidth(c) + 16);
    }
    // The grid shows all of itself: no scrolling for five rows.
    gd1_->setFixedSize(header->length() + 2 * gd1_->frameWidth(),
                       header->height() + gd1_->verticalHeader()->length() + 2 * gd1_->frameWidth());

    const Program& program = editor_.program();
    selectRow(ModelDialogRowForIndex(program.ModelIndex));
    for (std::size_t i = 0; i < Check1_.size(); ++i) {
        Check1_[i]->setChecked(program.ExtensionModules[i] != 0);
    }
}

int config_form::selectedRow() const {
    const QModelIndexList rows = gd1_->selectionModel()->selectedRows();
    return rows.isEmpty() ? 0 : rows.first().row() + 1;
}

void config_form::selectRow(int row) {
    if (row >= 1 && row <= gd1_->rowCount()) {
        gd1_->selectRow(row - 1);
    } else {
        gd1_->clearSelection();
    }
}

void config_form::Command1_Click() {
    ModelSelection selection;
    selection.row = selectedRow();
    for (std::size_t i = 0; i < Check1_.size(); ++i) {
        selection.extensions[i] = Check1_[i]->isChecked();
    }
    bool applied = false;
    editor_.applyEdit(
        [&](Program& program) { applied = ApplyModelSelection(program, selection, prompter_); });
    if (!applied) {
        return;
    }
    accept();
}

}  // namespace bdx
