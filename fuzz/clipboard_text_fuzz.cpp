// libFuzzer target for the clipboard text reader (text pasted from another instance, or from
// anywhere else). What it accepts must come back unchanged when written as a clipboard text
// again, a line must hold only codes its places can take, and pasting any text as an element
// or as a line must leave only codes the grid can hold where it wrote.
#include <cstdint>

#include "fuzz_require.h"
#include "ladder/clipboard_text.h"
#include "ladder/grid.h"

namespace {

using namespace bdx;

// An empty comment is written as none; both mean "no comment" to the paste.
QString commentOf(const ClipboardContent& content) {
    return content.Comment.value_or(QString());
}

void requireWrittenAgain(const ClipboardContent& content) {
    Program program;
    QString text;
    if (content.IsLine) {
        constexpr int kLine = 7;
        for (int w = 0; w < kWordsPerLine; ++w) {
            FUZZ_REQUIRE(IsGridCode(w, content.Words[static_cast<std::size_t>(w)]));
            program.LadderGrid[kLine * kWordsPerLine + w] = content.Words[static_cast<std::size_t>(w)];
        }
        program.LineComments[kLine] = commentOf(content);
        text = LineClipboardText(program, kLine);
    } else {
        // The seven words around a coil letter well inside the grid.
        const int cell = 20 * kWordsPerLine + kCoilLetterWord;
        for (int i = 1; i < kElementEntries; ++i) {
            program.LadderGrid[cell - 4 + i] = content.Words[static_cast<std::size_t>(i)];
        }
        text = ElementClipboardText(program, cell, content.Words[0]);
    }
    const std::optional<ClipboardContent> again = ParseClipboardText(text);
    FUZZ_REQUIRE(again.has_value());
    FUZZ_REQUIRE(again->IsLine == content.IsLine && again->Words == content.Words);
    FUZZ_REQUIRE(commentOf(*again) == commentOf(content));
}

void requirePasteKeepsGrid(const QString& text, const EditorSelection& selection, bool lineMode) {
    static Program program;
    program.LadderGrid.fill(CellEmpty);
    const bool written = PerformPaste(program, selection, text, lineMode);
    for (int i = 0; i < kGridWords; ++i) {
        const std::uint16_t word = program.LadderGrid[static_cast<std::size_t>(i)];
        FUZZ_REQUIRE(word == CellEmpty || (written && IsGridCode(i % kWordsPerLine, word)));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<ClipboardContent> content = ParseClipboardText(text);
    if (content) {
        FUZZ_REQUIRE(content->Words.size() == std::size_t(content->IsLine ? kLineEntries : kElementEntries));
        FUZZ_REQUIRE(!content->Comment || (content->IsLine && !content->Comment->contains(u',')));
        requireWrittenAgain(*content);
    }
    // Pasted at the edges of the grid (first contact, last coil, last line) and in line mode.
    requirePasteKeepsGrid(text, {0, SelectionKinds::Contact, 0}, false);
    requirePasteKeepsGrid(text, {kGridWords - kWordsPerLine + kCoilLetterWord, SelectionKinds::Coil, kLadderLines - 1},
                          false);
    requirePasteKeepsGrid(text, {0, SelectionKinds::Contact, kLadderLines - 1}, true);
    return 0;
}
