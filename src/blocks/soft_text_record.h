#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

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

// One message's 36 positions as the program stores them.
using SoftTextRow = std::array<std::uint8_t, kSoftTextFields>;

// An embedded field as stored: the marker's position, then the three data positions.
struct EmbeddedField {
    int position = 0;  // of the marker, 0..35
    int source = 0;
    int number = 0;
    int parameter = 0;

    bool operator==(const EmbeddedField&) const = default;
};

// The embedded fields of a message in position order. Data cut off by the end of the
// message read as 0.
std::vector<EmbeddedField> EmbeddedFields(const SoftTextRow& text);
std::vector<EmbeddedField> EmbeddedFields(const Program& program, int message);

// Characters the field's value takes on the display, marker positions included; 0 for a field
// the display cannot show. A value is as wide as its block's settings make it: counters and
// analog inputs gain a decimal point, hour meters show 999.99, 9999.9 or 99999 by resolution.
int EmbeddedFieldWidth(const Program& program, const EmbeddedField& field);

// The stored field a token of the insert dialog stands for (position 0); nothing for text
// that is no token. Date and time keep their choice in the number position too.
std::optional<EmbeddedField> ParseEmbeddedDataToken(const QString& token);

// What a field shows, in the printout's words: "C 5 :- Current Count ", "T 3 :- Preset Time",
// "V 3", "Date"; empty for a field that names nothing.
QString EmbeddedFieldDescription(const Program& program, const EmbeddedField& field);

}  // namespace bdx
