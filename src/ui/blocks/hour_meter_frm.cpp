#include "hour_meter_frm.h"

#include <QCheckBox>
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
#include <algorithm>

#include "check/compiled_network.h"
#include "editor/ladder_editor.h"
#include "shell/language_table.h"
#include "ui/sim/pc_simulation_runner.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    OutputActive = 4168,
    OutputNotActive = 4169,
    ResetActive = 4173,
    ResetNotActive = 4174,
    ResetUnconnected = 4175,
    HourMeterTitle = 4303,
    EnableActive = 4309,
    EnableNotActive = 4310,
    ResetAllActive = 4312,
    ResetAllNotActive = 4313,
    ResetAllUnconnected = 4314,
    CommentLabel = 8194,
    InputStatusFrame = 8195,
    CurrentStatusFrame = 8196,
    ResetText = 8198,
    OkCaption = 8380,
    CancelCaption = 8381,
    SetPointFrame = 8382,
    FirstResolution = 8383,  // "36 Sec.", "6 Min.", "1 Hr."
    FirstNote = 8386,        // "( 36 Sec. equal to 0.01 count )" ...
    OperateTimeFrame = 8389,
    MaintenanceTimeFrame = 8390,
    UsedInProgram = 8391,
    EnableText = 8392,
    ResetAllText = 8393,
};

constexpr const char* kResolutionNames[] = {"36Sec", "6Min", "1Hr"};

// Status of an input: a coil entry that names no group is unconnected.
int inputStatusText(const ScanEngine& engine, std::uint16_t coil, int active, int notActive,
                    int unconnected) {
    if (coil == kUnassigned && unconnected != 0) {
        return unconnected;
    }
    return engine.isActive(coil) ? active : notActive;
}

}  // namespace

HourMeterFrm::HourMeterFrm(LadderEditor& editor, Prompter& prompter, int meter, PcSimulationRunner* run,
                           QWidget* parent)
    : BlockDialog(editor, prompter, run, parent) {
    setBlock(Operand::H, std::clamp(meter, 0, kHourMeters - 1));
    setObjectName(QStringLiteral("HourMeterFrm"));
    SetTextId(this, HourMeterTitle);
    QHBoxLayout* buttons = makeButtons("Command3", OkCaption, "Command4", CancelCaption, true);

    auto* columns = new QHBoxLayout;
    columns->addWidget(buildPresetColumn());
    columns->addWidget(buildStatusColumn());
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(buttons);

    ApplyCaptions(this);
    Form_Activate();
}

QWidget* HourMeterFrm::buildPresetColumn() {
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);

    Combo1_ = makeNumberList("Combo1", "H", kHourMeters, column);
    Combo1_->setAccessibleName(LoadText(HourMeterTitle));
    chkUsed_ = Named(new QCheckBox(column), "chkUsed");
    SetTextId(chkUsed_, UsedInProgram);
    chkUsed_->setLayoutDirection(Qt::RightToLeft);
    // The usage scan owns the flag; the box only reports it.
    chkUsed_->setEnabled(false);
    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(Combo1_);
    numberRow->addStretch();
    numberRow->addWidget(chkUsed_);
    layout->addLayout(numberRow);

    auto* presetFrame = TextFrame(SetPointFrame, "fraSetPoint", column);
    auto* presetLayout = new QGridLayout(presetFrame);
    for (int r = 0; r < kHourMeterResolutions; ++r) {
        auto* option = new QRadioButton(presetFrame);
        option->setObjectName(QStringLiteral("optSetPoint%1").arg(QLatin1String(kResolutionNames[r])));
        SetTextId(option, FirstResolution + r);
        auto* note = new QLabel(presetFrame);
        SetTextId(note, FirstNote + r);
        presetLayout->addWidget(option, r, 0);
        presetLayout->addWidget(note, r, 1);
        presetOptions_[r] = option;
        connect(option, &QRadioButton::toggled, this, [this, r](bool on) {
            if (on) {
                resolutionChosen(r);
            }
        });
    }
    Text1_ = Named(new QLineEdit(presetFrame), "Text1");
    Text1_->setAlignment(Qt::AlignRight);
    Text1_->setMaxLength(kHourMeterDigits + 1);
    Text1_->setFixedWidth(Text1_->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 20);
    auto* valueRow = new QHBoxLayout;
    valueRow->addWidget(Text1_);
    valueRow->addStretch();
    presetLayout->addLayout(valueRow, kHourMeterResolutions, 0, 1, 2);
    presetLayout->setColumnStretch(1, 1);
    presetFrame->setFocusProxy(Text1_);
    layout->addWidget(presetFrame);

    layout->addWidget(makeLockedFrame(column, &optLocked_, &optNotLocked_));
    auto* commentLabel = Named(new QLabel(column), "lblComment");
    SetTextId(commentLabel, CommentLabel);
    Text2_ = Named(new QLineEdit(column), "Text2");
    commentLabel->setBuddy(Text2_);
    layout->addWidget(commentLabel);
    layout->addWidget(Text2_);
    layout->addStretch();

    connect(Combo1_, &QComboBox::currentIndexChanged, this, &HourMeterFrm::Combo1_Click);
    connect(Text1_, &QLineEdit::textEdited, this, &HourMeterFrm::Text1_Change);
    connect(Text1_, &QLineEdit::editingFinished, this, [this] {
        Text1_->setText(NormalHourMeterPresetText(Text1_->text(), shownResolution_, separator()));
    });
    connect(Text2_, &QLineEdit::textEdited, this, &HourMeterFrm::markEdited);
    return column;
}

