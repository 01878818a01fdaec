#include "xref_window.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "editor/ladder_editor.h"
#include "shell/language_table.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    CrossReferenceTitle = 8101,
    OperandHeading = 8102,
    UseHeading = 8103,
    LinesHeading = 8104,
    CommentHeading = 8105,
};

}  // namespace

XrefWindow::XrefWindow(LadderEditor& editor, QWidget* parent) : QWidget(parent, Qt::Window), editor_(editor) {
    setObjectName(QStringLiteral("XrefWindow"));
    SetTextId(this, CrossReferenceTitle);

    grdCrossReference_ = new QTableWidget(0, XrefColumnCount, this);
    grdCrossReference_->setObjectName(QStringLiteral("grdCrossReference"));
    grdCrossReference_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdCrossReference_->setSelectionMode(QAbstractItemView::SingleSelection);
    grdCrossReference_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdCrossReference_->setAlternatingRowColors(true);
    grdCrossReference_->setShowGrid(false);
    grdCrossReference_->setWordWrap(false);
    grdCrossReference_->setTextElideMode(Qt::ElideRight);
    grdCrossReference_->setCornerButtonEnabled(false);
    grdCrossReference_->setTabKeyNavigation(false);
    grdCrossReference_->verticalHeader()->hide();
    grdCrossReference_->verticalHeader()->setDefaultSectionSize(grdCrossReference_->fontMetrics().height() + 6);
    grdCrossReference_->setHorizontalHeaderLabels({QString(), QString(), QString(), QString()});
    grdCrossReference_->setProperty(kHeaderTextIdsProperty,
                                    QVariantList{OperandHeading, UseHeading, LinesHeading, CommentHeading});

    QHeaderView* header = grdCrossReference_->horizontalHeader();
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionResizeMode(XrefOperand, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(XrefUse, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(XrefLines, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(XrefComment, QHeaderView::Stretch);
    grdCrossReference_->setStyleSheet(QStringLiteral("QTableWidget::item { padding: 0px 8px; }"));

    // Every edit, undo and redo changes the grid; opening or creating a program replaces it.
    connect(&editor_, &LadderEditor::gridChanged, this, &XrefWindow::refresh);
    connect(&editor_.document(), &ProgramDocument::programReplaced, this, &XrefWindow::refresh);
    // Double-click and Enter both activate a row.
    connect(grdCrossReference_, &QTableWidget::activated, this,
            [this](const QModelIndex& index) { chooseRow(index.row()); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grdCrossReference_);

    ApplyCaptions(this);
    setAccessibleName(windowTitle());
    grdCrossReference_->setAccessibleName(windowTitle());
    resize(620, 220);
    refresh();
}

void XrefWindow::refresh() {
    const Program& program = editor_.program();
    rows_ = CrossReference(program);
    const int language = CurrentLanguageOffset();
    grdCrossReference_->setUpdatesEnabled(false);
    grdCrossReference_->setRowCount(static_cast<int>(rows_.size()));
    for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
        const QStringList cells = CrossReferenceCells(program, rows_[static_cast<std::size_t>(r)], language);
        for (int c = 0; c < XrefColumnCount; ++c) {
            QTableWidgetItem* item = grdCrossReference_->item(r, c);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                grdCrossReference_->setItem(r, c, item);
            }
            item->setText(cells[c]);
            item->setToolTip(c == XrefComment || c == XrefLines ? cells[c] : QString());
        }
    }
    grdCrossReference_->setUpdatesEnabled(true);
}

void XrefWindow::chooseRow(int row) {
    if (row < 0 || row >= static_cast<int>(rows_.size()) || rows_[static_cast<std::size_t>(row)].lines.empty()) {
        return;
    }
    const int line = rows_[static_cast<std::size_t>(row)].lines.front() - 1;
    editor_.selectLine(line);
    Q_EMIT lineChosen(line);
}

}  // namespace bdx
