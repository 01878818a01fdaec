#include "error_list_window.h"

#include <QCloseEvent>
#include <QColor>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "editor/ladder_editor.h"
#include "shell/language_table.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    LineNumberHeader = 4054,
    LocationHeader = 4120,
    DescriptionHeader = 4121,
    ErrorsTitle = 8087,
};

enum Column { KindColumn, LineColumn, LocationColumn, DescriptionColumn, ColumnCount };

}  // namespace

ErrorListWindow::ErrorListWindow(LadderEditor& editor, QWidget* parent)
    : QWidget(parent, Qt::Window), editor_(editor) {
    setObjectName(QStringLiteral("ErrorListWindow"));
    SetTextId(this, ErrorsTitle);

    grdErrors_ = new QTableWidget(0, ColumnCount, this);
    grdErrors_->setObjectName(QStringLiteral("grdErrors"));
    grdErrors_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdErrors_->setSelectionMode(QAbstractItemView::NoSelection);
    grdErrors_->setFocusPolicy(Qt::NoFocus);
    grdErrors_->setAlternatingRowColors(true);
    grdErrors_->setShowGrid(false);
    grdErrors_->setWordWrap(false);
    grdErrors_->setTextElideMode(Qt::ElideRight);
    grdErrors_->setCornerButtonEnabled(false);
    grdErrors_->verticalHeader()->hide();
    grdErrors_->verticalHeader()->setDefaultSectionSize(grdErrors_->fontMetrics().height() + 6);
    grdErrors_->setHorizontalHeaderLabels(
        {QStringLiteral(" "), QString(), QString(), QString()});  // the first heading stays blank
    grdErrors_->setProperty(kHeaderTextIdsProperty,
                            QVariantList{0, LineNumberHeader, LocationHeader, DescriptionHeader});

    QHeaderView* header = grdErrors_->horizontalHeader();
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionResizeMode(KindColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(LineColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(LocationColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(DescriptionColumn, QHeaderView::Stretch);
    // A little air around the short columns; the description takes the rest.
    grdErrors_->setStyleSheet(QStringLiteral("QTableWidget::item { padding: 0px 8px; }"));

    // Every edit runs the rule check; the rows follow it.
    connect(&editor_, &LadderEditor::gridChanged, this, &ErrorListWindow::refresh);
    connect(grdErrors_, &QTableWidget::cellClicked, this, [this](int row, int) { chooseRow(row); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grdErrors_);

    ApplyCaptions(this);
    setAccessibleName(windowTitle());
    grdErrors_->setAccessibleName(windowTitle());
    resize(720, 220);
    refresh();
}

void ErrorListWindow::refresh() {
    const std::vector<ErrorRow>& errors = editor_.errors();
    grdErrors_->setUpdatesEnabled(false);
    grdErrors_->setRowCount(static_cast<int>(errors.size()));
    for (int r = 0; r < static_cast<int>(errors.size()); ++r) {
        const ErrorRow& error = errors[static_cast<std::size_t>(r)];
        const QString texts[ColumnCount] = {ErrorRowKind(error), ErrorRowLine(error), ErrorRowLocation(error),
                                            error.message};
        for (int c = 0; c < ColumnCount; ++c) {
            QTableWidgetItem* item = grdErrors_->item(r, c);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                item->setFlags(Qt::ItemIsEnabled);
                grdErrors_->setItem(r, c, item);
            }
            item->setText(texts[c]);
            if (c == KindColumn) {
                item->setForeground(QColor(0xa4, 0x00, 0x00));
            }
            item->setToolTip(c == DescriptionColumn ? error.message : QString());
        }
    }
    grdErrors_->setUpdatesEnabled(true);
}

void ErrorListWindow::chooseRow(int row) {
    const std::vector<ErrorRow>& errors = editor_.errors();
    if (row < 0 || row >= static_cast<int>(errors.size())) {
        return;
    }
    const int line = errors[static_cast<std::size_t>(row)].line;
    if (line < 1 || line > kLadderLines) {
        return;  // a finding of the whole program
    }
    editor_.selectLine(line - 1);
    Q_EMIT lineChosen(line - 1);
}

void ErrorListWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    Q_EMIT closed();
}

}  // namespace bdx
