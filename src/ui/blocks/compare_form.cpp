#include "compare_form.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
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
    CompareTitle = 4068,
    CancelCaption = 8083,
    CommentLabel = 8194,
    CurrentStatusFrame = 8196,
    ComparisonFrame = 8270,
    FirstCounterLabel = 8271,
    FunctionLabel = 8272,
    SecondOperandLabel = 8273,
    AbsoluteValue = 8274,
    ConstantLabel = 8275,
    CompareLabel = 8276,
};

}  // namespace

compare_form::compare_form(LadderEditor& editor, Prompter& prompter, int compare, PcSimulationRunner* run,
                           QWidget* parent)
    : BlockDialog(editor, prompter, run, parent) {
    setBlock(Operand::P, std::clamp(compare, 0, kCompareCounters - 1));
    setObjectName(QStringLiteral("compare_form"));
    SetTextId(this, CompareTitle);
    QHBoxLayout* buttons = makeButtons("Command1", SaveCaption, "Command2", CancelCaption);

    Combo4_ = makeNumberList("Combo4", "P", kCompareCounters, this);
    Combo4_->setAccessibleName(LoadText(CompareLabel));
    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(Combo4_);
    numberRow->addStretch();

    Text1_ = Named(new QLineEdit(this), "Text1");
    auto* statusFrame = TextFrame(CurrentStatusFrame, "fraCurrentStatus", this);
    lblFirstValue_ = Named(new QLabel(statusFrame), "lblFirstValue");
    lblSecondValue_ = Named(new QLabel(statusFrame), "lblSecondValue");
    lblOutput_ = Named(new QLabel(statusFrame), "lblOutput");
    auto* statusLayout = new QVBoxLayout(statusFrame);
    for (QLabel* label : {lblFirstValue_, lblSecondValue_, lblOutput_}) {
        statusLayout->addWidget(label);
    }
    // Live values exist only during a run.
    statusFrame->setVisible(duringRun());

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(numberRow);
    layout->addWidget(buildComparison());
    layout->addWidget(makeLockedFrame(this, &optLocked_, &optNotLocked_));
    layout->addWidget(BuddyLabel(CommentLabel, "lblComment", Text1_, this));
    layout->addWidget(Text1_);
    layout->addWidget(statusFrame);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(Combo4_, &QComboBox::currentIndexChanged, this, &compare_form::Combo4_Click);
    ApplyCaptions(this);
    Form_Activate();
    compare_form::refreshLive();
}

QWidget* compare_form::buildComparison() {
    auto* frame = TextFrame(ComparisonFrame, "fraComparison", this);
    Combo1_ = Named(new QComboBox(frame), "Combo1");
    AddCounterNames(Combo1_);
    Combo3_ = Named(new QComboBox(frame), "Combo3");
    for (int function = 0; function < kCompareFunctions; ++function) {
        Combo3_->addItem(CompareFunctionSymbol(function));
    }
    Combo2_ = Named(new QComboBox(frame), "Combo2");
    Combo2_->addItem(LoadText(AbsoluteValue));
    AddCounterNames(Combo2_);
    Text2_ = DigitField("Text2", frame);

    auto* form = new QFormLayout(frame);
    form->addRow(BuddyLabel(FirstCounterLabel, "lblFirstCounter", Combo1_, frame), Combo1_);
    form->addRow(BuddyLabel(FunctionLabel, "lblFunction", Combo3_, frame), Combo3_);
    form->addRow(BuddyLabel(SecondOperandLabel, "lblSecondOperand", Combo2_, frame), Combo2_);
    form->addRow(BuddyLabel(ConstantLabel, "lblConstant", Text2_, frame), Text2_);

    for (QComboBox* list : {Combo1_, Combo3_}) {
        connect(list, &QComboBox::currentIndexChanged, this, &compare_form::markEdited);
    }
    connect(Combo2_, &QComboBox::currentIndexChanged, this, &compare_form::Combo2_Click);
    connect(Text2_, &QLineEdit::textEdited, this, [this] {
        const QString corrected = CorrectSetPointEntry(Text2_->text());
        if (corrected != Text2_->text()) {
            Text2_->setText(corrected);
        }
        markEdited();
    });
    connect(Text1_, &QLineEdit::textEdited, this, &compare_form::markEdited);
    return frame;
}

void compare_form::Form_Activate() {
    beginLoading();
    const CompareRecord record = DecodeCompare(editor_.program(), number());
    Combo1_->setCurrentIndex(record.firstCounter);
    Combo3_->setCurrentIndex(record.function);
    Combo2_->setCurrentIndex(record.constantOperand ? 0 : record.secondCounter + 1);
    Text2_->setText(FormatSetPoint(record.constant, 0));
    Combo2_Click();
    (record.locked ? optLocked_ : optNotLocked_)->setChecked(true);
    Text1_->setText(record.comment);
    endLoading();
}

void compare_form::Combo4_Click(int index) {
    if (switchBlock(Combo4_, index, SaveCompareQuestion())) {
        Form_Activate();
        refreshLive();
    }
}

// The constant is the operand only while "Abs.Value" is chosen.
void compare_form::Combo2_Click() {
    Text2_->setEnabled(Combo2_->currentIndex() == 0);
    markEdited();
}

bool compare_form::save_compare_params() {
    CompareRecord record = DecodeCompare(editor_.program(), number());
    record.locked = optLocked_->isChecked();
    record.constantOperand = Combo2_->currentIndex() <= 0;
    record.function = std::max(Combo3_->currentIndex(), 0);
    record.firstCounter = std::max(Combo1_->currentIndex(), 0);
    record.constant =
        record.constantOperand ? std::min(CounterEntryValue(Text2_->text()), kCounterMaxSetPoint) : 0;
    record.secondCounter = record.constantOperand ? 0 : Combo2_->currentIndex() - 1;
    record.comment = Text1_->text();
    const int index = number();
    const bool simulating = duringRun();
    return store([&record, index, simulating](Program& program) {
        return SaveCompare(program, index, record, simulating);
    });
}

void compare_form::refreshLive() {
    if (!run_ || !run_->running()) {
        for (QLabel* label : {lblFirstValue_, lblSecondValue_, lblOutput_}) {
            label->clear();
        }
        return;
    }
    // What the running block compares: the parameters it last took, not the fields being edited.
    const CompareRecord record = DecodeCompare(editor_.program(), number());
    const CounterEvaluation& counters = run_->simulation().blocks().counters;
    const auto counterValue = [&counters](int counter) {
        return QStringLiteral("C%1 = %2").arg(counter + 1).arg(CounterValueText(counters, counter));
    };
    lblFirstValue_->setText(counterValue(record.firstCounter));
    // The constant counts in the first counter's decimal places.
    const QString constant = FormatSetPoint(record.constant, counters.decimalPosition(record.firstCounter));
    lblSecondValue_->setText(record.constantOperand
                                 ? LoadText(AbsoluteValue) + QStringLiteral(" = ") + constant
                                 : counterValue(record.secondCounter));
    lblOutput_->setText(OutputStateText(counters.compareOutput(number())));
}

}  // namespace bdx
