#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

#include "ladder/program.h"
#include "shell/prompter.h"

// Soft text messages: the 36 positions of a message as three lines of text, and the
// embedded-data token the insert dialog builds. Messages go through the Prompter.
namespace bdx {

inline constexpr int kSoftTextLines = 3;
inline constexpr int kSoftTextLineLength = 12;
// Embedded data: four positions starting with the grave accent, then the source, the block
// number (analog: the input) and the value shown.
inline constexpr std::uint8_t kEmbeddedDataMarker = 96;
inline constexpr char16_t kEmbeddedTokenMarker = u'`';
namespace EmbeddedSource {
inline constexpr int Timer = 1, Counter = 2, AnalogInput = 4, DateTime = 7, HourMeter = 8;
}
// The parameter choice of the insert dialog when none is ticked.
inline constexpr int kNoEmbeddedParameter = 255;

// Message 0..15 as three lines of twelve characters. Every position gives one character, the
// data positions after a marker included, so the lines write back unchanged.
QStringList SoftTextLines(const Program& program, int message);
// Writes the lines to message 0..15: each cut or padded with blanks to twelve characters,
// missing lines blank, characters outside the code page as "?".
void SetSoftTextLines(Program& program, int message, const QStringList& lines);

// The source options of the insert dialog.
enum class EmbeddedChoice { Timer, Counter, HourMeter, Analog, Date, Time };

struct EmbeddedDataRequest {
    EmbeddedChoice choice = EmbeddedChoice::Timer;
    int number = 0;  // 1-based block number or analog input; 0 = none chosen
    int parameter = kNoEmbeddedParameter;
};

// What the insert dialog's OK inserts: the marker, the source digit, the number right-aligned
// in two characters and the parameter digit ("`2 51" for counter 5's count); an analog input
// gives the marker, "4", its digit and "x"; date and time "`7 0" and "`7 1". When a choice is
// missing, no token and the message that says which.
struct EmbeddedToken {
    std::optional<QString> token;
    Refusal refusal;
};
EmbeddedToken MakeEmbeddedDataToken(const EmbeddedDataRequest& request);
// The same for the dialog: the refusal is shown.
std::optional<QString> BuildEmbeddedDataToken(const EmbeddedDataRequest& request, Prompter& prompter);

// The words that name a timer's type in the insert dialog; types with an ON and an OFF time
// name the one the parameter picks (2 = ON). Empty for an unknown type.
QString EmbeddedTimerWords(int type, int parameter);

}  // namespace bdx