QGroupBox* HourMeterFrm::makeTimeFrame(int textId, const char* name, const char* prefix,
                                       ResolutionOptions& options, QLabel** value) {
    QGroupBox* frame = TextFrame(textId, name, this);
    auto* layout = new QHBoxLayout(frame);
    for (int r = 0; r < kHourMeterResolutions; ++r) {
        options[r] = new QRadioButton(frame);
        options[r]->setObjectName(
            QStringLiteral("opt%1%2").arg(QLatin1String(prefix), QLatin1String(kResolutionNames[r])));
        SetTextId(options[r], FirstResolution + r);
        layout->addWidget(options[r]);
        // Only the display follows; the meter's record stays.
        connect(options[r], &QRadioButton::toggled, this, [this](bool on) {
            if (on) {
                refreshLive();
            }
        });
    }
    *value = new QLabel(frame);
    (*value)->setObjectName(QStringLiteral("lbl%1").arg(QLatin1String(name).mid(3)));
    (*value)->setMinimumWidth((*value)->fontMetrics().horizontalAdvance(QStringLiteral("00000.0")));
    (*value)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout->addStretch();
    layout->addWidget(*value);
    return frame;
}

QWidget* HourMeterFrm::buildStatusColumn() {
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);

    fraOperateTime_ =
        makeTimeFrame(OperateTimeFrame, "fraOperateTime", "Operate", operateOptions_, &lblOperateTime_);
    fraMaintenanceTime_ = makeTimeFrame(MaintenanceTimeFrame, "fraMaintenanceTime", "Maintenance",
                                        maintenanceOptions_, &lblMaintenanceTime_);
    layout->addWidget(fraOperateTime_);
    layout->addWidget(fraMaintenanceTime_);

    // The meter's inputs as the running program drives them; the boxes only report.
    auto* inputFrame = TextFrame(InputStatusFrame, "fraInputStatus", column);
    chkEnable_ = Named(new QCheckBox(inputFrame), "chkEnable");
    SetTextId(chkEnable_, EnableText);
    chkReset_ = Named(new QCheckBox(inputFrame), "chkReset");
    SetTextId(chkReset_, ResetText);
    chkResetAll_ = Named(new QCheckBox(inputFrame), "chkResetAll");
    SetTextId(chkResetAll_, ResetAllText);
    auto* inputLayout = new QHBoxLayout(inputFrame);
    for (QCheckBox* box : {chkEnable_, chkReset_, chkResetAll_}) {
        inputLayout->addWidget(box);
    }
    inputLayout->addStretch();
    inputFrame->setEnabled(false);
    layout->addWidget(inputFrame);

    fraCurrentStatus_ = TextFrame(CurrentStatusFrame, "fraCurrentStatus", column);
    lblEnable_ = Named(new QLabel(fraCurrentStatus_), "lblEnable");
    lblReset_ = Named(new QLabel(fraCurrentStatus_), "lblReset");
    lblResetAll_ = Named(new QLabel(fraCurrentStatus_), "lblResetAll");
    lblOutput_ = Named(new QLabel(fraCurrentStatus_), "lblOutput");
    auto* statusLayout = new QVBoxLayout(fraCurrentStatus_);
    for (QLabel* label : {lblEnable_, lblReset_, lblResetAll_, lblOutput_}) {
        statusLayout->addWidget(label);
    }
    layout->addWidget(fraCurrentStatus_);
    layout->addStretch();

    for (QGroupBox* runOnly : {fraOperateTime_, fraMaintenanceTime_, fraCurrentStatus_}) {
        runOnly->setVisible(duringRun());
    }
    return column;
}

QString HourMeterFrm::separator() const {
    return QString(LocaleDecimalSeparator());
}

int HourMeterFrm::resolution() const {
    for (int r = 0; r < kHourMeterResolutions; ++r) {
        if (presetOptions_[r]->isChecked()) {
            return r;
        }
    }
    return Resolution36Sec;
}

