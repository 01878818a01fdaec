#include "timer_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "blocks/timer_record.h"
#include "editor/ladder_editor.h"
#include "set_time_group.h"
#include "shell/language_table.h"
#include "shell/prompter.h"
#include "sim/timer_live_status.h"
#include "timing_diagram.h"
#include "ui/sim/pc_simulation_runner.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    SaveCaption = 104,
    TimersTitle = 4066,
    OutputText = 4150,
    CancelCaption = 8083,
    OnTimeFrame = 8190,
    OffTimeFrame = 8191,
    ModeFrame = 8192,
    DescriptionFrame = 8193,
    CommentLabel = 8194,
    InputStatusFrame = 8195,
    CurrentStatusFrame = 8196,
    TriggerText = 8197,
    ResetText = 8198,
};

}  // namespace

timer_form::timer_form(LadderEditor& editor, Prompter& prompter, int timer, PcSimulationRunner* run,
                       QWidget* parent)
    : BlockDialog(editor, prompter, run, parent) {
    setBlock(Operand::T, std::clamp(timer, 0, kTimers - 1));
    setObjectName(QStringLiteral("timer_form"));
    SetTextId(this, TimersTitle);
    QHBoxLayout* buttons = makeButtons("Command3", SaveCaption, "Command4", CancelCaption);

    auto* columns = new QHBoxLayout;
    columns->addWidget(buildModeColumn(), 3);
    columns->addWidget(buildSettingsColumn(), 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(buttons);

    ApplyCaptions(this);
    Form_Activate();
    timer_form::refreshLive();
}

QWidget* timer_form::buildModeColumn() {
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);

    Combo1_ = makeNumberList("Combo1", "T", kTimers, column);
    Combo1_->setAccessibleName(LoadText(TimersTitle));
    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(Combo1_);
    numberRow->addStretch();
    layout->addLayout(numberRow);

    auto* modeFrame = TextFrame(ModeFrame, "fraMode", column);
    gd1_ = Named(new QTableWidget(kTimerTypes, 2, modeFrame), "gd1");
    gd1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gd1_->setSelectionBehavior(QAbstractItemView::SelectRows);
    gd1_->setSelectionMode(QAbstractItemView::SingleSelection);
    gd1_->setWordWrap(false);
    gd1_->horizontalHeader()->hide();
    gd1_->verticalHeader()->hide();
    gd1_->horizontalHeader()->setStretchLastSection(true);
    gd1_->verticalHeader()->setDefaultSectionSize(gd1_->fontMetrics().height() + 6);
    gd1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gd1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int type = 0; type < kTimerTypes; ++type) {
        auto* letter = new QTableWidgetItem(QString(QLatin1Char('A' + type)));
        letter->setTextAlignment(Qt::AlignCenter);
        gd1_->setItem(type, 0, letter);
        gd1_->setItem(type, 1, new QTableWidgetItem(TimerTypeName(type)));
    }
    gd1_->setColumnWidth(0, gd1_->fontMetrics().horizontalAdvance(QStringLiteral("MM")) + 12);
    gd1_->resizeColumnToContents(1);
    gd1_->setMinimumWidth(gd1_->columnWidth(0) + gd1_->columnWidth(1) + 2 * gd1_->frameWidth());
    gd1_->setFixedHeight(gd1_->verticalHeader()->length() + 2 * gd1_->frameWidth());
    auto* modeLayout = new QVBoxLayout(modeFrame);
    modeLayout->addWidget(gd1_);
    layout->addWidget(modeFrame);

    auto* descriptionFrame = TextFrame(DescriptionFrame, "fraDescription", column);
    txtDescription_ = Named(new QPlainTextEdit(descriptionFrame), "txtDescription");
    txtDescription_->setReadOnly(true);
    txtDescription_->setMinimumHeight(txtDescription_->fontMetrics().height() * 7);
    imgTimingDiag_ = Named(new TimingDiagram(descriptionFrame), "imgTimingDiag");
    auto* descriptionLayout = new QVBoxLayout(descriptionFrame);
    descriptionLayout->addWidget(txtDescription_, 1);
    descriptionLayout->addWidget(imgTimingDiag_);
    layout->addWidget(descriptionFrame, 1);

    connect(Combo1_, &QComboBox::currentIndexChanged, this, &timer_form::Combo1_Click);
    connect(gd1_, &QTableWidget::itemSelectionChanged, this, [this] {
        show_function_dia();
        markEdited();
    });
    return column;
}

