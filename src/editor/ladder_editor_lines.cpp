// The line selection that reaches over several lines, its clipboard commands, and the number of
// lines the window shows.
#include <algorithm>

#include "ladder/grid.h"
#include "ladder/line_edit.h"
#include "ladder_editor.h"
#include "shell/language_table.h"
#include "shell/prompter.h"

namespace bdx {

namespace {

enum TextId {
    NothingToPaste = 8070,
    LinesNeedLineSelection = 8071,
    ElementNeedsPosition = 8072,
    LinesDoNotFit = 8073,
};

}  // namespace

void LadderEditor::extendLineSelection(int line) {
    const int anchor = lineSelected_ ? lineAnchor_ : selection_.line;
    GridPosition position = selection_;
    position.line = line;
    choose(position, true, anchor);
}

int LadderEditor::FirstSelectedLine() const {
    return lineSelected_ ? std::min(lineAnchor_, selection_.line) : selection_.line;
}

int LadderEditor::LastSelectedLine() const {
    return lineSelected_ ? std::max(lineAnchor_, selection_.line) : selection_.line;
}

void LadderEditor::setShownLines(int lines) {
    lines = std::clamp(lines, 1, kLadderLines);
    if (lines == shownLines_) {
        return;
    }
    // A selection in view stays in view; otherwise the top line stays where the user left it.
    const bool selectionShown = selection_.line >= topLine_ && selection_.line < topLine_ + shownLines_;
    shownLines_ = lines;
    topLine_ = std::clamp(topLine_, 0, LastTopLine());
    if (selectionShown && selection_.line >= topLine_ + shownLines_) {
        topLine_ = selection_.line - shownLines_ + 1;
    }
    Q_EMIT selectionChanged();
}

std::optional<QString> LadderEditor::cutLines() {
    const int first = FirstSelectedLine();
    const int count = SelectedLineCount();
    QString text = LinesClipboardText(program(), first, count);
    if (text.isEmpty()) {
        return std::nullopt;
    }
    // A cut keeps what the lines hold (a message text, say) for the paste that may follow.
    applyEdit([first, count](Program& changed) {
        for (int i = 0; i < count; ++i) {
            RemoveLine(changed, first);
        }
    });
    if (count > 1) {
        selectLine(first);
    }
    return text;
}

bool LadderEditor::pasteLines(const QString& text) {
    const std::optional<std::vector<ClipboardContent>> lines = ParseLinesClipboardText(text);
    if (!lines) {
        const std::optional<ClipboardContent> element = ParseClipboardText(text);
        prompter_.inform(LoadText(element && !element->IsLine ? ElementNeedsPosition : NothingToPaste));
        return false;
    }
    // The lines overwrite the selected line and those below it, as one line does.
    const int first = FirstSelectedLine();
    const int count = static_cast<int>(lines->size());
    if (first + count > kLadderLines) {
        prompter_.inform(LoadText(LinesDoNotFit).arg(count).arg(first + 1).arg(kLadderLines - count + 1));
        return false;
    }
    const bool pasted = applyEdit([&lines, first](Program& changed) {
        for (std::size_t i = 0; i < lines->size(); ++i) {
            const ClipboardContent& line = (*lines)[i];
            const int target = first + static_cast<int>(i);
            std::copy(line.Words.begin(), line.Words.end(), changed.LadderGrid.begin() + target * kWordsPerLine);
            // A line without a comment leaves the comment in place.
            if (line.Comment) {
                changed.LineComments[target] = *line.Comment;
            }
        }
    });
    GridPosition last = selection_;
    last.line = first + count - 1;
    choose(last, true, first);
    return pasted;
}

bool LadderEditor::elementTextUsable(const QString& text) {
    const std::optional<ClipboardContent> content = ParseClipboardText(text);
    if (!content) {
        prompter_.inform(LoadText(NothingToPaste));
        return false;
    }
    if (content->IsLine) {
        prompter_.inform(LoadText(LinesNeedLineSelection));
        return false;
    }
    return true;
}

}  // namespace bdx
