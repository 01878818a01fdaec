#include "clipboard_text.h"

#include <QStringView>

#include "grid.h"
#include "line_edit.h"

namespace bdx {

namespace {

constexpr QStringView kMarker = u" MarloCutCopyPaste: ";
constexpr QStringView kElementTag = u"Element: ";
constexpr QStringView kLineTag = u"Line: ";
constexpr QStringView kCountTag = u"Number of Elements: ";
constexpr QStringView kEntrySeparator = u", ";
constexpr QStringView kEntryValueSeparator = u": ";

// The element text carries the selected word and three words on either side of it.
constexpr int kElementReach = 3;
// Entry positions in an element text.
constexpr int kKindEntry = 0;
constexpr int kCoilFunctionEntry = kKindEntry + kElementReach;  // word before the selected one
constexpr int kSelectedWordEntry = kCoilFunctionEntry + 1;
constexpr int kFollowingWordEntry = kSelectedWordEntry + 1;

// `head` is everything before the count; the entries are labelled "c<label>+<i>: ".
QString clipboardText(QStringView head, const std::vector<std::uint16_t>& words, const QString& comment,
                      int label = 1) {
    const int count = static_cast<int>(words.size()) + (comment.isEmpty() ? 0 : 1);
    QString text;
    text += head;
    text += kCountTag;
    text += QString::number(count);
    const QString entryLabel = QStringLiteral("c%1+").arg(label);
    auto appendLabel = [&text, &entryLabel](int entry) {
        text += kEntrySeparator;
        text += entryLabel;
        text += QString::number(entry);
        text += kEntryValueSeparator;
    };
    for (int i = 0; i < static_cast<int>(words.size()); ++i) {
        appendLabel(i);
        text += QString::number(words[i]);
    }
    if (!comment.isEmpty()) {
        appendLabel(static_cast<int>(words.size()));
        text += comment;
    }
    return text;
}

// An unsigned 16-bit number in plain decimal; blanks and line breaks around it are tolerated,
// because a text that went through an editor often gains a line break at its end.
std::optional<std::uint16_t> parseWord(QStringView text) {
    text = text.trimmed();
    if (text.isEmpty()) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        value = value * 10 + (c.unicode() - u'0');
        if (value > 0xFFFF) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint16_t>(value);
}

// Line comments keep their line breaks as CR LF; a clipboard on the way may have turned them
// into bare LF (or CR).
QString withCrLfBreaks(QStringView text) {
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            result += QStringView(u"\r\n");
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
        } else {
            result += c;
        }
    }
    return result;
}

bool elementSelectionUsable(const EditorSelection& selection) {
    if (selection.CurrentCell < 0 || selection.CurrentCell >= kGridWords) {
        return false;
    }
    const int wordInLine = selection.CurrentCell % kWordsPerLine;
    switch (selection.SelectionKind) {
        case SelectionKinds::Contact:
            for (const int word : kContactWord) {
                if (wordInLine == word) {
                    return true;
                }
            }
            return false;
        case SelectionKinds::Coil:
            return wordInLine == kCoilLetterWord;
        default:
            return false;
    }
}

bool lineSelectionUsable(const EditorSelection& selection) {
    return selection.SelectedLine >= 0 && selection.SelectedLine < kLadderLines;
}

bool pasteElement(Program& program, const EditorSelection& selection, const ClipboardContent& content) {
    if (!elementSelectionUsable(selection) || content.Words[kKindEntry] != selection.SelectionKind) {
        return false;
    }
    const int cell = selection.CurrentCell;
    // A 0 stands for a position outside the grid where the text was made; it is never written.
    // Any other word must be a code its new place can hold, or nothing is written.
    const auto fits = [](int at, std::uint16_t value) {
        return value == 0 || IsGridCode(at % kWordsPerLine, value);
    };
    const bool coil = selection.SelectionKind == SelectionKinds::Coil;
    if ((coil && !fits(cell - 1, content.Words[kCoilFunctionEntry])) ||
        !fits(cell, content.Words[kSelectedWordEntry]) ||
        !fits(cell + 1, content.Words[kFollowingWordEntry])) {
        return false;
    }
    bool written = false;
    auto writeIfSet = [&](int at, std::uint16_t value) {
        if (value > 0) {
            program.LadderGrid[at] = value;
            written = true;
        }
    };
    if (coil) {
        writeIfSet(cell - 1, content.Words[kCoilFunctionEntry]);
    }
    writeIfSet(cell, content.Words[kSelectedWordEntry]);
    writeIfSet(cell + 1, content.Words[kFollowingWordEntry]);
    return written;
}

