#include "counter_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "blocks/counter_record.h"
#include "counter_widgets.h"
#include "editor/ladder_editor.h"
#include "shell/language_table.h"
#include "sim/counter_status.h"
#include "ui/sim/pc_simulation_runner.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    SaveCaption = 104,
    CountersTitle = 4067,
    CancelCaption = 8083,
    CommentLabel = 8194,
    InputStatusFrame = 8195,
    CurrentStatusFrame = 8196,
    ResetText = 8198,
    SetPointFrame = 8260,
    ScalingFrame = 8261,
    DecimalLabel = 8262,
    PulsesLabel = 8263,
    UnitsLabel = 8264,
    RetentiveCaption = 8265,
    CountText = 8266,
    DirectionText = 8267,
    CounterLabel = 8268,
    CurrentValueText = 8269,
};

}  // namespace

counter_form::counter_form(LadderEditor& editor, Prompter& prompter, int counter, PcSimulationRunner* run,
                           QWidget* parent)
    : BlockDialog(editor, prompter, run, parent) {
    setBlock(Operand::C, std::clamp(counter, 0, kCounters - 1));
    setObjectName(QStringLiteral("counter_form"));
    SetTextId(this, CountersTitle);
    QHBoxLayout* buttons = makeButtons("Command2", SaveCaption, "Command1", CancelCaption, true);

    auto* columns = new QHBoxLayout;
    columns->addWidget(buildSettings());
    columns->addWidget(buildStatus());
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(buttons);

    ApplyCaptions(this);
    Form_Activate();
    counter_form::refreshLive();
}

QWidget* counter_form::buildSettings() {
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);

    Combo1_ = makeNumberList("Combo1", "C", kCounters, column);
    Combo1_->setAccessibleName(LoadText(CounterLabel));
    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(Combo1_);
    numberRow->addStretch();
    layout->addLayout(numberRow);

    auto* setPointFrame = TextFrame(SetPointFrame, "fraSetPoint", column);
    Text1_ = DigitField("Text1", setPointFrame);
    Text1_->setAccessibleName(WithoutAccelerators(LoadText(SetPointFrame)));
    txtSPFlotVal_ = Named(new QLineEdit(setPointFrame), "txtSPFlotVal");
    txtSPFlotVal_->setReadOnly(true);
    txtSPFlotVal_->setFocusPolicy(Qt::NoFocus);
    // A display, not an entry: it takes the window's colour.
    QPalette palette = txtSPFlotVal_->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    txtSPFlotVal_->setPalette(palette);
    txtSPFlotVal_->setMaximumWidth(Text1_->maximumWidth());
    auto* setPointLayout = new QHBoxLayout(setPointFrame);
    setPointLayout->addWidget(Text1_);
    setPointLayout->addWidget(txtSPFlotVal_);
    setPointLayout->addStretch();
    layout->addWidget(setPointFrame);

    auto* scalingFrame = TextFrame(ScalingFrame, "fraScaling", column);
    cboDecimalPos_ = Named(new QComboBox(scalingFrame), "cboDecimalPos");
    for (int position = 0; position <= kCounterMaxDecimalPosition; ++position) {
        cboDecimalPos_->addItem(FormatSetPoint(0, position));
    }
    txtNumOfPulse_ = DigitField("txtNumOfPulse", scalingFrame);
    txtDesireUnit_ = DigitField("txtDesireUnit", scalingFrame);
    auto* scalingLayout = new QFormLayout(scalingFrame);
    scalingLayout->addRow(BuddyLabel(DecimalLabel, "lblDecimalPos", cboDecimalPos_, scalingFrame),
                          cboDecimalPos_);
    scalingLayout->addRow(BuddyLabel(PulsesLabel, "lblNumOfPulse", txtNumOfPulse_, scalingFrame),
                          txtNumOfPulse_);
    scalingLayout->addRow(BuddyLabel(UnitsLabel, "lblDesireUnit", txtDesireUnit_, scalingFrame),
                          txtDesireUnit_);
    layout->addWidget(scalingFrame);

    chkRetentive_ = Named(new QCheckBox(column), "chkRetentive");
    SetTextId(chkRetentive_, RetentiveCaption);
    layout->addWidget(chkRetentive_);
    layout->addWidget(makeLockedFrame(column, &optLocked_, &optNotLocked_));

    Text2_ = Named(new QLineEdit(column), "Text2");
    layout->addWidget(BuddyLabel(CommentLabel, "lblComment", Text2_, column));
    layout->addWidget(Text2_);
    layout->addStretch();

    connect(Combo1_, &QComboBox::currentIndexChanged, this, &counter_form::Combo1_Click);
    connect(Text1_, &QLineEdit::textEdited, this, &counter_form::Text1_Change);
    connect(cboDecimalPos_, &QComboBox::currentIndexChanged, this, [this] {
        showSetPoint();
        markEdited();
    });
    for (QLineEdit* field : {txtNumOfPulse_, txtDesireUnit_, Text2_}) {
        connect(field, &QLineEdit::textEdited, this, &counter_form::markEdited);
    }
    connect(chkRetentive_, &QCheckBox::toggled, this, &counter_form::markEdited);
    return column;
}

