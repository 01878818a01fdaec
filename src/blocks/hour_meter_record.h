#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "ladder/program.h"
#include "shell/prompter.h"

// The hour meter record as its dialog edits it. Messages go through the Prompter.
namespace bdx {

// What one count of the preset stands for: 36 seconds, 6 minutes or 1 hour.
enum HourMeterResolution { Resolution36Sec = 0, Resolution6Min = 1, Resolution1Hr = 2 };
inline constexpr int kHourMeterResolutions = 3;
inline constexpr int kHourMeterDigits = 5;
inline constexpr int kLargestHourMeterCount = 99999;

struct HourMeterRecord {
    int resolution = Resolution36Sec;
    std::array<std::uint8_t, kHourMeterDigits> digits{};  // most significant first
    bool locked = false;

    int count() const;
    bool operator==(const HourMeterRecord&) const = default;
};

HourMeterRecord ReadHourMeter(const Program& program, int meter);

// The preset in seconds, the unit in which the running simulation accumulates time.
qint64 HourMeterPresetSeconds(const HourMeterRecord& record);

// The preset as the dialog shows it: "000.00", "0000.0" or "00000" by resolution.
QString HourMeterPresetText(const HourMeterRecord& record, const QString& separator = QStringLiteral("."));
// "999.99", "9999.9" or "99999".
QString LargestHourMeterPresetText(int resolution, const QString& separator = QStringLiteral("."));

// A typed preset above the resolution's largest value: tells the user the largest value and
// returns it in place of the typed text. Either decimal point is accepted.
QString CapHourMeterPresetEntry(const QString& typed, int resolution, Prompter& prompter,
                                const QString& separator = QStringLiteral("."));

// The same digits with the separator where the new resolution puts it (12345 -> 123.45).
QString ChangeHourMeterResolution(const QString& text, int resolution,
                                  const QString& separator = QStringLiteral("."));

// The preset text in the form of `resolution` ("000.00", "0000.0" or "00000"): the typed value
// rounded to the resolution's decimals and held to 0..largest. Text that is no number counts as 0.
QString NormalHourMeterPresetText(const QString& typed, int resolution,
                                  const QString& separator = QStringLiteral("."));

// An accumulated time shown in whole counts of `resolution`, in the preset's form; a time
// beyond five digits shows the largest.
QString HourMeterTimeText(double seconds, int resolution, const QString& separator = QStringLiteral("."));

// The five digits of the preset text: the text without separator, padded to "00000".
std::array<std::uint8_t, kHourMeterDigits> HourMeterDigitsOfText(const QString& text);

// Saves meter 0..3: refuses a zero preset outside simulation, then writes the resolution, the
// locked flag, the digits, the comment and ProgramModified. The in-use bit stays.
Refusal SaveHourMeter(Program& program, int meter, const HourMeterRecord& record, const QString& comment,
                      bool simulation);

// Question before leaving a meter with unsaved edits; `meterNumber` is 1-based.
QString SaveHourMeterQuestion(int meterNumber);

}  // namespace bdx
