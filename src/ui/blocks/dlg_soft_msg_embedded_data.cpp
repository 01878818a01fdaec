#include "dlg_soft_msg_embedded_data.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <array>
#include <initializer_list>

#include "block_dialog.h"
#include "blocks/device_model.h"
#include "blocks/timer_record.h"
#include "shell/language_table.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    OkCaption = 8082,
    CancelCaption = 8083,
    Title = 8461,
    SourceFrame = 8462,
    TimerOption = 8463,
    NumberFrame = 8469,
    ParameterFrame = 8470,
};

struct SourceRow {
    EmbeddedChoice choice;
    const char* option;
    int textId;
    const char* list;  // nullptr: no number to choose
};
constexpr std::array<SourceRow, 6> kSources = {{
    {EmbeddedChoice::Timer, "optTimer", TimerOption, "cmbTimerNo"},
    {EmbeddedChoice::Counter, "optCounter", TimerOption + 1, "cmbCounterNo"},
    {EmbeddedChoice::HourMeter, "optHourMeter", TimerOption + 2, "cmbHourMeterNo"},
    {EmbeddedChoice::Analog, "optAnalog", TimerOption + 3, "cmbAnalogNo"},
    {EmbeddedChoice::Date, "optDate", TimerOption + 4, nullptr},
    {EmbeddedChoice::Time, "optTime", TimerOption + 5, nullptr},
}};

struct ParameterRow {
    const char* name;
    int textId;
    int value;  // the parameter code it stands for
};
constexpr std::array<ParameterRow, 6> kParameters = {{
    {"optSP", 4047, 0},
    {"optPV", 4116, 1},
    {"optSPOn", 4134, 2},
    {"optSPOff", 4119, 0},
    {"optMT", 4319, 1},
    {"optOT", 4320, 2},
}};
enum ParameterIndex { SP, PV, SPOn, SPOff, MT, OT };

const std::array<const char*, kAnalogChannels> kAnalogEntries = {
    "V1 BASE", "V2 BASE", "V3 EXT A", "V4 EXT A", "V5 EXT B", "V6 EXT B", "V7 EXT C", "V8 EXT C",
};

QComboBox* numberedList(QWidget* parent, const char* name, const QString& prefix, int count) {
    auto* list = Named(new QComboBox(parent), name);
    for (int i = 1; i <= count; ++i) {
        list->addItem(prefix + QString::number(i));
    }
    list->setCurrentIndex(-1);
    return list;
}

}  // namespace

dlgSoftMsgEmbeddedData::dlgSoftMsgEmbeddedData(const Program& program, Prompter& prompter, QWidget* parent)
    : QDialog(parent), program_(program), prompter_(prompter) {
    setObjectName(QStringLiteral("dlgSoftMsgEmbeddedData"));
    SetTextId(this, Title);

    auto* sourceFrame = TextFrame(SourceFrame, "fraSource", this);
    auto* sourceLayout = new QGridLayout(sourceFrame);
    sources_ = new QButtonGroup(this);
    cmbTimerNo_ = numberedList(sourceFrame, "cmbTimerNo", QStringLiteral("T"), kTimers);
    cmbCounterNo_ = numberedList(sourceFrame, "cmbCounterNo", QStringLiteral("C"), kCounters);
    cmbHourMeterNo_ = numberedList(sourceFrame, "cmbHourMeterNo", QStringLiteral("H"), kHourMeters);
    cmbAnalogNo_ = Named(new QComboBox(sourceFrame), "cmbAnalogNo");
    for (const char* entry : kAnalogEntries) {
        cmbAnalogNo_->addItem(QString::fromLatin1(entry));
    }
    cmbAnalogNo_->setCurrentIndex(-1);
    const bool analog = HasAnalog(program_.ModelIndex);
    for (int row = 0; row < int(kSources.size()); ++row) {
        auto* option = Named(new QRadioButton(sourceFrame), kSources[row].option);
        SetTextId(option, kSources[row].textId);
        sources_->addButton(option, row);
        sourceLayout->addWidget(option, row, 0);
        if (QComboBox* list = numberList(kSources[row].choice)) {
            sourceLayout->addWidget(list, row, 1);
            connect(list, &QComboBox::currentIndexChanged, this, &dlgSoftMsgEmbeddedData::showParameters);
        }
        // Analog inputs exist only on models that have them.
        const bool offered = kSources[row].choice != EmbeddedChoice::Analog || analog;
        option->setVisible(offered);
    }
    cmbAnalogNo_->setVisible(analog);
    sources_->button(0)->setChecked(true);

    auto* parameterFrame = TextFrame(ParameterFrame, "fraParameter", this);
    auto* parameterLayout = new QHBoxLayout(parameterFrame);
    parameters_ = new QButtonGroup(this);
    for (int i = 0; i < int(kParameters.size()); ++i) {
        auto* option = Named(new QRadioButton(parameterFrame), kParameters[i].name);
        SetTextId(option, kParameters[i].textId);
        parameters_->addButton(option, i);
        parameterLayout->addWidget(option);
    }
    parameterLayout->addStretch();
    lblTimerType_ = Named(new QLabel(this), "lblTimerType");

    OKButton_ = Named(new QPushButton(this), "OKButton");
    SetTextId(OKButton_, OkCaption);
    OKButton_->setDefault(true);
    CancelButton_ = Named(new QPushButton(this), "CancelButton");
    SetTextId(CancelButton_, CancelCaption);
    CancelButton_->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton_);
    buttons->addWidget(CancelButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sourceFrame);
    layout->addWidget(parameterFrame);
    layout->addWidget(lblTimerType_);
    layout->addLayout(buttons);

    connect(sources_, &QButtonGroup::idClicked, this, &dlgSoftMsgEmbeddedData::sourceChanged);
    connect(parameters_, &QButtonGroup::idClicked, this, &dlgSoftMsgEmbeddedData::showParameters);
    connect(OKButton_, &QPushButton::clicked, this, &dlgSoftMsgEmbeddedData::OKButton_Click);
    connect(CancelButton_, &QPushButton::clicked, this, &QDialog::reject);

    ApplyCaptions(this);
    sourceChanged();
}