// The counter's inputs, output and value; they come alive only while a simulation runs.
QWidget* counter_form::buildStatus() {
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* inputFrame = TextFrame(InputStatusFrame, "fraInputStatus", column);
    chkCount_ = Named(new QCheckBox(inputFrame), "chkCount");
    SetTextId(chkCount_, CountText);
    chkReset_ = Named(new QCheckBox(inputFrame), "chkReset");
    SetTextId(chkReset_, ResetText);
    chkDirection_ = Named(new QCheckBox(inputFrame), "chkDirection");
    SetTextId(chkDirection_, DirectionText);
    auto* inputLayout = new QVBoxLayout(inputFrame);
    for (QCheckBox* box : {chkCount_, chkReset_, chkDirection_}) {
        inputLayout->addWidget(box);
    }
    inputFrame->setEnabled(false);
    layout->addWidget(inputFrame);

    auto* statusFrame = TextFrame(CurrentStatusFrame, "fraCurrentStatus", column);
    lblCount_ = Named(new QLabel(statusFrame), "lblCount");
    lblReset_ = Named(new QLabel(statusFrame), "lblReset");
    lblDirection_ = Named(new QLabel(statusFrame), "lblDirection");
    lblOutput_ = Named(new QLabel(statusFrame), "lblOutput");
    lblCurrentValue_ = Named(new QLabel(statusFrame), "lblCurrentValue");
    auto* statusLayout = new QVBoxLayout(statusFrame);
    for (QLabel* label : {lblCount_, lblReset_, lblDirection_, lblOutput_, lblCurrentValue_}) {
        statusLayout->addWidget(label);
    }
    // Live values exist only during a run.
    statusFrame->setVisible(duringRun());
    layout->addWidget(statusFrame);
    layout->addStretch();
    return column;
}

void counter_form::Form_Activate() {
    beginLoading();
    const CounterRecord record = DecodeCounter(editor_.program(), number());
    Text1_->setText(FormatSetPoint(record.setPoint, 0));
    cboDecimalPos_->setCurrentIndex(record.decimalPosition);
    txtNumOfPulse_->setText(FormatSetPoint(record.pulses, 0));
    txtDesireUnit_->setText(FormatSetPoint(record.displayUnits, 0));
    chkRetentive_->setChecked(record.retentive);
    (record.locked ? optLocked_ : optNotLocked_)->setChecked(true);
    Text2_->setText(record.comment);
    showSetPoint();
    endLoading();
}

void counter_form::Combo1_Click(int index) {
    if (switchBlock(Combo1_, index, SaveCounterQuestion(number()))) {
        Form_Activate();
        refreshLive();
    }
}

void counter_form::Text1_Change() {
    const QString corrected = CorrectSetPointEntry(Text1_->text());
    if (corrected != Text1_->text()) {
        Text1_->setText(corrected);
    }
    showSetPoint();
    markEdited();
}

void counter_form::showSetPoint() {
    txtSPFlotVal_->setText(FormatSetPoint(CounterEntryValue(Text1_->text()), cboDecimalPos_->currentIndex()));
}

void counter_form::save_counter_preset(CounterRecord& record) const {
    record.setPoint = std::min(CounterEntryValue(Text1_->text()), kCounterMaxSetPoint);
}

void counter_form::save_counter_NumPulse(CounterRecord& record) const {
    record.pulses = CounterEntryValue(txtNumOfPulse_->text());
}

void counter_form::save_counter_DisplyUnit(CounterRecord& record) const {
    record.displayUnits = CounterEntryValue(txtDesireUnit_->text());
}

bool counter_form::save_counter_params() {
    CounterRecord record = DecodeCounter(editor_.program(), number());
    record.decimalPosition = std::max(cboDecimalPos_->currentIndex(), 0);
    record.retentive = chkRetentive_->isChecked();
    record.locked = optLocked_->isChecked();
    record.comment = Text2_->text();
    save_counter_preset(record);
    save_counter_NumPulse(record);
    save_counter_DisplyUnit(record);
    const int index = number();
    const bool simulating = duringRun();
    const bool stored = store([&record, index, simulating](Program& program) {
        return SaveCounter(program, index, record, simulating);
    });
    if (stored) {
        // The save pads the numbers and holds the scaling pair to its limit; the fields show
        // what was kept.
        beginLoading();
        Text1_->setText(FormatSetPoint(record.setPoint, 0));
        txtNumOfPulse_->setText(FormatSetPoint(record.pulses, 0));
        txtDesireUnit_->setText(FormatSetPoint(record.displayUnits, 0));
        endLoading();
    }
    return stored;
}

void counter_form::refreshLive() {
    if (!run_ || !run_->running()) {
        for (QLabel* label : {lblCount_, lblReset_, lblDirection_, lblOutput_, lblCurrentValue_}) {
            label->clear();
        }
        return;
    }
    PcSimulation& simulation = run_->simulation();
    const CounterLiveState live = CounterLive(simulation.engine(), simulation.blocks().counters, number());
    lblCount_->setText(InputStateText(CounterInput::Count, live.count));
    lblReset_->setText(InputStateText(CounterInput::Reset, live.reset));
    lblDirection_->setText(InputStateText(CounterInput::Direction, live.direction));
    lblOutput_->setText(OutputStateText(live.output));
    lblCurrentValue_->setText(LoadText(CurrentValueText) + QStringLiteral(": ") + live.value);
    chkCount_->setChecked(live.count == InputState::Active);
    chkReset_->setChecked(live.reset == InputState::Active);
    chkDirection_->setChecked(live.direction == InputState::Active);
}

}  // namespace bdx