bool pasteLine(Program& program, const EditorSelection& selection, const ClipboardContent& content) {
    if (!lineSelectionUsable(selection)) {
        return false;
    }
    const int start = selection.SelectedLine * kWordsPerLine;
    for (int i = 0; i < kWordsPerLine; ++i) {
        program.LadderGrid[start + i] = content.Words[i];
    }
    // A text without a comment leaves the line's own comment in place.
    if (content.Comment) {
        program.LineComments[selection.SelectedLine] = *content.Comment;
    }
    return true;
}

}  // namespace

QString ElementClipboardText(const Program& program, int currentCell, int selectionKind) {
    std::vector<std::uint16_t> words;
    words.reserve(kElementEntries);
    words.push_back(static_cast<std::uint16_t>(selectionKind));
    for (int offset = -kElementReach; offset <= kElementReach; ++offset) {
        const long long cell = static_cast<long long>(currentCell) + offset;
        words.push_back(cell >= 0 && cell < kGridWords ? program.LadderGrid[cell] : 0);
    }
    return clipboardText(kMarker.toString() + kElementTag.toString(), words, QString());
}

QString LineClipboardText(const Program& program, int line) {
    if (line < 0 || line >= kLadderLines) {
        return QString();
    }
    const auto start = program.LadderGrid.begin() + line * kWordsPerLine;
    return clipboardText(kMarker.toString() + kLineTag.toString(), std::vector<std::uint16_t>(start, start + kWordsPerLine),
                         program.LineComments[line]);
}

namespace {

// The count and the entries of one element or line, from "Number of Elements: " on. With
// `commentToEnd` a line comment takes everything that is left, commas included; otherwise it
// ends at its first comma and the rest is not used.
std::optional<ClipboardContent> parseEntries(QStringView rest, bool isLine, int label, bool commentToEnd) {
    auto take = [&rest](QStringView piece) {
        if (!rest.startsWith(piece)) {
            return false;
        }
        rest = rest.mid(piece.size());
        return true;
    };
    // Everything up to the next comma, or to the end of the text.
    auto takeValue = [&rest]() {
        qsizetype end = rest.indexOf(u',');
        if (end < 0) {
            end = rest.size();
        }
        const QStringView value = rest.left(end);
        rest = rest.mid(end);
        return value;
    };

    ClipboardContent content;
    content.IsLine = isLine;
    if (!take(kCountTag)) {
        return std::nullopt;
    }
    const std::optional<std::uint16_t> count = parseWord(takeValue());
    const int wordCount = isLine ? kLineEntries : kElementEntries;
    const int maxCount = isLine ? kLineEntries + 1 : kElementEntries;
    if (!count || *count < wordCount || *count > maxCount) {
        return std::nullopt;
    }

    const QString entryLabel = QStringLiteral("c%1+").arg(label);
    content.Words.reserve(wordCount);
    for (int entry = 0; entry < *count; ++entry) {
        if (!take(kEntrySeparator) || !take(entryLabel) || !take(QString::number(entry)) ||
            !take(kEntryValueSeparator)) {
            return std::nullopt;
        }
        if (entry >= wordCount) {
            if (commentToEnd) {
                content.Comment = withCrLfBreaks(rest);
                rest = QStringView();
            } else {
                content.Comment = withCrLfBreaks(takeValue());
            }
            continue;
        }
        const std::optional<std::uint16_t> word = parseWord(takeValue());
        if (!word) {
            return std::nullopt;
        }
        content.Words.push_back(*word);
    }
    // A line is taken only when every word is a code its place in the line can hold.
    for (int w = 0; isLine && w < kWordsPerLine; ++w) {
        if (!IsGridCode(w, content.Words[w])) {
            return std::nullopt;
        }
    }
    // Whatever follows the last entry (the rest of a comment that held a comma) is not used; a
    // line of several, which ends where the next begins, has nothing there.
    if (commentToEnd && !rest.trimmed().isEmpty()) {
        return std::nullopt;
    }
    return content;
}

// ", Line 2/3: ": the head of every line of a text after its first.
QString furtherLineHead(int line, int count) {
    return QStringLiteral(", Line %1/%2: ").arg(line).arg(count);
}

}  // namespace

