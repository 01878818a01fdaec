#pragma once

#include <QGroupBox>
#include <array>

#include "blocks/timer_record.h"

class QLabel;
class QLineEdit;
class QRadioButton;

namespace bdx {

class Prompter;

// The "On Time" or "Off Time" frame of the timer dialog: the unit option buttons "SEC",
// "MM:SS", "HH:MM" and the value fields, one "000.0" field for seconds, two "00" fields
// otherwise. Typed values are corrected as they are typed, by the timer record's rules.
class SetTimeGroup : public QGroupBox {
    Q_OBJECT
  public:
    // `prefix` names the controls: "On" gives optOnSec, txtOnSec, txtOnHigh, txtOnLow.
    SetTimeGroup(const QString& prefix, QChar decimalSeparator, Prompter& prompter, QWidget* parent = nullptr);

    void setTime(const SetTime& time);
    // The fields as they stand, read into digits.
    SetTime time() const;
    TimeUnit unit() const;
    // "SP", "SP ON" or "SP OFF" before the value fields.
    void setSetPointCaption(const QString& caption);

    QRadioButton* unitButton(TimeUnit unit) const { return units_.at(static_cast<std::size_t>(unit)); }
    QLineEdit* secondsField() const { return seconds_; }
    QLineEdit* highField() const { return high_; }
    QLineEdit* lowField() const { return low_; }

  Q_SIGNALS:
    // The user changed the unit or a value.
    void edited();

  private:
    void showFields();
    void secondsEdited(const QString& text);
    void lowEdited(const QString& text);

    QChar decimal_;
    Prompter& prompter_;
    std::array<QRadioButton*, 3> units_{};
    QLabel* setPoint_;
    QLineEdit* seconds_;
    QLineEdit* high_;
    QLabel* colon_;
    QLineEdit* low_;
};

}  // namespace bdx