QRadioButton* dlgSoftMsgEmbeddedData::source(EmbeddedChoice choice) const {
    for (int row = 0; row < int(kSources.size()); ++row) {
        if (kSources[row].choice == choice) {
            return qobject_cast<QRadioButton*>(sources_->button(row));
        }
    }
    return nullptr;
}

QComboBox* dlgSoftMsgEmbeddedData::numberList(EmbeddedChoice choice) const {
    switch (choice) {
        case EmbeddedChoice::Timer:
            return cmbTimerNo_;
        case EmbeddedChoice::Counter:
            return cmbCounterNo_;
        case EmbeddedChoice::HourMeter:
            return cmbHourMeterNo_;
        case EmbeddedChoice::Analog:
            return cmbAnalogNo_;
        default:
            return nullptr;
    }
}

QRadioButton* dlgSoftMsgEmbeddedData::parameterButton(const char* name) const {
    return findChild<QRadioButton*>(QString::fromLatin1(name));
}

EmbeddedChoice dlgSoftMsgEmbeddedData::choice() const {
    const int row = sources_->checkedId();
    return row < 0 ? EmbeddedChoice::Timer : kSources[row].choice;
}

int dlgSoftMsgEmbeddedData::chosenParameter() const {
    const int index = parameters_->checkedId();
    return index < 0 ? kNoEmbeddedParameter : kParameters[index].value;
}

void dlgSoftMsgEmbeddedData::sourceChanged() {
    for (const SourceRow& row : kSources) {
        if (QComboBox* list = numberList(row.choice)) {
            list->setEnabled(row.choice == choice());
        }
    }
    clearParameter();
    showParameters();
}

void dlgSoftMsgEmbeddedData::clearParameter() {
    // An exclusive group keeps one button checked; letting go of it clears the choice.
    parameters_->setExclusive(false);
    for (QAbstractButton* button : parameters_->buttons()) {
        button->setChecked(false);
    }
    parameters_->setExclusive(true);
}

// The values the chosen source offers; a timer with an ON and an OFF time offers both.
void dlgSoftMsgEmbeddedData::showParameters() {
    const int timer = cmbTimerNo_->currentIndex();
    const int type = timer >= 0 ? program_.TimerParams[timer][TimerField::Type] : 0;
    const auto bits = [](std::initializer_list<int> indices) {
        int mask = 0;
        for (const int i : indices) {
            mask |= 1 << i;
        }
        return mask;
    };
    int shown = 0;
    switch (choice()) {
        case EmbeddedChoice::Timer:
            shown = TimerHasOffTime(type) ? bits({SPOn, SPOff, PV}) : bits({SP, PV});
            break;
        case EmbeddedChoice::Counter:
            shown = bits({SP, PV});
            break;
        case EmbeddedChoice::HourMeter:
            shown = bits({SP, MT, OT});
            break;
        default:
            break;
    }
    for (int i = 0; i < int(kParameters.size()); ++i) {
        QAbstractButton* button = parameters_->button(i);
        const bool visible = (shown >> i) & 1;
        if (!visible && button->isChecked()) {
            clearParameter();
        }
        button->setVisible(visible);
    }
    const bool timerChosen = choice() == EmbeddedChoice::Timer && timer >= 0;
    lblTimerType_->setText(timerChosen ? EmbeddedTimerWords(type, chosenParameter()).trimmed() : QString());
}

void dlgSoftMsgEmbeddedData::OKButton_Click() {
    const QComboBox* list = numberList(choice());
    const EmbeddedDataRequest request{choice(), list ? list->currentIndex() + 1 : 0, chosenParameter()};
    const std::optional<QString> token = BuildEmbeddedDataToken(request, prompter_);
    if (!token) {
        return;
    }
    token_ = *token;
    clearParameter();
    accept();
}

}  // namespace bdx
