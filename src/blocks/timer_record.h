#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

#include "ladder/program.h"
#include "shell/prompter.h"

// The timer parameter record as the timer dialog, the monitors and the simulation see it.
// Block numbers are 0-based (T1 is 0) throughout.
namespace bdx {

inline constexpr int kTimerTypes = 14;  // A..N

enum class TimeUnit : std::uint8_t { Seconds = 0, MinutesSeconds = 1, HoursMinutes = 2 };

// One set time: its unit and the four stored digits. Seconds keep tenths (d1 d2 d3 . d4);
// the other units keep two 2-digit numbers (d1 d2 : d3 d4).
struct SetTime {
    TimeUnit unit = TimeUnit::Seconds;
    std::array<std::uint8_t, 4> digits{};

    bool operator==(const SetTime&) const = default;
};

struct TimerRecord {
    int type = 0;  // 0..13, letter 'A' + type
    SetTime on;
    SetTime off;  // only types D..H use it
    bool locked = false;
    bool inUse = false;  // read only: the usage scan owns it
    QString comment;

    char letter() const { return static_cast<char>('A' + type); }
    bool operator==(const TimerRecord&) const = default;
};

// Reads timer `index`. Bytes a damaged file may hold are read as the nearest valid value:
// an unknown type as A, an unknown unit as seconds, a digit above 9 as 9.
TimerRecord DecodeTimer(const Program& program, int index);

// The dialog's save: units (the OFF nibble only for two-time types), ON digits, OFF digits
// (two-time types only), type, the locked bit, the comment; marks the program modified.
// The in-use bit and the other flag bits stay as they are.
void EncodeTimer(Program& program, int index, const TimerRecord& record);

// Types D..H run an ON and an OFF time; the others only the ON time.
bool TimerHasOffTime(int type);
// Name in the mode grid, in the current language where the text table has it; A..C have fixed
// Portuguese and Polish names.
QString TimerTypeName(int type);
// Heading and first paragraph of the "Mode Description" box; fixed English.
QString TimerModeTitle(int type);
QString TimerModeSummary(int type);
// The whole "Mode Description" box: the title, then the summary and the trigger, reset and
// restart rules, each section beginning " - ".
QString TimerModeDescription(int type);
// Key of the timing-diagram picture.
QString TimerPictureKey(int type);
// Caption of the set-time frame: "SP" for one-time types, "SP ON" / "SP OFF" otherwise.
QString SetTimeCaption(int type, bool offTime);

// " s", " m:s", " h:m" after a value in the monitors; "SEC", "MM:SS", "HH:MM" in printouts.
QString TimeUnitSuffix(TimeUnit unit);
QString TimeUnitPrintName(TimeUnit unit);

// "012.5" (with the given decimal separator), "01:30".
QString FormatSetTime(const SetTime& time, QChar decimalSeparator = QLatin1Char('.'));
// The dialog's value fields: one "000.0" field for seconds, two "00" fields otherwise.
QStringList SetTimeFieldTexts(const SetTime& time, QChar decimalSeparator);
// The dialog's fields back into digits at save: seconds rounded to tenths and held to
// 000.0..999.9 (either separator accepted), 2-digit fields held to 00..99 and the second
// one to 59. Empty or unreadable fields count as 0; `second` is ignored for seconds.
SetTime ParseSetTime(TimeUnit unit, const QString& first, const QString& second, QChar decimalSeparator);

// The preset the simulation times against, in hundredths of a second.
int PresetHundredths(const SetTime& time);

// What a typed seconds value becomes: above 999.9 it is set back to "999.9" after the message
// "Maximum Value is 999.9"; anything else stays as typed.
QString CorrectSecondsEntry(const QString& typed, QChar decimalSeparator, Prompter& prompter);
// The second 2-digit field (seconds of MM:SS, minutes of HH:MM) is held to "59" silently.
QString CorrectTwoDigitEntry(const QString& typed, bool secondField);

// "Save Timer 3 ?" for index 2: the Yes/No question when the user leaves an edited timer.
QString SaveTimerQuestion(int index);

}  // namespace bdx
