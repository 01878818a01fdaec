#include "startup_values.h"

namespace bdx {

namespace {
StartupValues g_values;
}

StartupValues RecordStartupValues(const QLocale& locale, const QDate& today) {
    StartupValues values;
    values.today = today;
    const QString half = locale.toString(0.5, 'f', 1);
    if (half.size() >= 2) {
        values.decimalSeparator = half[1];
    }
    return values;
}

const StartupValues& CurrentStartupValues() {
    return g_values;
}

void SetCurrentStartupValues(const StartupValues& values) {
    g_values = values;
}

}  // namespace bdx
