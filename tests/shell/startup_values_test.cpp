#include "shell/startup_values.h"

#include <gtest/gtest.h>

namespace bdx {
namespace {

TEST(StartupValuesTest, DecimalSeparatorFollowsTheLocale) {
    const QDate day(2026, 12, 6);
    EXPECT_EQ(RecordStartupValues(QLocale(QLocale::English, QLocale::UnitedStates), day).decimalSeparator,
              u'.');
    EXPECT_EQ(RecordStartupValues(QLocale(QLocale::Polish, QLocale::Poland), day).decimalSeparator, u',');
    EXPECT_EQ(RecordStartupValues(QLocale(QLocale::Portuguese, QLocale::Brazil), day).decimalSeparator, u',');
    EXPECT_EQ(RecordStartupValues(QLocale::c(), day).today, day);
}

}  // namespace
}  // namespace bdx