QWidget* timer_form::buildSettingsColumn() {
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);

    const QChar decimal = LocaleDecimalSeparator();
    onTime_ = new SetTimeGroup(QStringLiteral("On"), decimal, prompter_, column);
    onTime_->setObjectName(QStringLiteral("fraOnTime"));
    SetTextId(onTime_, OnTimeFrame);
    offTime_ = new SetTimeGroup(QStringLiteral("Off"), decimal, prompter_, column);
    offTime_->setObjectName(QStringLiteral("fraOffTime"));
    SetTextId(offTime_, OffTimeFrame);
    layout->addWidget(onTime_);
    layout->addWidget(offTime_);

    layout->addWidget(makeLockedFrame(column, &optLocked_, &optNotLocked_));

    auto* commentLabel = Named(new QLabel(column), "lblComment");
    SetTextId(commentLabel, CommentLabel);
    Text2_ = Named(new QLineEdit(column), "Text2");
    commentLabel->setBuddy(Text2_);
    layout->addWidget(commentLabel);
    layout->addWidget(Text2_);

    // Live inputs and output of the timer; they come alive only while a simulation runs.
    auto* inputFrame = TextFrame(InputStatusFrame, "fraInputStatus", column);
    chkTrigger_ = Named(new QCheckBox(inputFrame), "chkTrigger");
    SetTextId(chkTrigger_, TriggerText);
    chkReset_ = Named(new QCheckBox(inputFrame), "chkReset");
    SetTextId(chkReset_, ResetText);
    auto* inputLayout = new QHBoxLayout(inputFrame);
    inputLayout->addWidget(chkTrigger_);
    inputLayout->addWidget(chkReset_);
    inputLayout->addStretch();
    // The boxes show the inputs as the program drives them; the user cannot change them there.
    inputFrame->setEnabled(duringRun());
    for (QCheckBox* box : {chkTrigger_, chkReset_}) {
        box->setAttribute(Qt::WA_TransparentForMouseEvents);
        box->setFocusPolicy(Qt::NoFocus);
    }
    layout->addWidget(inputFrame);

    auto* statusFrame = TextFrame(CurrentStatusFrame, "fraCurrentStatus", column);
    lblTrigger_ = Named(new QLabel(LoadText(TriggerText) + QLatin1Char(':'), statusFrame), "lblTrigger");
    lblReset_ = Named(new QLabel(LoadText(ResetText) + QLatin1Char(':'), statusFrame), "lblReset");
    lblOutput_ = Named(new QLabel(LoadText(OutputText) + QLatin1Char(':'), statusFrame), "lblOutput");
    auto* statusLayout = new QVBoxLayout(statusFrame);
    for (QLabel* label : {lblTrigger_, lblReset_, lblOutput_}) {
        statusLayout->addWidget(label);
    }
    layout->addWidget(statusFrame);
    layout->addStretch();

    connect(onTime_, &SetTimeGroup::edited, this, &timer_form::markEdited);
    connect(offTime_, &SetTimeGroup::edited, this, &timer_form::markEdited);
    connect(Text2_, &QLineEdit::textEdited, this, &timer_form::markEdited);
    return column;
}

void timer_form::Form_Activate() {
    beginLoading();
    const TimerRecord record = DecodeTimer(editor_.program(), number());
    selectType(record.type);
    onTime_->setTime(record.on);
    offTime_->setTime(record.off);
    (record.locked ? optLocked_ : optNotLocked_)->setChecked(true);
    Text2_->setText(record.comment);
    show_function_dia();
    endLoading();
}

int timer_form::selectedType() const {
    const QModelIndexList rows = gd1_->selectionModel()->selectedRows();
    return rows.isEmpty() ? 0 : rows.first().row();
}

void timer_form::selectType(int type) {
    gd1_->selectRow(std::clamp(type, 0, kTimerTypes - 1));
}

void timer_form::show_function_dia() {
    const int type = selectedType();
    txtDescription_->setPlainText(TimerModeDescription(type));
    imgTimingDiag_->setType(type);
    imgTimingDiag_->setAccessibleName(TimerModeTitle(type));
    const bool twoTimes = TimerHasOffTime(type);
    offTime_->setVisible(twoTimes);
    onTime_->setSetPointCaption(SetTimeCaption(type, false));
    offTime_->setSetPointCaption(SetTimeCaption(type, true));
}

void timer_form::Combo1_Click(int index) {
    if (switchBlock(Combo1_, index, SaveTimerQuestion(number()))) {
        Form_Activate();
    }
}

TimerRecord timer_form::fieldsRecord() const {
    TimerRecord record = DecodeTimer(editor_.program(), number());
    record.type = selectedType();
    record.on = onTime_->time();
    if (TimerHasOffTime(record.type)) {
        record.off = offTime_->time();
    }
    record.locked = optLocked_->isChecked();
    record.comment = Text2_->text();
    return record;
}

bool timer_form::save_timer_params() {
    const TimerRecord record = fieldsRecord();
    const int index = number();
    return store([&record, index](Program& program) -> Refusal {
        EncodeTimer(program, index, record);
        return std::nullopt;
    });
}

void timer_form::refreshLive() {
    if (!duringRun()) {
        return;
    }
    const TimerLiveStatus status = ReadTimerLiveStatus(run_->engine(), number());
    chkTrigger_->setChecked(status.trigger == InputLevel::Active);
    chkReset_->setChecked(status.reset == InputLevel::Active);
    lblTrigger_->setText(LoadText(TriggerStatusTextId(status.trigger)));
    lblReset_->setText(LoadText(ResetStatusTextId(status.reset)));
    lblOutput_->setText(LoadText(OutputStatusTextId(status.output)));
}

}  // namespace bdx
