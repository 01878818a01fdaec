#include "frm_analog_scaling.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "block_dialog.h"
#include "editor/ladder_editor.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    ScalingTitle = 4322,
    OkCaption = 8082,
    CancelCaption = 8083,
    FirstModuleTab = 8091,  // "Base", "Extension A", "Extension B", "Extension C"
    MinimumLabel = 8402,
    MaximumLabel = 8403,
    DecimalPointLabel = 8404,
};

constexpr int kModules = 4;
constexpr int kChannelsPerModule = kAnalogChannels / kModules;
// The text a field returns to after a refused entry.
constexpr const char* kAcceptedText = "acceptedText";

QLabel* label(int textId, QWidget* buddy, QWidget* parent) {
    auto* l = new QLabel(parent);
    SetTextId(l, textId);
    l->setBuddy(buddy);
    return l;
}

}  // namespace

frmAnalogScaling::frmAnalogScaling(LadderEditor& editor, Prompter& prompter, QWidget* parent)
    : QDialog(parent), editor_(editor), prompter_(prompter) {
    setObjectName(QStringLiteral("frmAnalogScaling"));
    SetTextId(this, ScalingTitle);
    setModal(true);

    tabModule_ = Named(new QTabWidget(this), "tabModule");
    QVariantList tabIds;
    for (int module = 0; module < kModules; ++module) {
        tabModule_->addTab(buildModulePage(module), QString());
        tabIds << FirstModuleTab + module;
    }
    tabModule_->setProperty(kTabTextIdsProperty, tabIds);

    btnOK_ = Named(new QPushButton(this), "btnOK");
    SetTextId(btnOK_, OkCaption);
    btnOK_->setDefault(true);
    Command2_ = Named(new QPushButton(this), "Command2");
    SetTextId(Command2_, CancelCaption);
    Command2_->setAutoDefault(false);
    connect(btnOK_, &QPushButton::clicked, this, &frmAnalogScaling::btnOK_Click);
    connect(Command2_, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK_);
    buttons->addWidget(Command2_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabModule_);
    layout->addLayout(buttons);

    const Program& program = editor_.program();
    for (int channel = 0; channel < kAnalogChannels; ++channel) {
        const AnalogScalingRecord record = ReadAnalogScaling(program, channel);
        const ChannelFields& fields = channels_[channel];
        for (const auto& [field, value] :
             {std::pair{fields.minimum, record.minimum}, std::pair{fields.maximum, record.maximum}}) {
            field->setText(QString::number(value));
            field->setProperty(kAcceptedText, field->text());
        }
        fields.decimalPoint->setCurrentIndex(std::clamp(record.decimalPoint, 0, kAnalogDecimalPositions - 1));
    }
    ApplyCaptions(this);
}

QWidget* frmAnalogScaling::buildModulePage(int module) {
    auto* page = new QWidget(tabModule_);
    auto* layout = new QHBoxLayout(page);
    for (int i = 0; i < kChannelsPerModule; ++i) {
        layout->addWidget(buildChannel(module * kChannelsPerModule + i, page));
    }
    return page;
}

QWidget* frmAnalogScaling::buildChannel(int channel, QWidget* parent) {
    auto* frame = new QGroupBox(AnalogChannelName(channel), parent);
    frame->setObjectName(QStringLiteral("fraChannel%1").arg(channel + 1));
    ChannelFields& fields = channels_[channel];
    const QString suffix = QString::number(channel + 1);
    fields.minimum = valueField(QStringLiteral("txtMin") + suffix, QStringLiteral("UpDown1_") + suffix,
                                fields.minSteps, frame);
    fields.maximum = valueField(QStringLiteral("txtMax") + suffix, QStringLiteral("UpDown2_") + suffix,
                                fields.maxSteps, frame);
    fields.decimalPoint = new QComboBox(frame);
    fields.decimalPoint->setObjectName(QStringLiteral("cboDecimalPoint") + suffix);
    fields.decimalPoint->addItems(AnalogDecimalListTexts());

    auto* grid = new QGridLayout(frame);
    const auto addRow = [&](int row, int textId, QLineEdit* field, const std::array<QToolButton*, 2>& steps) {
        grid->addWidget(label(textId, field, frame), row, 0);
        grid->addWidget(field, row, 1);
        auto* stepColumn = new QVBoxLayout;
        stepColumn->setSpacing(0);
        stepColumn->addWidget(steps[0]);
        stepColumn->addWidget(steps[1]);
        grid->addLayout(stepColumn, row, 2);
    };
    addRow(0, MinimumLabel, fields.minimum, fields.minSteps);
    addRow(1, MaximumLabel, fields.maximum, fields.maxSteps);
    grid->addWidget(label(DecimalPointLabel, fields.decimalPoint, frame), 2, 0);
    grid->addWidget(fields.decimalPoint, 2, 1, 1, 2);
    return frame;
}

QLineEdit* frmAnalogScaling::valueField(const QString& name, const QString& stepName,
                                        std::array<QToolButton*, 2>& steps, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setAlignment(Qt::AlignRight);
    field->setMaxLength(6);  // "-32768"
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("-000000")) + 16);
    connect(field, &QLineEdit::textEdited, this,
            [this, field](const QString& typed) { valueEdited(field, typed); });
    for (int i = 0; i < 2; ++i) {
        auto* button = new QToolButton(parent);
        button->setObjectName(stepName + (i == 0 ? QStringLiteral("Up") : QStringLiteral("Down")));
        button->setArrowType(i == 0 ? Qt::UpArrow : Qt::DownArrow);
        button->setAutoRepeat(true);
        button->setFixedHeight(field->sizeHint().height() / 2);
        // The field takes the keyboard; the buttons are for the mouse.
        button->setFocusPolicy(Qt::NoFocus);
        const int by = i == 0 ? 1 : -1;
        connect(button, &QToolButton::clicked, this, [this, field, by] { step(field, by); });
        steps[i] = button;
    }
    return field;
}

void frmAnalogScaling::valueEdited(QLineEdit* field, const QString& typed) {
    if (const Refusal refusal = CheckAnalogScalingEntry(typed)) {
        prompter_.show(*refusal);
        field->setText(field->property(kAcceptedText).toString());
        return;
    }
    field->setProperty(kAcceptedText, typed);
}

void frmAnalogScaling::step(QLineEdit* field, int by) {
    const int value = ParseAnalogValue(field->text()).value_or(0);
    field->setText(QString::number(std::clamp(value + by, kLowestAnalogValue, kHighestAnalogValue)));
    field->setProperty(kAcceptedText, field->text());
}

void frmAnalogScaling::btnOK_Click() {
    std::array<AnalogScalingEntry, kAnalogChannels> entries;
    for (int channel = 0; channel < kAnalogChannels; ++channel) {
        const ChannelFields& fields = channels_[channel];
        entries[channel] = {fields.minimum->text(), fields.maximum->text(),
                            fields.decimalPoint->currentIndex()};
    }
    if (editor_.applySave([&entries](Program& program) { return SaveAnalogScaling(program, entries); },
                          EditScope::Parameters)) {
        accept();
    }
}

}  // namespace bdx
