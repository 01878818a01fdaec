#pragma once

#include <QChar>
#include <QDate>
#include <QLocale>

namespace bdx {

// Values recorded once at start-up for typing and showing numbers and dates.
struct StartupValues {
    QDate today;
    QChar decimalSeparator = u'.';
};

// The decimal separator is the second character of one half written in the locale.
StartupValues RecordStartupValues(const QLocale& locale, const QDate& today);

// The values of this run, recorded by the application at start-up.
const StartupValues& CurrentStartupValues();
void SetCurrentStartupValues(const StartupValues& values);

}  // namespace bdx
