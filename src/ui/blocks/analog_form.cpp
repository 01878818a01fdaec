#include "analog_form.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "blocks/counter_record.h"
#include "editor/ladder_editor.h"
#include "shell/language_table.h"
#include "sim/analog_evaluation.h"
#include "ui/sim/pc_simulation_runner.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    SaveCaption = 104,
    OutputActive = 4168,
    OutputNotActive = 4169,
    CancelCaption = 8083,
    CommentLabel = 8194,
    CurrentStatusFrame = 8196,
    AnalogTitle = 8394,
    BlockLabel = 8395,
    InputLabel = 8396,
    CompareWithLabel = 8397,
    FunctionLabel = 8398,
    ReferenceLabel = 8399,
    DecimalLabel = 8400,
    HysteresisLabel = 8401,
};

// The longest reference a user needs: a sign and six digits, one more than the range so that
// an over-long entry reaches the clamp instead of stopping at the field's end.
constexpr int kReferenceLength = 7;

QLabel* buddyLabel(int textId, const char* name, QWidget* buddy, QWidget* parent) {
    auto* label = Named(new QLabel(parent), name);
    SetTextId(label, textId);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

analog_form::analog_form(LadderEditor& editor, Prompter& prompter, int block, PcSimulationRunner* run,
                         QWidget* parent)
    : BlockDialog(editor, prompter, run, parent) {
    setBlock(Operand::A, std::clamp(block, 0, kAnalogBlocks - 1));
    setObjectName(QStringLiteral("analog_form"));
    SetTextId(this, AnalogTitle);
    QHBoxLayout* buttons = makeButtons("Command2", SaveCaption, "Command1", CancelCaption, true);

    Combo4_ = makeNumberList("Combo4", "A", kAnalogBlocks, this);
    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(buddyLabel(BlockLabel, "lblBlock", Combo4_, this));
    numberRow->addWidget(Combo4_);
    numberRow->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(numberRow);
    layout->addWidget(buildCompareFrame());
    layout->addWidget(makeLockedFrame(this, &optLocked_, &optNotLocked_));
    Text20_ = Named(new QLineEdit(this), "Text20");
    layout->addWidget(buddyLabel(CommentLabel, "lblComment", Text20_, this));
    layout->addWidget(Text20_);
    layout->addWidget(buildStatusFrame());
    layout->addLayout(buttons);

    connect(Combo4_, &QComboBox::currentIndexChanged, this, &analog_form::Combo4_Click);
    connect(Text20_, &QLineEdit::textEdited, this, &analog_form::markEdited);
    ApplyCaptions(this);
    Form_Activate();
}

QGroupBox* analog_form::buildCompareFrame() {
    auto* frame = Named(new QGroupBox(this), "fraCompare");
    Combo1_ = Named(new QComboBox(frame), "Combo1");
    Combo1_->addItems(AnalogInputListTexts(false));
    Combo3_ = Named(new QComboBox(frame), "Combo3");
    for (int f = 0; f < kCompareFunctions; ++f) {
        Combo3_->addItem(CompareFunctionSymbol(f));
    }
    Combo2_ = Named(new QComboBox(frame), "Combo2");
    Combo2_->addItems(AnalogInputListTexts(true));

    Text1_ = Named(new QLineEdit(frame), "Text1");
    Text1_->setAlignment(Qt::AlignRight);
    Text1_->setMaxLength(kReferenceLength);
    Text1_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[+-]?\\d*")), Text1_));
    cboDecimalPos_ = Named(new QComboBox(frame), "cboDecimalPos");
    cboDecimalPos_->addItems(AnalogDecimalListTexts());
    lblVref_ = Named(new QLabel(frame), "lblVref");
    lblHysteresis_ = Named(new QLabel(frame), "lblHysteresis");

    auto* grid = new QGridLayout(frame);
    grid->addWidget(buddyLabel(InputLabel, "lblInput", Combo1_, frame), 0, 0);
    grid->addWidget(Combo1_, 0, 1);
    grid->addWidget(buddyLabel(FunctionLabel, "lblFunction", Combo3_, frame), 1, 0);
    grid->addWidget(Combo3_, 1, 1);
    grid->addWidget(buddyLabel(CompareWithLabel, "lblCompareWith", Combo2_, frame), 2, 0);
    grid->addWidget(Combo2_, 2, 1);
    grid->addWidget(buddyLabel(ReferenceLabel, "lblReference", Text1_, frame), 3, 0);
    grid->addWidget(Text1_, 3, 1);
    grid->addWidget(buddyLabel(DecimalLabel, "lblDecimalPos", cboDecimalPos_, frame), 4, 0);
    grid->addWidget(cboDecimalPos_, 4, 1);
    grid->addWidget(lblVref_, 5, 0, 1, 2);
    grid->addWidget(lblHysteresis_, 6, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    for (QComboBox* combo : {Combo1_, Combo2_, Combo3_, cboDecimalPos_}) {
        connect(combo, &QComboBox::currentIndexChanged, this, [this] {
            showOperands();
            markEdited();
        });
    }
    connect(Text1_, &QLineEdit::textEdited, this, &analog_form::Text1_Change);
    return frame;
}

QGroupBox* analog_form::buildStatusFrame() {
    fraCurrentStatus_ = TextFrame(CurrentStatusFrame, "fraCurrentStatus", this);
    lblValue1_ = Named(new QLabel(fraCurrentStatus_), "lblValue1");
    lblValue2_ = Named(new QLabel(fraCurrentStatus_), "lblValue2");
    lblOutput_ = Named(new QLabel(fraCurrentStatus_), "lblOutput");
    auto* layout = new QVBoxLayout(fraCurrentStatus_);
    for (QLabel* label : {lblValue1_, lblValue2_, lblOutput_}) {
        layout->addWidget(label);
    }
    fraCurrentStatus_->setVisible(duringRun());
    return fraCurrentStatus_;
}

void analog_form::Form_Activate() {
    beginLoading();
    const AnalogRecord record = ReadAnalog(editor_.program(), number());
    Combo1_->setCurrentIndex(record.firstInput);
    Combo2_->setCurrentIndex(record.secondOperand);
    Combo3_->setCurrentIndex(std::clamp(record.function, 0, kCompareFunctions - 1));
    Text1_->setText(QString::number(record.reference));
    cboDecimalPos_->setCurrentIndex(std::clamp(record.decimalPosition, 0, kAnalogDecimalPositions - 1));
    (record.locked ? optLocked_ : optNotLocked_)->setChecked(true);
    Text20_->setText(editor_.program().comment(Operand::A, number()));
    showOperands();
    endLoading();
    analog_form::refreshLive();
}

void analog_form::showOperands() {
    const bool vref = Combo2_->currentIndex() == kVref;
    Text1_->setEnabled(vref);
    cboDecimalPos_->setEnabled(vref);
    lblVref_->setEnabled(vref);
    const int reference = ParseAnalogValue(Text1_->text()).value_or(0);
    lblVref_->setText(QStringLiteral("Vref = ") + AnalogValueText(reference, cboDecimalPos_->currentIndex()));
    const int first = std::max(Combo1_->currentIndex(), 0);
    const AnalogScalingRecord scaling = ReadAnalogScaling(editor_.program(), first);
    lblHysteresis_->setText(
        LoadText(HysteresisLabel) + QLatin1Char(' ') +
        QString::number(AnalogEvaluation::SwitchOffBand(scaling), 'f',
                        std::clamp(scaling.decimalPoint, 0, kAnalogDecimalPositions) + 1));
}

void analog_form::Text1_Change(const QString& typed) {
    const QString clamped = ClampReferenceEntry(typed);
    if (clamped != typed) {
        Text1_->setText(clamped);
    }
    showOperands();
    markEdited();
}

void analog_form::Combo4_Click(int index) {
    if (switchBlock(Combo4_, index, SaveAnalogQuestion(number() + 1))) {
        Form_Activate();
    }
}

AnalogRecord analog_form::fieldsRecord() const {
    AnalogRecord record;
    record.firstInput = std::max(Combo1_->currentIndex(), 0);
    record.secondOperand = std::max(Combo2_->currentIndex(), 0);
    record.function = std::max(Combo3_->currentIndex(), 0);
    record.decimalPosition = std::max(cboDecimalPos_->currentIndex(), 0);
    record.locked = optLocked_->isChecked();
    return record;
}

bool analog_form::save_analog_params() {
    // The checks may ask mid-way, so they run on a copy first; the store then takes the block.
    Program checked = editor_.program();
    const int n = number();
    if (!SaveAnalog(checked, n, fieldsRecord(), Text1_->text(), Text20_->text(), duringRun(), prompter_)) {
        return false;
    }
    return store([&checked, n](Program& program) -> Refusal {
        program.AnalogParams[n] = checked.AnalogParams[n];
        program.comment(Operand::A, n) = checked.comment(Operand::A, n);
        program.ProgramModified = true;
        return std::nullopt;
    });
}

void analog_form::refreshLive() {
    if (run_ == nullptr || !run_->running()) {
        return;
    }
    // The running block works from the stored record, so the display does too.
    const AnalogRecord record = ReadAnalog(editor_.program(), number());
    const AnalogEvaluation& analog = run_->simulation().blocks().analog;
    const auto valueText = [&analog](int channel) {
        return AnalogChannelName(channel) + QStringLiteral(" = ") +
               AnalogValueText(analog.roundedCount(channel), analog.decimalPlaces(channel));
    };
    lblValue1_->setText(valueText(record.firstInput));
    lblValue2_->setText(record.secondOperand == kVref
                            ? QStringLiteral("Vref = ") +
                                  AnalogValueText(record.reference, record.decimalPosition)
                            : valueText(record.secondOperand));
    lblOutput_->setText(LoadText(analog.output(number()) ? OutputActive : OutputNotActive));
}

}  // namespace bdx
