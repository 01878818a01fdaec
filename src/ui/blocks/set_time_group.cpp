#include "set_time_group.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "shell/language_table.h"

namespace bdx {
namespace {

// "SEC" is a word and follows the language; the two clock formats read the same in all of them.
constexpr int kSecondsTextId = 8222;
constexpr const char* kUnitNames[] = {nullptr, "MM:SS", "HH:MM"};
constexpr const char* kUnitObjectNames[] = {"Sec", "MinSec", "HourMin"};

QLineEdit* ValueField(const QString& name, int maxLength, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setAlignment(Qt::AlignRight);
    field->setMaxLength(maxLength);
    const int chars = std::max(maxLength, 3) + 1;
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars + 16);
    return field;
}

}  // namespace

SetTimeGroup::SetTimeGroup(const QString& prefix, QChar decimalSeparator, Prompter& prompter, QWidget* parent)
    : QGroupBox(parent), decimal_(decimalSeparator), prompter_(prompter) {
    auto* layout = new QGridLayout(this);
    auto* unitRow = new QHBoxLayout;
    for (std::size_t i = 0; i < units_.size(); ++i) {
        units_[i] = new QRadioButton(
            kUnitNames[i] != nullptr ? QString::fromLatin1(kUnitNames[i]) : LoadText(kSecondsTextId), this);
        units_[i]->setObjectName(QStringLiteral("opt%1%2").arg(prefix, QLatin1String(kUnitObjectNames[i])));
        unitRow->addWidget(units_[i]);
        connect(units_[i], &QRadioButton::toggled, this, [this](bool on) {
            if (on) {
                showFields();
            }
        });
        connect(units_[i], &QRadioButton::clicked, this, &SetTimeGroup::edited);
    }
    unitRow->addStretch();
    layout->addLayout(unitRow, 0, 0, 1, 2);

    setPoint_ = new QLabel(this);
    setPoint_->setObjectName(QStringLiteral("lbl%1SetPoint").arg(prefix));
    // "999.9" is the longest value: once a typed value is corrected to it, further keys add nothing.
    seconds_ = ValueField(QStringLiteral("txt%1Sec").arg(prefix), 5, this);
    high_ = ValueField(QStringLiteral("txt%1High").arg(prefix), 2, this);
    colon_ = new QLabel(QStringLiteral(":"), this);
    low_ = ValueField(QStringLiteral("txt%1Low").arg(prefix), 2, this);
    setPoint_->setBuddy(seconds_);
    auto* values = new QHBoxLayout;
    values->addWidget(seconds_);
    values->addWidget(high_);
    values->addWidget(colon_);
    values->addWidget(low_);
    values->addStretch();
    layout->addWidget(setPoint_, 1, 0);
    layout->addLayout(values, 1, 1);
    layout->setColumnStretch(1, 1);

    connect(seconds_, &QLineEdit::textEdited, this, &SetTimeGroup::secondsEdited);
    connect(high_, &QLineEdit::textEdited, this, &SetTimeGroup::edited);
    connect(low_, &QLineEdit::textEdited, this, &SetTimeGroup::lowEdited);

    units_[0]->setChecked(true);
    showFields();
}

void SetTimeGroup::setTime(const SetTime& time) {
    units_.at(static_cast<std::size_t>(time.unit))->setChecked(true);
    // The fields of the other units keep a zero value to start from.
    const QStringList fields = SetTimeFieldTexts(time, decimal_);
    const QStringList zero = SetTimeFieldTexts(SetTime{}, decimal_);
    if (time.unit == TimeUnit::Seconds) {
        seconds_->setText(fields.front());
        high_->setText(QStringLiteral("00"));
        low_->setText(QStringLiteral("00"));
    } else {
        seconds_->setText(zero.front());
        high_->setText(fields.at(0));
        low_->setText(fields.at(1));
    }
    showFields();
}

SetTime SetTimeGroup::time() const {
    const TimeUnit u = unit();
    return u == TimeUnit::Seconds ? ParseSetTime(u, seconds_->text(), QString(), decimal_)
                                  : ParseSetTime(u, high_->text(), low_->text(), decimal_);
}

TimeUnit SetTimeGroup::unit() const {
    for (std::size_t i = 0; i < units_.size(); ++i) {
        if (units_[i]->isChecked()) {
            return static_cast<TimeUnit>(i);
        }
    }
    return TimeUnit::Seconds;
}

void SetTimeGroup::setSetPointCaption(const QString& caption) {
    setPoint_->setText(caption);
    seconds_->setAccessibleName(caption);
    high_->setAccessibleName(caption + QLatin1String(" (1)"));
    low_->setAccessibleName(caption + QLatin1String(" (2)"));
}

void SetTimeGroup::showFields() {
    const bool seconds = unit() == TimeUnit::Seconds;
    seconds_->setVisible(seconds);
    high_->setVisible(!seconds);
    colon_->setVisible(!seconds);
    low_->setVisible(!seconds);
    setPoint_->setBuddy(seconds ? seconds_ : high_);
}

void SetTimeGroup::secondsEdited(const QString& text) {
    const QString corrected = CorrectSecondsEntry(text, decimal_, prompter_);
    if (corrected != text) {
        seconds_->setText(corrected);
    }
    Q_EMIT edited();
}

void SetTimeGroup::lowEdited(const QString& text) {
    const QString corrected = CorrectTwoDigitEntry(text, true);
    if (corrected != text) {
        low_->setText(corrected);
    }
    Q_EMIT edited();
}

}  // namespace bdx
