#include "frm_timeswitch_block.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "blocks/device_model.h"
#include "blocks/time_switch_schedule.h"
#include "check/compiled_network.h"
#include "editor/ladder_editor.h"
#include "ladder/ladder_codes.h"
#include "shell/language_table.h"
#include "sim/clock.h"
#include "ui/ladder/frm_all_comments.h"
#include "ui/sim/pc_simulation_runner.h"
#include "ui/widgets/captions.h"
#include "weekly_graph.h"

namespace bdx {

namespace {

enum TextId {
    OutputText = 4150,
    CommentLabel = 8194,
    CurrentStatusFrame = 8196,
    Title = 8320,
    BlockSettingsFrame = 8321,
    DaySelectionFrame = 8322,
    Day1Label = 8323,
    Day2Label = 8324,
    OnLabel = 8325,
    OffLabel = 8326,
    TimeHeader = 8327,
    DailyDurationLabel = 8328,
    WeekdaysLabel = 8329,
    OkCaption = 8330,
    CancelCaption = 8331,
    OnDaysLabel = 8332,
    OffDaysLabel = 8333,
    OnState = 8334,
    OffState = 8335,
};

constexpr int kTimeFields = 4;
constexpr const char* kTimeFieldNames[kTimeFields] = {"Text1", "Text2", "Text3", "Text4"};
// Hours, minutes, hours, minutes.
constexpr int kLargest[kTimeFields] = {kLargestHour, kLargestMinute, kLargestHour, kLargestMinute};

QLabel* TextLabel(int textId, const char* name, QWidget* parent) {
    auto* label = Named(new QLabel(parent), name);
    SetTextId(label, textId);
    return label;
}

}  // namespace

frmTimeswitchBlock::frmTimeswitchBlock(LadderEditor& editor, Prompter& prompter, int block,
                                       PcSimulationRunner* run, QWidget* parent)
    : BlockDialog(editor, prompter, run, parent), advanced_(AdvancedTimeSwitch(editor.program().ModelIndex)) {
    setBlock(Operand::Clock, std::clamp(block, 0, kTimeSwitches - 1));
    setObjectName(QStringLiteral("frmTimeswitchBlock"));
    SetTextId(this, Title);

    Combo3_ = makeNumberList("Combo3", "RTC", kTimeSwitches, this);
    Combo3_->setAccessibleName(LoadText(Title));
    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(Combo3_);
    numberRow->addStretch();

    auto* settings = TextFrame(BlockSettingsFrame, "fraBlockSettings", this);
    frameOld_ = buildDayFrameOld(settings);
    frameNew_ = buildDayFrameNew(settings);
    frameOld_->setVisible(!advanced_);
    frameNew_->setVisible(advanced_);

    lblDailyDuration_ = Named(new QLabel(settings), "lblDailyDuration");
    auto* durationLabel = TextLabel(DailyDurationLabel, "lblDailyDurationCaption", settings);
    durationLabel->setBuddy(lblDailyDuration_);
    auto* timeRow = new QHBoxLayout;
    timeRow->addLayout(buildTimeFields(settings));
    timeRow->addSpacing(fontMetrics().height() * 2);
    auto* durationRow = new QHBoxLayout;
    durationRow->addWidget(durationLabel);
    durationRow->addWidget(lblDailyDuration_);
    timeRow->addLayout(durationRow);
    timeRow->addStretch();

    picWeek_ = Named(new WeeklyGraph(settings), "picWeek");
    picWeek_->setAccessibleName(WithoutAccelerators(LoadText(WeekdaysLabel)));

    // Created in the order Tab visits them: the lock, then the comment.
    auto* bottomRow = new QHBoxLayout;
    bottomRow->addWidget(makeLockedFrame(settings, &optLocked_, &optNotLocked_));
    Text20_ = Named(new QLineEdit(settings), "Text20");
    Text20_->setMaxLength(kMaxOperandCommentLength);
    auto* commentLabel = TextLabel(CommentLabel, "lblComment", settings);
    commentLabel->setBuddy(Text20_);
    auto* commentRow = new QHBoxLayout;
    commentRow->addWidget(commentLabel);
    commentRow->addWidget(Text20_, 1);
    bottomRow->addLayout(commentRow, 1);

    auto* settingsLayout = new QVBoxLayout(settings);
    settingsLayout->addWidget(frameOld_);
    settingsLayout->addWidget(frameNew_);
    settingsLayout->addLayout(timeRow);
    settingsLayout->addWidget(TextLabel(WeekdaysLabel, "lblWeekdays", settings));
    settingsLayout->addWidget(picWeek_, 1);
    settingsLayout->addLayout(bottomRow);

    QHBoxLayout* buttons = makeButtons("Command2", OkCaption, "Command1", CancelCaption, true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(numberRow);
    layout->addWidget(settings, 1);
    if (duringRun()) {
        layout->addWidget(buildStatus());
    }
    layout->addLayout(buttons);

    connect(Combo3_, &QComboBox::currentIndexChanged, this, &frmTimeswitchBlock::Combo3_Click);
    connect(Text20_, &QLineEdit::textEdited, this, &frmTimeswitchBlock::markEdited);
    ApplyCaptions(this);
    Form_Load();
}

QGroupBox* frmTimeswitchBlock::buildDayFrameOld(QWidget* parent) {
    auto* frame = TextFrame(DaySelectionFrame, "frameOldTimeSwitch", parent);
    Combo1_ = Named(new QComboBox(frame), "Combo1");
    Combo2_ = Named(new QComboBox(frame), "Combo2");
    auto* layout = new QHBoxLayout(frame);
    for (const auto& [combo, caption, name] :
         {std::tuple{Combo1_, Day1Label, "lblDay1"}, std::tuple{Combo2_, Day2Label, "lblDay2"}}) {
        combo->addItems(WeekdayNames());
        auto* label = TextLabel(caption, name, frame);
        label->setBuddy(combo);
        layout->addWidget(label);
        layout->addWidget(combo);
        layout->addSpacing(fontMetrics().height());
        connect(combo, &QComboBox::currentIndexChanged, this, &frmTimeswitchBlock::fieldsChanged);
    }
    layout->addStretch();
    return frame;
}

QGroupBox* frmTimeswitchBlock::buildDayFrameNew(QWidget* parent) {
    auto* frame = TextFrame(DaySelectionFrame, "frameNewTimeSwitch", parent);
    auto* grid = new QGridLayout(frame);
    grid->addWidget(TextLabel(OnDaysLabel, "lblOnDays", frame), 1, 0);
    grid->addWidget(TextLabel(OffDaysLabel, "lblOffDays", frame), 2, 0);
    const QStringList labels = ShortWeekdayNames();
    const QStringList names = WeekdayNames();
    for (int day = 0; day < kDaysPerWeek; ++day) {
        grid->addWidget(Named(new QLabel(labels[day], frame), "lblDay"), 0, day + 1, Qt::AlignHCenter);
    }
    // All ON days, then all OFF days, in the order Tab visits them.
    for (int row = 1; row <= 2; ++row) {
        auto& boxes = row == 1 ? chkStartDay_ : chkSelectEndDay_;
        const QString caption = LoadText(row == 1 ? OnDaysLabel : OffDaysLabel) + QLatin1Char(' ');
        for (int day = 0; day < kDaysPerWeek; ++day) {
            boxes[day] = Named(new QCheckBox(frame), row == 1 ? "chkStartDay" : "chkSelectEndDay");
            boxes[day]->setAccessibleName(caption + names[day]);
            grid->addWidget(boxes[day], row, day + 1, Qt::AlignHCenter);
            connect(boxes[day], &QCheckBox::toggled, this, &frmTimeswitchBlock::fieldsChanged);
        }
    }
    grid->setColumnStretch(kDaysPerWeek + 1, 1);
    return frame;
}

QLayout* frmTimeswitchBlock::buildTimeFields(QWidget* parent) {
    auto* grid = new QGridLayout;
    grid->addWidget(TextLabel(TimeHeader, "lblHHMM", parent), 0, 1, 1, 3);
    const int width = fontMetrics().horizontalAdvance(QStringLiteral("000")) + 12;
    for (int i = 0; i < kTimeFields; ++i) {
        QLineEdit* field = Named(new QLineEdit(parent), kTimeFieldNames[i]);
        // Two digits at most: letters, signs and longer pastes are refused as they are typed.
        field->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,2}")), field));
        field->setMaxLength(2);
        field->setFixedWidth(width);
        field->setAlignment(Qt::AlignCenter);
        timeFields_[i] = field;
        connect(field, &QLineEdit::textEdited, this, [this, i] { timeEdited(i); });
        connect(field, &QLineEdit::editingFinished, this,
                [field] { field->setText(TimeFieldText(field->text().toInt())); });
    }
    for (int row = 0; row < 2; ++row) {
        auto* label = TextLabel(row == 0 ? OnLabel : OffLabel, row == 0 ? "lblOn" : "lblOff", parent);
        label->setBuddy(timeFields_[2 * row]);
        grid->addWidget(label, row + 1, 0);
        grid->addWidget(timeFields_[2 * row], row + 1, 1);
        grid->addWidget(new QLabel(QStringLiteral(":"), parent), row + 1, 2, Qt::AlignCenter);
        grid->addWidget(timeFields_[2 * row + 1], row + 1, 3);
        timeFields_[2 * row]->setAccessibleName(WithoutAccelerators(LoadText(row == 0 ? OnLabel : OffLabel)) +
                                                QStringLiteral(" HH"));
        timeFields_[2 * row + 1]->setAccessibleName(
            WithoutAccelerators(LoadText(row == 0 ? OnLabel : OffLabel)) + QStringLiteral(" MM"));
    }
    return grid;
}

QWidget* frmTimeswitchBlock::buildStatus() {
    auto* frame = TextFrame(CurrentStatusFrame, "fraCurrentStatus", this);
    lblStatus_ = Named(new QLabel(frame), "lblStatus");
    auto* layout = new QHBoxLayout(frame);
    layout->addWidget(new QLabel(LoadText(OutputText) + QLatin1Char(':'), frame));
    layout->addWidget(lblStatus_);
    layout->addStretch();
    return frame;
}

void frmTimeswitchBlock::Form_Load() {
    beginLoading();
    const TimeSwitchRecord record = ReadTimeSwitch(editor_.program(), number());
    Combo1_->setCurrentIndex(record.startDay - 1);  // -1 leaves the list empty
    Combo2_->setCurrentIndex(record.endDay - 1);
    for (int day = 0; day < kDaysPerWeek; ++day) {
        chkStartDay_[day]->setChecked(record.onDays[day]);
        chkSelectEndDay_[day]->setChecked(record.offDays[day]);
    }
    const int times[kTimeFields] = {record.onHour, record.onMinute, record.offHour, record.offMinute};
    for (int i = 0; i < kTimeFields; ++i) {
        timeFields_[i]->setText(TimeFieldText(std::clamp(times[i], 0, kLargest[i])));
    }
    (record.locked ? optLocked_ : optNotLocked_)->setChecked(true);
    Text20_->setText(editor_.program().comment(Operand::Clock, number()));
    update_graph();
    endLoading();
    frmTimeswitchBlock::refreshLive();
}

void frmTimeswitchBlock::Combo3_Click(int index) {
    if (switchBlock(Combo3_, index, SaveClockQuestion(number() + 1))) {
        Form_Load();
    }
}

void frmTimeswitchBlock::timeEdited(int index) {
    QLineEdit* field = timeFields_[index];
    const QString capped = CapTimeEntry(field->text(), kLargest[index]);
    if (capped != field->text()) {
        field->setText(capped);
    }
    fieldsChanged();
}

void frmTimeswitchBlock::fieldsChanged() {
    markEdited();
    update_graph();
}

TimeSwitchRecord frmTimeswitchBlock::fieldsRecord() const {
    TimeSwitchRecord record = ReadTimeSwitch(editor_.program(), number());
    if (advanced_) {
        for (int day = 0; day < kDaysPerWeek; ++day) {
            record.onDays[day] = chkStartDay_[day]->isChecked();
            record.offDays[day] = chkSelectEndDay_[day]->isChecked();
        }
    } else {
        record.startDay = Combo1_->currentIndex() + 1;
        record.endDay = Combo2_->currentIndex() + 1;
    }
    record.onHour = timeFields_[0]->text().toInt();
    record.onMinute = timeFields_[1]->text().toInt();
    record.offHour = timeFields_[2]->text().toInt();
    record.offMinute = timeFields_[3]->text().toInt();
    record.locked = optLocked_->isChecked();
    return record;
}

void frmTimeswitchBlock::update_graph() {
    const WeeklySchedule schedule = TimeSwitchSchedule(fieldsRecord(), advanced_);
    picWeek_->setSchedule(schedule);
    lblDailyDuration_->setText(DailyDurationText(schedule));
}

bool frmTimeswitchBlock::save_clock_params() {
    const TimeSwitchRecord record = fieldsRecord();
    const QString comment = Text20_->text();
    const int block = number();
    if (!store([&](Program& program) { return SaveTimeSwitch(program, block, record, comment); })) {
        return false;
    }
    Form_Load();  // the stored values, two digits each
    return true;
}

void frmTimeswitchBlock::refreshLive() {
    if (lblStatus_ == nullptr || run_ == nullptr || !run_->running()) {
        return;
    }
    const int entry = SignalRangeOf(ClockContactOpen).openBase + number();
    lblStatus_->setText(LoadText(run_->engine().signal(entry) ? OnState : OffState));
    const LocalDateTime now = LocalDateTime::from(QDateTime::currentDateTime());
    picWeek_->setNow(WeekMoment{now.weekday - 1, now.hour * 60 + now.minute});
}

}  // namespace bdx
