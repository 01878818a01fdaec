#include "trend_dock.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <vector>

#include "ladder/program.h"
#include "pc_simulation_runner.h"
#include "shell/language_table.h"
#include "shell/prompter.h"
#include "ui/main/app_context.h"
#include "ui/widgets/captions.h"
#include "ui/widgets/trend_view.h"

namespace bdx {

namespace {

enum TextId {
    DockTitle = 8761,
    OperandsCaption = 8762,
    RecordCaption = 8763,
    ExportVcdCaption = 8764,
    ExportCsvCaption = 8765,
    OperandsTip = 8766,
    UnknownOperand = 8767,
    TooManyOperands = 8768,
    ExportFailed = 8770,
    VcdFilter = 8771,
    CsvFilter = 8772,
    ExportCaption = 8773,
    ViewTip = 8774,
    Summary = 8775,
};

}  // namespace

TrendDock::TrendDock(AppContext& context, QWidget* parent) : QDockWidget(parent), context_(context) {
    setObjectName(QStringLiteral("dockTrend"));
    setWindowTitle(LoadText(DockTitle));
    setAccessibleName(windowTitle());

    auto* content = new QWidget(this);
    content->setObjectName(QStringLiteral("frmTrend"));
    auto* caption = new QLabel(content);
    caption->setObjectName(QStringLiteral("lblTrendOperands"));
    SetTextId(caption, OperandsCaption);
    txtOperands_ = new QLineEdit(content);
    txtOperands_->setObjectName(QStringLiteral("txtTrendOperands"));
    txtOperands_->setProperty(kToolTipIdProperty, OperandsTip);
    txtOperands_->setPlaceholderText(QStringLiteral("I1 Q1 T1 T1.pv C1.pv V1.v"));
    caption->setBuddy(txtOperands_);
    cmdRecord_ = new QPushButton(content);
    cmdRecord_->setObjectName(QStringLiteral("cmdTrendRecord"));
    SetTextId(cmdRecord_, RecordCaption);
    cmdExportVcd_ = new QPushButton(content);
    cmdExportVcd_->setObjectName(QStringLiteral("cmdTrendExportVcd"));
    SetTextId(cmdExportVcd_, ExportVcdCaption);
    cmdExportCsv_ = new QPushButton(content);
    cmdExportCsv_->setObjectName(QStringLiteral("cmdTrendExportCsv"));
    SetTextId(cmdExportCsv_, ExportCsvCaption);
    lblStatus_ = new QLabel(content);
    lblStatus_->setObjectName(QStringLiteral("lblTrendStatus"));
    lblStatus_->setTextFormat(Qt::PlainText);
    view_ = new TrendView(content);
    view_->setObjectName(QStringLiteral("trendView"));
    view_->setProperty(kToolTipIdProperty, ViewTip);
    view_->setRecorder(&recorder_);

    auto* bar = new QHBoxLayout;
    bar->addWidget(caption);
    bar->addWidget(txtOperands_, 1);
    bar->addWidget(cmdRecord_);
    bar->addSpacing(12);
    bar->addWidget(cmdExportVcd_);
    bar->addWidget(cmdExportCsv_);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addLayout(bar);
    layout->addWidget(lblStatus_);
    layout->addWidget(view_, 1);
    setWidget(content);
    ApplyCaptions(content);

    connect(cmdRecord_, &QPushButton::clicked, this, [this] { setOperands(txtOperands_->text()); });
    connect(txtOperands_, &QLineEdit::returnPressed, this, [this] { setOperands(txtOperands_->text()); });
    connect(cmdExportVcd_, &QPushButton::clicked, this, [this] { exportRecording(TrendFormat::Vcd); });
    connect(cmdExportCsv_, &QPushButton::clicked, this, [this] { exportRecording(TrendFormat::Csv); });

    PcSimulationRunner& runner = context_.simulation();
    connect(&runner, &PcSimulationRunner::started, this, &TrendDock::onStarted);
    connect(&runner, &PcSimulationRunner::scanMade, this, &TrendDock::onScanMade);
    connect(&runner, &PcSimulationRunner::scanned, this, &TrendDock::onScanned);
    connect(&runner, &PcSimulationRunner::ended, this, &TrendDock::onEnded);
    // The diagram repaints at screen rate, never per scan.
    repaint_.setInterval(kRefreshMilliseconds);
    connect(&repaint_, &QTimer::timeout, view_, &TrendView::refresh);
    // A paused run changes only by a step: no repaint timer meanwhile.
    connect(&runner, &PcSimulationRunner::steeringChanged, this, [this, &runner] {
        runner.running() && !runner.paused() ? repaint_.start() : repaint_.stop();
        view_->refresh();
    });
    showSummary();
}

bool TrendDock::setOperands(const QString& text) {
    static const QRegularExpression separators(QStringLiteral("[\\s,;]+"));
    std::vector<SimOperand> operands;
    for (const QString& name : text.split(separators, Qt::SkipEmptyParts)) {
        SimOperand operand;
        // Names are written in capitals, but a field after the dot in small letters.
        const qsizetype dot = name.indexOf(u'.');
        const QString written = dot < 0 ? name.toUpper() : name.left(dot).toUpper() + name.mid(dot).toLower();
        if (!ResolveSimOperand(written, OperandUse::Read, operand).isEmpty()) {
            lblStatus_->setText(LoadText(UnknownOperand).arg(name));
            return false;
        }
        const auto same = [&operand](const SimOperand& o) { return o.name == operand.name; };
        if (std::none_of(operands.begin(), operands.end(), same)) {
            operands.push_back(operand);
        }
    }
    if (static_cast<int>(operands.size()) > TrendRecorder::kMaxTraces) {
        lblStatus_->setText(LoadText(TooManyOperands).arg(TrendRecorder::kMaxTraces));
        return false;
    }
    recorder_.setOperands(operands);
    QStringList names;
    for (const SimOperand& operand : operands) {
        names << operand.name;
    }
    txtOperands_->setText(names.join(u' '));
    showSummary();
    view_->refresh();
    return true;
}

void TrendDock::retranslate() {
    setWindowTitle(LoadText(DockTitle));
    setAccessibleName(windowTitle());
    showSummary();
}

void TrendDock::showSummary() {
    constexpr double kMegabyte = 1024.0 * 1024.0;
    lblStatus_->setText(LoadText(Summary)
                            .arg(recorder_.traces().size())
                            .arg(recorder_.window() / 6000)
                            .arg(std::ceil(static_cast<double>(recorder_.maxBytes()) / kMegabyte)));
}

void TrendDock::exportRecording(TrendFormat format) {
    const bool vcd = format == TrendFormat::Vcd;
    const QString suffix = vcd ? QStringLiteral("vcd") : QStringLiteral("csv");
    const Program& program = context_.program();
    const QString directory =
        program.ProgramFilePath.isEmpty() ? QString() : QFileInfo(program.ProgramFilePath).path();
    const QString suggested = QFileInfo(program.ProgramFileName).completeBaseName() + u'.' + suffix;
    const QString path = context_.prompter().chooseSaveFile(
        {LoadText(ExportCaption), LoadText(vcd ? VcdFilter : CsvFilter), suffix, directory, suggested});
    if (path.isEmpty()) {
        return;
    }
    const QString error = WriteTrendFile(recorder_, path, format);
    if (!error.isEmpty()) {
        context_.prompter().warn(LoadText(ExportFailed).arg(QFileInfo(path).fileName(), error));
    }
}

void TrendDock::onStarted() {
    recorder_.clear();
    view_->setCursorTime(std::nullopt);
    view_->followLatest();
    repaint_.start();
}

void TrendDock::onScanMade() {
    // Every scan, on the simulated time: at a time scale one turn runs many scans.
    PcSimulationRunner& runner = context_.simulation();
    recorder_.sample(runner.simulatedHundredths(), runner.simulation());
}

void TrendDock::onScanned() {
    if (context_.simulation().paused()) {
        view_->refresh();
    }
}

void TrendDock::onEnded() {
    repaint_.stop();
    view_->refresh();
}

}  // namespace bdx
