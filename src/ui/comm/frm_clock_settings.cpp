#include "frm_clock_settings.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "comm/comm_link.h"
#include "device_busy_bar.h"
#include "shell/language_table.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    DeviceClockCommand = 203,
    CloseCaption = 4086,
    RealTimeClock = 8032,
    ReadingStatus = 8142,
    WritingStatus = 4297,
    ReadFromDevice = 8188,
    WriteToDevice = 8189,
    FirstWeek = 8277,   // "First".."Last"
    FirstMonth = 8282,  // "January".."December"
    DateAndTime = 8294,
    SetToPcTime = 8295,
    DaylightSaving = 8296,
    StartCaption = 8297,
    EndCaption = 8298,
    OffsetCaption = 8299,
};
// "Monday".."Sunday" in the table; the device counts from Sunday.
constexpr int kMonday = 4182;
constexpr int kSunday = 4188;

QComboBox* listBox(QWidget* parent, const QString& name, const QStringList& items) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(items);
    return box;
}

QStringList textsOf(int firstId, int count) {
    QStringList texts;
    for (int i = 0; i < count; ++i) {
        texts << LoadText(firstId + i);
    }
    return texts;
}

QStringList numbers(int last) {
    QStringList texts;
    for (int i = 0; i <= last; ++i) {
        texts << QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
    }
    return texts;
}

}  // namespace

QString ClockDateFormat(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy"))) {
        format.replace(QRegularExpression(QStringLiteral("y+")), QStringLiteral("yyyy"));
    }
    return format;
}

QString ClockTimeFormat(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("\\s*\\(?t+\\)?")));
    if (!format.contains(u's')) {
        format = QStringLiteral("HH:mm:ss");
    }
    return format.trimmed();
}

frmClockSettings::frmClockSettings(CommLink& link, UtilitiesFactory makeUtilities, QWidget* parent)
    : QDialog(parent), link_(link), makeUtilities_(std::move(makeUtilities)) {
    setObjectName(QStringLiteral("frmClockSettings"));
    setModal(true);
    QString title = WithoutAccelerators(LoadText(DeviceClockCommand));
    while (title.endsWith(u'.')) {
        title.chop(1);
    }
    setWindowTitle(title.trimmed());
    buildLayout();

    connect(cmdReadClock_, &QPushButton::clicked, this, &frmClockSettings::cmdReadClock_Click);
    connect(cmdSetClock_, &QPushButton::clicked, this, &frmClockSettings::cmdSetClock_Click);
    connect(cmdSetSystemClock_, &QPushButton::clicked, this, &frmClockSettings::cmdSetSystemClock_Click);
    connect(CmdReadDst_, &QPushButton::clicked, this, &frmClockSettings::CmdReadDst_Click);
    connect(CmdSetDst_, &QPushButton::clicked, this, &frmClockSettings::CmdSetDst_Click);
    connect(cmdClose_, &QPushButton::clicked, this, &frmClockSettings::reject);
    connect(CheckDST_, &QCheckBox::toggled, this, &frmClockSettings::updateDstFields);

    ApplyCaptions(this);
    // Both halves have a Read and a Write button: their names say which half they work on.
    const auto nameIn = [](QPushButton* button, int groupTextId, int buttonTextId) {
        button->setAccessibleName(WithoutAccelerators(LoadText(groupTextId)) + QStringLiteral(": ") +
                                  WithoutAccelerators(LoadText(buttonTextId)));
    };
    nameIn(cmdReadClock_, RealTimeClock, ReadFromDevice);
    nameIn(cmdSetClock_, RealTimeClock, WriteToDevice);
    nameIn(CmdReadDst_, DaylightSaving, ReadFromDevice);
    nameIn(CmdSetDst_, DaylightSaving, WriteToDevice);
    // The PC's clock until the device's is read: a sensible value to start editing from.
    const QDateTime now = QDateTime::currentDateTime();
    dtpDate_->setDate(now.date());
    dtpTime_->setTime(now.time());
    updateDstFields();
}

frmClockSettings::~frmClockSettings() = default;

frmClockSettings::DstPoint frmClockSettings::dstPoint(const char* prefix) {
    const QString p = QString::fromLatin1(prefix);
    QStringList weekdays{LoadText(kSunday)};
    weekdays << textsOf(kMonday, kSunday - kMonday);
    return DstPoint{
        listBox(this, p + QStringLiteral("Week"), textsOf(FirstWeek, DstLimit::Week + 1)),
        listBox(this, p + QStringLiteral("Day"), weekdays),
        listBox(this, p + QStringLiteral("Month"), textsOf(FirstMonth, DstLimit::Month + 1)),
        listBox(this, p + QStringLiteral("Hr"), numbers(DstLimit::Hour)),
        listBox(this, p + QStringLiteral("Min"), numbers(DstLimit::Minute)),
    };
}