void HourMeterFrm::Form_Activate() {
    beginLoading();
    const HourMeterRecord record = ReadHourMeter(editor_.program(), number());
    shownResolution_ = record.resolution;
    presetOptions_[record.resolution]->setChecked(true);
    setPresetValidator(record.resolution);
    Text1_->setText(HourMeterPresetText(record, separator()));
    (record.locked ? optLocked_ : optNotLocked_)->setChecked(true);
    Text2_->setText(editor_.program().comment(Operand::H, number()));
    chkUsed_->setChecked((editor_.program().HourMeterParams[number()][HourMeterField::Flags] & kFlagInUse) !=
                         0);
    // The accumulated times start in the preset's resolution.
    operateOptions_[record.resolution]->setChecked(true);
    maintenanceOptions_[record.resolution]->setChecked(true);
    endLoading();
    HourMeterFrm::refreshLive();
}

void HourMeterFrm::setPresetValidator(int resolution) {
    // Digits and, where the resolution has decimals, one separator with at most that many.
    const int decimals = kHourMeterResolutions - 1 - resolution;
    QString pattern = QStringLiteral("\\d{0,5}");
    if (decimals > 0) {
        pattern +=
            QStringLiteral("(%1\\d{0,%2})?").arg(QRegularExpression::escape(separator())).arg(decimals);
    }
    delete Text1_->validator();
    Text1_->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), Text1_));
}

void HourMeterFrm::resolutionChosen(int resolution) {
    if (resolution == shownResolution_) {
        return;
    }
    // The text is put in the form of the old resolution first, so that its digits are the five
    // digits of the record; then the point moves.
    const QString normal = NormalHourMeterPresetText(Text1_->text(), shownResolution_, separator());
    shownResolution_ = resolution;
    setPresetValidator(resolution);
    Text1_->setText(ChangeHourMeterResolution(normal, resolution, separator()));
    markEdited();
}

void HourMeterFrm::Text1_Change(const QString& typed) {
    const QString capped = CapHourMeterPresetEntry(typed, shownResolution_, prompter_, separator());
    if (capped != typed) {
        Text1_->setText(capped);
    }
    markEdited();
}

void HourMeterFrm::Combo1_Click(int index) {
    if (switchBlock(Combo1_, index, SaveHourMeterQuestion(number() + 1))) {
        Form_Activate();
    }
}

bool HourMeterFrm::save() {
    HourMeterRecord record;
    record.resolution = shownResolution_;
    const QString normal = NormalHourMeterPresetText(Text1_->text(), shownResolution_, separator());
    record.digits = HourMeterDigitsOfText(normal);
    record.locked = optLocked_->isChecked();
    const QString comment = Text2_->text();
    const int meter = number();
    const bool simulation = duringRun();
    if (!store(
            [&](Program& program) { return SaveHourMeter(program, meter, record, comment, simulation); })) {
        return false;
    }
    Text1_->setText(normal);
    return true;
}

void HourMeterFrm::refreshLive() {
    if (run_ == nullptr || !run_->running()) {
        return;
    }
    const int n = number();
    const HourMeterEvaluation& meters = run_->simulation().blocks().hourMeters;
    const auto shownIn = [](const ResolutionOptions& options) {
        for (int r = 0; r < kHourMeterResolutions; ++r) {
            if (options[r]->isChecked()) {
                return r;
            }
        }
        return int(Resolution36Sec);
    };
    lblOperateTime_->setText(
        HourMeterTimeText(meters.operateSeconds(n), shownIn(operateOptions_), separator()));
    lblMaintenanceTime_->setText(
        HourMeterTimeText(meters.maintenanceSeconds(n), shownIn(maintenanceOptions_), separator()));

    const ScanEngine& engine = run_->engine();
    const HourMeterCoils& coils = engine.network().coils.H;
    chkEnable_->setChecked(engine.isActive(coils.enable[n]));
    chkReset_->setChecked(engine.isActive(coils.reset[n]));
    chkResetAll_->setChecked(engine.isActive(coils.resetAll[n]));
    lblEnable_->setText(LoadText(inputStatusText(engine, coils.enable[n], EnableActive, EnableNotActive, 0)));
    lblReset_->setText(
        LoadText(inputStatusText(engine, coils.reset[n], ResetActive, ResetNotActive, ResetUnconnected)));
    lblResetAll_->setText(LoadText(
        inputStatusText(engine, coils.resetAll[n], ResetAllActive, ResetAllNotActive, ResetAllUnconnected)));
    const SignalRange& outputs = SignalRangeOf('H');
    lblOutput_->setText(LoadText(engine.signal(outputs.openBase + n) ? OutputActive : OutputNotActive));
}

}  // namespace bdx
