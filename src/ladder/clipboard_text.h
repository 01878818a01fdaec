#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "program.h"

// Plain-text form of a ladder element or line on the clipboard, and the cut, copy and paste
// operations built on it. The text is the exchange format between running instances of the
// application, so its layout is fixed to the character.
namespace bdx {

// Values of SelectionKind.
namespace SelectionKinds {
inline constexpr int Contact = 0, Junction = 1, Coil = 2;
}

// What the editor has selected.
struct EditorSelection {
    int CurrentCell = 0;  // ContactCode word of a contact position, CoilLetter word of a coil
    int SelectionKind = SelectionKinds::Contact;
    int SelectedLine = -1;  // 0-based line that holds the selection, -1 when there is none
};

inline constexpr int kElementEntries = 8;
inline constexpr int kLineEntries = kWordsPerLine;  // one more when the line comment is carried

// Text of the selected element: its kind, then the seven grid words around `currentCell`
// (0 for a position outside the grid).
QString ElementClipboardText(const Program& program, int currentCell, int selectionKind);

// Text of line `line` (0-based): its 12 words and, when it has one, its comment. Empty for a
// line outside the grid.
QString LineClipboardText(const Program& program, int line);

// A clipboard text taken apart.
struct ClipboardContent {
    bool IsLine = false;               // a "Line: " text, otherwise an "Element: " text
    std::vector<std::uint16_t> Words;  // 8 entries of an element, 12 of a line
    std::optional<QString> Comment;    // the line comment, when the text carries one
};

// Parses a clipboard text; nothing when it is not one of ours, lacks an entry, holds a value
// that is not an unsigned 16-bit number, or is a line with a word that is no grid code for its
// place. A comment runs up to the first comma after it.
std::optional<ClipboardContent> ParseClipboardText(const QString& text);

// Text of `count` lines from `first` (0-based). One line gives exactly LineClipboardText; every
// further line k of n follows as ", Line k/n: Number of Elements: ..." with its entries labelled
// "c<k>+", so a reader of the one-line text still finds the first line and ignores the rest.
// Empty when the lines do not lie in the grid.
QString LinesClipboardText(const Program& program, int first, int count);

// Parses a line text of one or more lines; nothing when it is no line text or any of its lines
// is unusable. A one-line text reads as ParseClipboardText reads it; in a text of several lines
// each comment runs up to the next line's head, commas included.
std::optional<std::vector<ClipboardContent>> ParseLinesClipboardText(const QString& text);

// Copies (or, with `cut`, cuts) the selected element or, in line mode, the selected line, and
// returns the text for the clipboard; a line cut removes the line. Nothing without a usable
// selection. The editor's edit path records the undo point and refuses while a simulation runs.
std::optional<QString> PerformCutCopy(Program& program, const EditorSelection& selection, bool cut,
                                      bool lineMode);

// Pastes a clipboard text onto the selected element or, in line mode, the selected line.
// A text that does not fit, or would put a word where its code cannot stand, changes nothing. Returns true
// when the program was written.
bool PerformPaste(Program& program, const EditorSelection& selection, const QString& text, bool lineMode);

}  // namespace bdx
