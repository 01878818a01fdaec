#include "run_parameters.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "editor/ladder_editor.h"
#include "pc_simulation_runner.h"
#include "shell/language_table.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

constexpr int kWindowTitle = 8061;  // "Parameters"

// Object names of the grids, in the tabs' order.
constexpr std::array<const char*, kMonitorTabs> kGridNames = {
    "grdTimers", "grdCounters", "grdAnalog", "grdCompare", "grdTimeSwitches", "grdHourMeters"};

}  // namespace

run_parameters::run_parameters(LadderEditor& editor, PcSimulationRunner& runner, QWidget* parent)
    : QWidget(parent, Qt::Tool),
      editor_(editor),
      runner_(runner),
      monitor_(editor.program(), runner.simulation()) {
    setObjectName(QStringLiteral("run_parameters"));
    SetTextId(this, kWindowTitle);
    setAttribute(Qt::WA_DeleteOnClose);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabParameters"));
    QVariantList tabIds;
    for (MonitorTab tab : kMonitorTabOrder) {
        auto* grid = new QTableWidget(tabs_);
        grid->setObjectName(QString::fromLatin1(kGridNames[static_cast<std::size_t>(tab)]));
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grid->setSelectionMode(QAbstractItemView::SingleSelection);
        grid->setAlternatingRowColors(true);
        grid->verticalHeader()->hide();
        grid->horizontalHeader()->setStretchLastSection(true);
        grid->setWordWrap(false);
        connect(grid, &QTableWidget::cellClicked, this, [this, tab](int row) { rowClicked(tab, row); });
        grid->installEventFilter(this);
        grids_[static_cast<std::size_t>(tab)] = grid;
        tabs_->addTab(grid, QString());
        tabIds << MonitorTabTextId(tab);
    }
    tabs_->setProperty(kTabTextIdsProperty, tabIds);
    // A tab that comes into view shows the run as it stands now, not as it was when last seen.
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { refresh(); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(tabs_);

    connect(&runner_, &PcSimulationRunner::scanned, this, &run_parameters::refresh);
    connect(&runner_, &PcSimulationRunner::ended, this, &QWidget::close);
    // A block dialog stored new parameters.
    connect(&editor_, &LadderEditor::gridChanged, this, &run_parameters::reload);

    reload();
    ApplyCaptions(this);
    fitWidth();
}

void run_parameters::fitWidth() {
    // Wide enough for every tab caption and every grid's columns, as far as the screen allows.
    int wanted = tabs_->tabBar()->sizeHint().width();
    for (const QTableWidget* grid : grids_) {
        int columns = 2 * grid->frameWidth() + grid->verticalScrollBar()->sizeHint().width();
        for (int c = 0; c < grid->columnCount(); ++c) {
            columns += grid->columnWidth(c);
        }
        wanted = std::max(wanted, columns);
    }
    const QMargins margins = layout()->contentsMargins();
    int width = wanted + margins.left() + margins.right() + 8;
    if (const QScreen* screen = this->screen()) {
        width = std::min(width, screen->availableGeometry().width() * 9 / 10);
    }
    resize(width, 300);
}

void run_parameters::reload() {
    for (MonitorTab tab : kMonitorTabOrder) {
        fill(tab);
    }
}

void run_parameters::fill(MonitorTab tab) {
    QTableWidget* grid = this->grid(tab);
    std::vector<MonitorRow>& rows = rows_[static_cast<std::size_t>(tab)];
    rows = monitor_.rows(tab);
    const std::vector<int> ids = monitor_.headerTextIds(tab);
    QVariantList headerIds;
    for (int id : ids) {
        headerIds << id;
    }
    grid->setProperty(kHeaderTextIdsProperty, headerIds);
    grid->setColumnCount(int(ids.size()));
    grid->setRowCount(int(rows.size()));
    for (int c = 0; c < int(ids.size()); ++c) {
        if (grid->horizontalHeaderItem(c) == nullptr) {
            grid->setHorizontalHeaderItem(c, new QTableWidgetItem(LoadText(ids[std::size_t(c)])));
        }
    }
    for (int r = 0; r < int(rows.size()); ++r) {
        const QStringList& cells = rows[std::size_t(r)].cells;
        for (int c = 0; c < cells.size(); ++c) {
            QTableWidgetItem* item = grid->item(r, c);
            if (item == nullptr) {
                grid->setItem(r, c, new QTableWidgetItem(cells[c]));
            } else {
                item->setText(cells[c]);
            }
        }
    }
    grid->resizeColumnsToContents();
}

void run_parameters::refresh() {
    if (!isVisible() || !runner_.running()) {
        return;
    }
    refreshTab(kMonitorTabOrder[static_cast<std::size_t>(std::max(tabs_->currentIndex(), 0))]);
}

void run_parameters::refreshTab(MonitorTab tab) {
    QTableWidget* grid = this->grid(tab);
    std::vector<MonitorRow>& rows = rows_[static_cast<std::size_t>(tab)];
    monitor_.refresh(tab, rows);
    for (int r = 0; r < int(rows.size()) && r < grid->rowCount(); ++r) {
        const QStringList& cells = rows[std::size_t(r)].cells;
        for (int c = 0; c < cells.size() && c < grid->columnCount(); ++c) {
            QTableWidgetItem* item = grid->item(r, c);
            if (item != nullptr && item->text() != cells[c]) {
                item->setText(cells[c]);
            }
        }
    }
}

void run_parameters::rowClicked(MonitorTab tab, int row) {
    const QTableWidgetItem* name = grid(tab)->item(row, 0);
    if (name == nullptr) {
        return;
    }
    // The block comes from the row's name cell, as the user reads it.
    if (const std::optional<MonitorBlock> block = MonitorBlockOfName(name->text())) {
        Q_EMIT blockChosen(block->kind, block->number);
    }
}

bool run_parameters::eventFilter(QObject* watched, QEvent* event) {
    // Enter on a row does what a click does, for the keyboard.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        for (MonitorTab tab : kMonitorTabOrder) {
            if (watched == grid(tab) && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
                rowClicked(tab, grid(tab)->currentRow());
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void run_parameters::closeEvent(QCloseEvent* event) {
    // Once closed it follows nothing more, and a second close (the end of the run) finds it quiet.
    if (!disconnect(&runner_, nullptr, this, nullptr)) {
        QWidget::closeEvent(event);
        return;
    }
    disconnect(&editor_, nullptr, this, nullptr);
    // Parameters stored from the monitor's dialogs are checked like any other edit.
    editor_.runRuleCheck();
    QWidget::closeEvent(event);
    Q_EMIT closed();
}

}  // namespace bdx