std::optional<ClipboardContent> ParseClipboardText(const QString& text) {
    QStringView rest(text);
    if (!rest.startsWith(kMarker)) {
        return std::nullopt;
    }
    rest = rest.mid(kMarker.size());
    bool isLine = false;
    if (rest.startsWith(kLineTag)) {
        isLine = true;
        rest = rest.mid(kLineTag.size());
    } else if (rest.startsWith(kElementTag)) {
        rest = rest.mid(kElementTag.size());
    } else {
        return std::nullopt;
    }
    return parseEntries(rest, isLine, 1, false);
}

QString LinesClipboardText(const Program& program, int first, int count) {
    if (first < 0 || count < 1 || first + count > kLadderLines) {
        return QString();
    }
    QString text = LineClipboardText(program, first);
    for (int k = 2; k <= count; ++k) {
        const int line = first + k - 1;
        const auto start = program.LadderGrid.begin() + line * kWordsPerLine;
        text += clipboardText(furtherLineHead(k, count), std::vector<std::uint16_t>(start, start + kWordsPerLine),
                              program.LineComments[line], k);
    }
    return text;
}

std::optional<std::vector<ClipboardContent>> ParseLinesClipboardText(const QString& text) {
    const QString lineStart = kMarker.toString() + kLineTag.toString();
    if (!text.startsWith(lineStart)) {
        return std::nullopt;
    }
    // The count of lines stands in the head of the second line; a text without one holds one
    // line. Only a whole head counts, so that a first comment that merely mentions a line is no
    // head.
    const QString secondHead = QStringLiteral(", Line 2/");
    const QString afterCount = QStringLiteral(": ") + kCountTag.toString();
    std::optional<std::uint16_t> count;
    for (qsizetype at = text.indexOf(secondHead); at >= 0 && !count; at = text.indexOf(secondHead, at + 1)) {
        const qsizetype countStart = at + secondHead.size();
        const qsizetype countEnd = text.indexOf(u':', countStart);
        if (countEnd > countStart && QStringView(text).mid(countEnd).startsWith(afterCount)) {
            count = parseWord(QStringView(text).mid(countStart, countEnd - countStart));
        }
    }
    if (!count) {
        std::optional<ClipboardContent> line = ParseClipboardText(text);
        if (!line) {
            return std::nullopt;
        }
        return std::vector<ClipboardContent>{*line};
    }
    if (*count < 2 || *count > kLadderLines) {
        return std::nullopt;
    }
    // Each line runs up to the head of the next one, so a comment keeps its commas.
    std::vector<QStringView> parts;
    QStringView rest = QStringView(text).mid(lineStart.size());
    for (int k = 2; k <= *count; ++k) {
        const QString head = furtherLineHead(k, *count);
        const qsizetype at = rest.indexOf(head);
        if (at < 0) {
            return std::nullopt;
        }
        parts.push_back(rest.left(at));
        rest = rest.mid(at + head.size());
    }
    parts.push_back(rest);

    std::vector<ClipboardContent> lines;
    lines.reserve(parts.size());
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::optional<ClipboardContent> line = parseEntries(parts[i], true, int(i) + 1, true);
        if (!line) {
            return std::nullopt;
        }
        lines.push_back(std::move(*line));
    }
    return lines;
}

std::optional<QString> PerformCutCopy(Program& program, const EditorSelection& selection, bool cut,
                                      bool lineMode) {
    if (lineMode) {
        if (!lineSelectionUsable(selection)) {
            return std::nullopt;
        }
        QString text = LineClipboardText(program, selection.SelectedLine);
        if (cut) {
            // Removing the line empties it as well: the lines below take its place.
            RemoveLine(program, selection.SelectedLine);
        }
        return text;
    }

    if (!elementSelectionUsable(selection)) {
        return std::nullopt;
    }
    QString text = ElementClipboardText(program, selection.CurrentCell, selection.SelectionKind);
    if (cut) {
        const int cell = selection.CurrentCell;
        if (selection.SelectionKind == SelectionKinds::Coil) {
            program.LadderGrid[cell - 1] = CellEmpty;
        }
        program.LadderGrid[cell] = CellEmpty;
        program.LadderGrid[cell + 1] = CellEmpty;
    }
    return text;
}

bool PerformPaste(Program& program, const EditorSelection& selection, const QString& text, bool lineMode) {
    const std::optional<ClipboardContent> content = ParseClipboardText(text);
    if (!content || content->IsLine != lineMode) {
        return false;
    }
    return lineMode ? pasteLine(program, selection, *content) : pasteElement(program, selection, *content);
}

}  // namespace bdx