void frmClockSettings::buildLayout() {
    // --- The clock ---
    auto* clock = new QGroupBox(this);
    clock->setObjectName(QStringLiteral("frameClock"));
    SetTextId(clock, RealTimeClock);
    dtpDate_ = new QDateEdit(clock);
    dtpDate_->setObjectName(QStringLiteral("dtpDate"));
    dtpDate_->setDisplayFormat(ClockDateFormat(QLocale()));
    dtpDate_->setDateRange(QDate(2000, 1, 1), QDate(2099, 12, 31));
    dtpDate_->setCalendarPopup(true);
    dtpTime_ = new QTimeEdit(clock);
    dtpTime_->setObjectName(QStringLiteral("dtpTime"));
    dtpTime_->setDisplayFormat(ClockTimeFormat(QLocale()));
    cmdReadClock_ = CommandButton(clock, "cmdReadClock", ReadFromDevice);
    cmdSetClock_ = CommandButton(clock, "cmdSetClock", WriteToDevice);
    cmdSetSystemClock_ = CommandButton(clock, "cmdSetSystemClock", SetToPcTime);

    auto* when = new QHBoxLayout;
    when->addWidget(CaptionLabel(clock, DateAndTime, dtpDate_));
    when->addWidget(dtpDate_, 1);
    when->addWidget(dtpTime_, 1);
    auto* clockButtons = new QHBoxLayout;
    clockButtons->addWidget(cmdReadClock_);
    clockButtons->addWidget(cmdSetClock_);
    clockButtons->addWidget(cmdSetSystemClock_);
    clockButtons->addStretch();
    auto* clockLayout = new QVBoxLayout(clock);
    clockLayout->addLayout(when);
    clockLayout->addLayout(clockButtons);

    // --- The daylight-saving rule ---
    auto* dst = new QGroupBox(this);
    dst->setObjectName(QStringLiteral("frameDST"));
    CheckDST_ = new QCheckBox(dst);
    CheckDST_->setObjectName(QStringLiteral("CheckDST"));
    SetTextId(CheckDST_, DaylightSaving);
    start_ = dstPoint("cmbDSTStart");
    end_ = dstPoint("cmbDSTEnd");
    for (QComboBox* box : {start_.week, start_.weekday, start_.month, start_.hour, start_.minute, end_.week,
                           end_.weekday, end_.month, end_.hour, end_.minute}) {
        box->setParent(dst);
    }
    cmbDSTOffHr_ = listBox(dst, QStringLiteral("cmbDSTOffHr"), numbers(DstLimit::Hour));
    cmbDSTOffMin_ = listBox(dst, QStringLiteral("cmbDSTOffMin"), numbers(DstLimit::Minute));
    CmdReadDst_ = CommandButton(dst, "CmdReadDst", ReadFromDevice);
    CmdSetDst_ = CommandButton(dst, "CmdSetDst", WriteToDevice);

    auto* rule = new QGridLayout;
    const auto addPoint = [&](int row, int captionId, const DstPoint& point) {
        rule->addWidget(CaptionLabel(dst, captionId, point.week), row, 0);
        rule->addWidget(point.week, row, 1);
        rule->addWidget(point.weekday, row, 2);
        rule->addWidget(point.month, row, 3);
        rule->addWidget(point.hour, row, 4);
        rule->addWidget(new QLabel(QStringLiteral(":"), dst), row, 5);
        rule->addWidget(point.minute, row, 6);
    };
    addPoint(0, StartCaption, start_);
    addPoint(1, EndCaption, end_);
    rule->addWidget(CaptionLabel(dst, OffsetCaption, cmbDSTOffHr_), 2, 0);
    rule->addWidget(cmbDSTOffHr_, 2, 4);
    rule->addWidget(new QLabel(QStringLiteral(":"), dst), 2, 5);
    rule->addWidget(cmbDSTOffMin_, 2, 6);
    rule->setColumnStretch(2, 1);
    rule->setColumnStretch(3, 1);
    auto* dstButtons = new QHBoxLayout;
    dstButtons->addWidget(CmdReadDst_);
    dstButtons->addWidget(CmdSetDst_);
    dstButtons->addStretch();
    auto* dstLayout = new QVBoxLayout(dst);
    dstLayout->addWidget(CheckDST_);
    dstLayout->addLayout(rule);
    dstLayout->addLayout(dstButtons);

    busy_ = new DeviceBusyBar(link_, this, this);
    cmdClose_ = CommandButton(this, "cmdClose", CloseCaption);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(busy_, 1);
    bottom->addWidget(cmdClose_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(clock);
    layout->addWidget(dst);
    layout->addLayout(bottom);
}

void frmClockSettings::updateDstFields() {
    // The rule's fields stay readable but are not edited while daylight saving is off: Write
    // then only switches it off on the device, and the rule stays there for next time.
    const bool on = CheckDST_->isChecked();
    for (QComboBox* box : {start_.week, start_.weekday, start_.month, start_.hour, start_.minute, end_.week,
                           end_.weekday, end_.month, end_.hour, end_.minute, cmbDSTOffHr_, cmbDSTOffMin_}) {
        box->setEnabled(on);
    }
}

DstRule frmClockSettings::dstRule() const {
    DstRule r;
    r.enabled = CheckDST_->isChecked();
    r.startWeek = start_.week->currentIndex();
    r.startWeekday = start_.weekday->currentIndex();
    r.startMonth = start_.month->currentIndex();
    r.startHour = start_.hour->currentIndex();
    r.startMinute = start_.minute->currentIndex();
    r.endWeek = end_.week->currentIndex();
    r.endWeekday = end_.weekday->currentIndex();
    r.endMonth = end_.month->currentIndex();
    r.endHour = end_.hour->currentIndex();
    r.endMinute = end_.minute->currentIndex();
    r.offsetHours = cmbDSTOffHr_->currentIndex();
    r.offsetMinutes = cmbDSTOffMin_->currentIndex();
    return r;
}

void frmClockSettings::showDstRule(const DstRule& r) {
    // A value outside a list (a device of another firmware) leaves that list empty rather than
    // showing something the device does not hold.
    const auto put = [](QComboBox* box, int value) {
        box->setCurrentIndex(value >= 0 && value < box->count() ? value : -1);
    };
    CheckDST_->setChecked(r.enabled);
    put(start_.week, r.startWeek);
    put(start_.weekday, r.startWeekday);
    put(start_.month, r.startMonth);
    put(start_.hour, r.startHour);
    put(start_.minute, r.startMinute);
    put(end_.week, r.endWeek);
    put(end_.weekday, r.endWeekday);
    put(end_.month, r.endMonth);
    put(end_.hour, r.endHour);
    put(end_.minute, r.endMinute);
    put(cmbDSTOffHr_, r.offsetHours);
    put(cmbDSTOffMin_, r.offsetMinutes);
}

bool frmClockSettings::run(int statusTextId, const std::function<bool(DeviceUtilities&)>& action) {
    return busy_->run(LoadText(statusTextId), [&] {
        const std::unique_ptr<DeviceUtilities> utilities = makeUtilities_();
        return action(*utilities);
    });
}

void frmClockSettings::cmdReadClock_Click() {
    std::optional<DeviceClock> clock;
    run(ReadingStatus, [&](DeviceUtilities& u) {
        clock = u.ReadClock();
        return clock.has_value();
    });
    if (clock) {
        dtpDate_->setDate(clock->date);
        dtpTime_->setTime(clock->time);
    }
}

void frmClockSettings::cmdSetClock_Click() {
    const QDate date = dtpDate_->date();
    const QTime time = dtpTime_->time();
    run(WritingStatus, [&](DeviceUtilities& u) { return u.SetClock(date, time); });
}

void frmClockSettings::cmdSetSystemClock_Click() {
    if (run(WritingStatus, [](DeviceUtilities& u) { return u.SetClockToSystemTime(); })) {
        // The fields show what the device now holds, near enough.
        const QDateTime now = QDateTime::currentDateTime();
        dtpDate_->setDate(now.date());
        dtpTime_->setTime(now.time());
    }
}

void frmClockSettings::CmdReadDst_Click() {
    std::optional<DstRule> rule;
    run(ReadingStatus, [&](DeviceUtilities& u) {
        rule = u.ReadDst();
        return rule.has_value();
    });
    if (rule) {
        showDstRule(*rule);
    }
}

void frmClockSettings::CmdSetDst_Click() {
    const DstRule rule = dstRule();
    run(WritingStatus, [&](DeviceUtilities& u) { return u.SetDst(rule); });
}

void frmClockSettings::reject() {
    if (busy_->running()) {
        return;
    }
    QDialog::reject();
}

void frmClockSettings::closeEvent(QCloseEvent* event) {
    if (busy_->running()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace bdx
