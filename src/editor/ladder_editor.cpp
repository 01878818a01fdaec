#include "ladder_editor.h"

#include <algorithm>
#include <array>

#include "ladder/grid.h"
#include "ladder/line_edit.h"
#include "shell/language_table.h"
#include "shell/prompter.h"

namespace bdx {

namespace {

enum TextId {
    LastLineInUse = 4224,
    SelectCategory = 4228,
    InvalidNumber = 4229,
    NothingFound = 4230,
    WholeDocumentSearched = 4231,
    LinesDoNotFitBelow = 8074,
};

// Positions a line offers to the arrow keys, left to right.
constexpr int kPositionsPerLine = 2 * kContactColumns + 1;

// A soft text message position that holds nothing shows a blank.
constexpr std::uint8_t kSoftTextBlank = 32;

constexpr std::uint16_t kJunctionBits = JunctionLeft | JunctionUp | JunctionRight | JunctionDown;

bool isJunctionWord(std::uint16_t word) {
    return (word & ~kJunctionBits) == JunctionBase;
}

void setJunctionBits(std::uint16_t& word, std::uint16_t bits) {
    if (!isJunctionWord(word)) {
        word = JunctionBase;
    }
    word |= bits;
}

void clearJunctionBits(std::uint16_t& word, std::uint16_t bits) {
    if (isJunctionWord(word)) {
        word &= static_cast<std::uint16_t>(~bits);
    }
}

bool hasUpLink(std::uint16_t word) {
    return isJunctionWord(word) && (word & JunctionUp) != 0;
}

int lineOfCell(int cell) {
    return cell / kWordsPerLine;
}

int coilLetterCell(int line) {
    return line * kWordsPerLine + kCoilLetterWord;
}

bool numberFits(Operand kind, std::uint16_t numberWord) {
    const int index = DecodeOperandNumber(numberWord);
    return index >= 0 && index < operandInfo(kind).count;
}

// Empties a contact position and takes away the connections placing it made: its output into
// its own junction and the feed from the junction on its left. An empty position stays as it is.
void clearContact(Program& program, int cell) {
    auto& grid = program.LadderGrid;
    if (grid[cell] == CellEmpty) {
        return;
    }
    grid[cell] = CellEmpty;
    grid[cell + kNumberWordOffset] = CellEmpty;
    clearJunctionBits(grid[cell + kJunctionWordOffset], JunctionLeft);
    if (cell % kWordsPerLine != kContactWord[0]) {
        clearJunctionBits(grid[cell - 1], JunctionRight);
    }
}

bool anyMessageCoil(const Program& program, int message) {
    for (int line = 0; line < kLadderLines; ++line) {
        if (program.word(line, kCoilLetterWord) == 'X' &&
            DecodeOperandNumber(program.word(line, kCoilNumberWord)) == message) {
            return true;
        }
    }
    return false;
}

// Empties the coil of a line. A soft text message whose last coil goes loses its text.
void clearCoil(Program& program, int line) {
    std::uint16_t& function = program.word(line, kCoilFunctionWord);
    std::uint16_t& letter = program.word(line, kCoilLetterWord);
    std::uint16_t& number = program.word(line, kCoilNumberWord);
    const bool message = letter == 'X';
    const int index = DecodeOperandNumber(number);
    function = CoilNone;
    letter = CellEmpty;
    number = CellEmpty;
    if (message && index >= 0 && index < kSoftTexts && !anyMessageCoil(program, index)) {
        program.SoftTextParams[index].fill(kSoftTextBlank);
    }
}

std::uint16_t defaultCoilFunction(std::uint16_t letter) {
    switch (letter) {
        case 'C':
            return CoilCount;
        case 'H':
            return CoilEnable;
        case 'T':
            return CoilTrigger;
        default:  // Q, U, V, W, M contactor; the trigger of a soft text message
            return CoilContactor;
    }
}

bool functionAllowed(std::uint16_t letter, std::uint16_t function) {
    auto oneOf = [function](std::initializer_list<std::uint16_t> codes) {
        return std::find(codes.begin(), codes.end(), function) != codes.end();
    };
    switch (letter) {
        case 'Q':
        case 'U':
        case 'V':
        case 'W':
            return oneOf({CoilContactor, CoilImpulse, CoilSet, CoilReset});
        case 'M':
            return oneOf({CoilContactor, CoilImpulse, CoilSet, CoilReset, CoilImpulseRetentive,
                          CoilSetRetentive, CoilResetRetentive});
        case 'T':
            return oneOf({CoilTrigger, CoilReset});
        case 'X':
            return oneOf({CoilContactor, CoilReset});
        case 'C':
            return oneOf({CoilCount, CoilReset, CoilDirection});
        case 'H':
            return oneOf({CoilEnable, CoilReset, CoilResetAll});
        default:
            return false;
    }
}

std::optional<BlockRef> blockAt(const Program& program, const GridPosition& position) {
    if (position.kind == SelectionKinds::Junction) {
        return std::nullopt;
    }
    const int cell = CellOf(position);
    const std::optional<Operand> kind = OperandForCode(program.LadderGrid[cell]);
    if (!kind) {
        return std::nullopt;
    }
    switch (*kind) {
        case Operand::A:
        case Operand::C:
        case Operand::H:
        case Operand::P:
        case Operand::T:
        case Operand::X:
        case Operand::Clock:
            break;
        default:
            return std::nullopt;
    }
    const std::uint16_t numberWord = program.LadderGrid[cell + kNumberWordOffset];
    if (!numberFits(*kind, numberWord)) {
        return std::nullopt;
    }
    return BlockRef{*kind, DecodeOperandNumber(numberWord)};
}

}  // namespace

// ---- geometry ----

int CellOf(const GridPosition& position) {
    const int lineStart = position.line * kWordsPerLine;
    switch (position.kind) {
        case SelectionKinds::Coil:
            return lineStart + kCoilLetterWord;
        case SelectionKinds::Junction:
            return lineStart + kContactWord[position.column] + kJunctionWordOffset;
        default:
            return lineStart + kContactWord[position.column];
    }
}

std::optional<GridPosition> PositionOfCell(int cell) {
    if (cell < 0 || cell >= kGridWords) {
        return std::nullopt;
    }
    const int line = lineOfCell(cell);
    const int word = cell % kWordsPerLine;
    if (word >= kCoilFunctionWord) {
        return GridPosition{SelectionKinds::Coil, line, 0};
    }
    const int column = word / 3;
    const int kind = word % 3 == kJunctionWordOffset ? SelectionKinds::Junction : SelectionKinds::Contact;
    return GridPosition{kind, line, column};
}

JunctionArea JunctionAreaAt(double x, double y) {
    if (y < 1.0 / 3.0) {
        return JunctionArea::Up;
    }
    if (y > 2.0 / 3.0) {
        return JunctionArea::Down;
    }
    return x < 0.5 ? JunctionArea::Left : JunctionArea::Right;
}

// ---- find categories ----

const std::vector<FindCategory>& FindCategories() {
    static const std::vector<FindCategory> categories = [] {
        std::vector<FindCategory> list;
        auto letter = [&list](const char* name, char code, Operand kind) {
            const auto open = static_cast<std::uint16_t>(static_cast<unsigned char>(code));
            list.push_back({name, open, NormallyClosedCode(open), operandInfo(kind).count});
        };
        letter("A", 'A', Operand::A);
        letter("C", 'C', Operand::C);
        letter("I", 'I', Operand::I);
        letter("J", 'J', Operand::J);
        letter("K", 'K', Operand::K);
        letter("L", 'L', Operand::L);
        letter("M", 'M', Operand::M);
        letter("P", 'P', Operand::P);
        letter("Q", 'Q', Operand::Q);
        list.push_back({"RTC", ClockContactOpen, ClockContactClosed, operandInfo(Operand::Clock).count});
        letter("T", 'T', Operand::T);
        letter("U", 'U', Operand::U);
        letter("V", 'V', Operand::V);
        letter("W", 'W', Operand::W);
        letter("Z", 'Z', Operand::Z);
        letter("X", 'X', Operand::X);
        letter("H", 'H', Operand::H);
        return list;
    }();
    return categories;
}

// ---- the editor ----

LadderEditor::LadderEditor(ProgramDocument& document, Prompter& prompter)
    : document_(document), prompter_(prompter) {
    connect(&document_, &ProgramDocument::undoStateChanged, this, &LadderEditor::undoStateChanged);
    // New, Open, undo and redo put a whole program in place: check it once.
    connect(&document_, &ProgramDocument::programReplaced, this, &LadderEditor::afterChange);
}

// ---- view and selection ----

void LadderEditor::setTopLine(int line) {
    topLine_ = std::clamp(line, 0, LastTopLine());
    Q_EMIT selectionChanged();
}

int LadderEditor::SelectionIndex() const {
    const int shownLine = selection_.line - topLine_;
    if (shownLine < 0 || shownLine >= shownLines_) {
        return -1;
    }
    if (selection_.kind == SelectionKinds::Coil) {
        return shownLine;
    }
    return shownLine * kContactColumns + selection_.column;
}

void LadderEditor::selectLine(int line) {
    GridPosition position = selection_;
    position.line = line;
    choose(position, true);
}

EditorSelection LadderEditor::clipboardSelection() const {
    return {CurrentCell(), selection_.kind, selection_.line};
}

void LadderEditor::select(const GridPosition& position) {
    choose(position, false);
}

void LadderEditor::choose(const GridPosition& position, bool wholeLine, std::optional<int> anchor) {
    GridPosition chosen = position;
    chosen.kind = std::clamp(chosen.kind, int(SelectionKinds::Contact), int(SelectionKinds::Coil));
    chosen.line = std::clamp(chosen.line, 0, kLadderLines - 1);
    chosen.column =
        chosen.kind == SelectionKinds::Coil ? 0 : std::clamp(chosen.column, 0, kContactColumns - 1);
    selection_ = chosen;
    lineSelected_ = wholeLine;
    lineAnchor_ = std::clamp(anchor.value_or(chosen.line), 0, kLadderLines - 1);
    if (chosen.line < topLine_) {
        topLine_ = chosen.line;
    } else if (chosen.line >= topLine_ + shownLines_) {
        topLine_ = chosen.line - shownLines_ + 1;
    }
    // Q_EMIT expands to nothing, so the check measures the call's column, not the statement's.
    Q_EMIT selectionChanged();  // NOLINT(readability-misleading-indentation)
}

void LadderEditor::selectCell(int cell) {
    if (const std::optional<GridPosition> position = PositionOfCell(cell)) {
        select(*position);
    }
}

void LadderEditor::move(Move move) {
    GridPosition target = selection_;
    // Place of the selection among the line's positions: contact, junction, ..., coil.
    const int place = selection_.kind == SelectionKinds::Coil ? kPositionsPerLine - 1
                                                              : 2 * selection_.column + selection_.kind;
    auto toPlace = [&target](int newPlace) {
        if (newPlace == kPositionsPerLine - 1) {
            target.kind = SelectionKinds::Coil;
            target.column = 0;
        } else {
            target.kind = newPlace % 2 == 0 ? SelectionKinds::Contact : SelectionKinds::Junction;
            target.column = newPlace / 2;
        }
    };
    switch (move) {
        case Move::Left:
            toPlace(std::max(place - 1, 0));
            break;
        case Move::Right:
            toPlace(std::min(place + 1, kPositionsPerLine - 1));
            break;
        case Move::Up:
            target.line = std::max(target.line - 1, 0);
            break;
        case Move::Down:
            target.line = std::min(target.line + 1, kLadderLines - 1);
            break;
        case Move::PageUp:
        case Move::PageDown: {
            const int step = move == Move::PageUp ? -shownLines_ : shownLines_;
            topLine_ = std::clamp(topLine_ + step, 0, LastTopLine());
            target.line = std::clamp(target.line + step, 0, kLadderLines - 1);
            break;
        }
        case Move::Home:
            toPlace(0);
            break;
        case Move::End:
            toPlace(kPositionsPerLine - 1);
            break;
        case Move::First:
            target = GridPosition{SelectionKinds::Contact, 0, 0};
            break;
        case Move::Last: {
            const auto& grid = program().LadderGrid;
            const auto used =
                std::find_if(grid.rbegin(), grid.rend(), [](std::uint16_t w) { return w != CellEmpty; });
            const int lastLine = used == grid.rend() ? 0 : lineOfCell(int(grid.rend() - used) - 1);
            target = GridPosition{SelectionKinds::Coil, lastLine, 0};
            break;
        }
    }
    select(target);
}

void LadderEditor::reset() {
    topLine_ = 0;
    findOrigin_.reset();
    select(GridPosition{});
}

// ---- tools ----

void LadderEditor::setPlacement(std::uint16_t code, std::uint16_t numberWord) {
    placeCode_ = code;
    placeNumber_ = numberWord;
}

void LadderEditor::setSimulationActive(bool active) {
    if (active == simulationActive_) {
        return;
    }
    simulationActive_ = active;
    Q_EMIT simulationActiveChanged(active);
    Q_EMIT undoStateChanged();
    if (!active) {
        // The block usage flags and parameters may have changed during the run.
        afterChange();
    }
}

// ---- editing ----

bool LadderEditor::applyEdit(const std::function<void(Program&)>& change, EditScope scope) {
    if (!mayEdit(scope)) {
        return false;
    }
    Program changed = program();
    change(changed);
    return commit(std::move(changed));
}

bool LadderEditor::applySave(const std::function<std::optional<Message>(Program&)>& save, EditScope scope) {
    if (!mayEdit(scope)) {
        return false;
    }
    Program changed = program();
    if (const std::optional<Message> refusal = save(changed)) {
        prompter_.show(*refusal);
        return false;
    }
    commit(std::move(changed));
    return true;
}

bool LadderEditor::commit(Program&& changed) {
    // Saving a record marks its copy modified: that alone is no change.
    changed.ProgramModified = program().ProgramModified;
    if (changed == program()) {
        return false;
    }
    document_.RecordUndoPoint(CurrentCell());
    changed.ProgramModified = true;
    program() = std::move(changed);
    afterChange();
    return true;
}

void LadderEditor::afterChange() {
    runRuleCheck();
    Q_EMIT gridChanged();
}

bool LadderEditor::placeSelected() {
    if (editTool_ == kWireTool) {
        return false;
    }
    const std::uint16_t code = placeCode_;
    const std::uint16_t number = placeNumber_;
    const std::optional<Operand> kind = OperandForCode(code);
    if (!kind || !numberFits(*kind, number)) {
        return false;
    }
    const OperandInfo& info = operandInfo(*kind);

    if (selection_.kind == SelectionKinds::Contact) {
        if (!info.contact || !IsContactCode(code)) {
            return false;
        }
        const int p = CurrentCell();
        const int column = selection_.column;
        return applyEdit([p, column, code, number](Program& changed) {
            auto& grid = changed.LadderGrid;
            if (grid[p] != code || grid[p + kNumberWordOffset] != number) {
                clearContact(changed, p);
            }
            grid[p] = code;
            grid[p + kNumberWordOffset] = number;
            setJunctionBits(grid[p + kJunctionWordOffset], JunctionLeft);
            if (column == 0) {
                return;
            }
            // The junction on the left feeds this contact, and passes the element there on
            // unless a link from above already does.
            std::uint16_t& left = grid[p - 1];
            const bool leftFedFromAbove = hasUpLink(left);
            setJunctionBits(left, leftFedFromAbove ? JunctionRight : JunctionLeft | JunctionRight);
            // A contact in the last column of an otherwise open line is wired through the middle.
            if (column == 2 && !leftFedFromAbove && grid[p - 2] == CellEmpty) {
                grid[p - 3] = CellWire;
                grid[p - 2] = CellWire;
                std::uint16_t& first = grid[p - 4];
                if (!hasUpLink(first)) {
                    setJunctionBits(first, JunctionLeft | JunctionRight);
                }
            }
        });
    }

    if (selection_.kind == SelectionKinds::Coil) {
        if (!info.coil || !IsCoilLetter(code)) {
            return false;
        }
        const int line = selection_.line;
        std::uint16_t function = placeFunction_.value_or(defaultCoilFunction(code));
        if (!functionAllowed(code, function)) {
            function = defaultCoilFunction(code);
        }
        const bool wire = wiringHelp_;
        return applyEdit([line, code, number, function, wire](Program& changed) {
            const int q = coilLetterCell(line);
            auto& grid = changed.LadderGrid;
            if (grid[q] != code || grid[q + 1] != number) {
                clearCoil(changed, line);
            }
            grid[q - 1] = function;
            grid[q] = code;
            grid[q + 1] = number;
            if (code == 'X') {
                auto& message = changed.SoftTextParams[DecodeOperandNumber(number)];
                std::replace(message.begin(), message.end(), std::uint8_t{0}, kSoftTextBlank);
            }
            if (wire) {
                WireLineToCoil(changed, line);
            }
        });
    }
    return false;
}

bool LadderEditor::WireToolClick(double y) {
    if (editTool_ != kWireTool || selection_.kind != SelectionKinds::Contact || selection_.column == 0 ||
        y < 0.4 || y > 0.6) {
        return false;
    }
    const int cell = CurrentCell();
    return applyEdit([cell](Program& changed) {
        auto& grid = changed.LadderGrid;
        if (grid[cell] == CellEmpty) {
            grid[cell] = CellWire;
            grid[cell + kNumberWordOffset] = CellWire;
            setJunctionBits(grid[cell - 1], JunctionRight);
            setJunctionBits(grid[cell + kJunctionWordOffset], JunctionLeft);
        } else if (grid[cell] == CellWire) {
            // The connections stay: the user is likely to draw something else in its place.
            grid[cell] = CellEmpty;
            grid[cell + kNumberWordOffset] = CellEmpty;
        }
    });
}

bool LadderEditor::ToggleJunction(JunctionArea area) {
    if (selection_.kind != SelectionKinds::Junction) {
        return false;
    }
    const int line = selection_.line;
    const int column = selection_.column;
    return applyEdit([line, column, area](Program& changed) {
        auto& grid = changed.LadderGrid;
        std::uint16_t& word = grid[JunctionWordIndex(line, column)];
        auto toggle = [](std::uint16_t& w, std::uint16_t bit) {
            if (isJunctionWord(w) && (w & bit) != 0) {
                clearJunctionBits(w, bit);
            } else {
                setJunctionBits(w, bit);
            }
        };
        // A vertical link is held on both lines; the first line has nothing above it and the
        // last nothing below, so there only this word changes.
        switch (area) {
            case JunctionArea::Down:
                if (isJunctionWord(word) && (word & JunctionDown) != 0) {
                    ClearVerticalLink(grid, line, column);
                } else {
                    SetVerticalLink(grid, line, column);
                }
                break;
            case JunctionArea::Up:
                if (line == 0) {
                    toggle(word, JunctionUp);
                } else if (isJunctionWord(word) && (word & JunctionUp) != 0) {
                    ClearVerticalLink(grid, line - 1, column);
                } else {
                    SetVerticalLink(grid, line - 1, column);
                }
                break;
            case JunctionArea::Left:
                toggle(word, JunctionLeft);
                break;
            case JunctionArea::Right:
                toggle(word, JunctionRight);
                break;
        }
    });
}

bool LadderEditor::MakeNormallyClosed() {
    if (selection_.kind != SelectionKinds::Contact) {
        return false;
    }
    const int cell = CurrentCell();
    return applyEdit([cell](Program& changed) { bdx::MakeNormallyClosed(changed, cell); });
}

bool LadderEditor::MakeNormallyOpen() {
    if (selection_.kind != SelectionKinds::Contact) {
        return false;
    }
    const int cell = CurrentCell();
    return applyEdit([cell](Program& changed) { bdx::MakeNormallyOpen(changed, cell); });
}

bool LadderEditor::SetCoilFunction(std::uint16_t function) {
    if (selection_.kind != SelectionKinds::Coil) {
        return false;
    }
    const int line = selection_.line;
    if (!functionAllowed(program().word(line, kCoilLetterWord), function)) {
        return false;
    }
    return applyEdit(
        [line, function](Program& changed) { changed.word(line, kCoilFunctionWord) = function; });
}

bool LadderEditor::SetRetentive(bool retentive) {
    if (selection_.kind != SelectionKinds::Coil || program().word(selection_.line, kCoilLetterWord) != 'M') {
        return false;
    }
    static constexpr std::array<std::pair<std::uint16_t, std::uint16_t>, 3> kPairs = {{
        {CoilImpulse, CoilImpulseRetentive},
        {CoilSet, CoilSetRetentive},
        {CoilReset, CoilResetRetentive},
    }};
    const int line = selection_.line;
    return applyEdit([line, retentive](Program& changed) {
        std::uint16_t& function = changed.word(line, kCoilFunctionWord);
        for (const auto& [plain, kept] : kPairs) {
            const std::uint16_t from = retentive ? plain : kept;
            const std::uint16_t to = retentive ? kept : plain;
            if (function == from) {
                function = to;
                return;
            }
        }
    });
}

bool LadderEditor::DeleteCoil() {
    if (selection_.kind != SelectionKinds::Coil) {
        return false;
    }
    const int line = selection_.line;
    return applyEdit([line](Program& changed) { clearCoil(changed, line); });
}

bool LadderEditor::DeleteElement() {
    if (lineSelected_) {
        return DeleteLine();
    }
    if (selection_.kind == SelectionKinds::Coil) {
        return DeleteCoil();
    }
    if (selection_.kind != SelectionKinds::Contact) {
        return false;
    }
    const int cell = CurrentCell();
    return applyEdit([cell](Program& changed) { clearContact(changed, cell); });
}

bool LadderEditor::DeleteLine() {
    const int line = FirstSelectedLine();
    const int count = SelectedLineCount();
    const bool deleted = applyEdit([line, count](Program& changed) {
        // Each removal moves the next selected line up into `line`.
        for (int i = 0; i < count; ++i) {
            for (const int word : kContactWord) {
                clearContact(changed, line * kWordsPerLine + word);
            }
            clearCoil(changed, line);
            RemoveLine(changed, line);
        }
    });
    if (deleted && count > 1) {
        selectLine(line);
    }
    return deleted;
}

bool LadderEditor::InsertLine() {
    if (!mayEdit()) {
        return false;
    }
    // As many empty lines go in as are selected; that many lines at the end must be free.
    const int count = SelectedLineCount();
    const auto& grid = program().LadderGrid;
    if (std::any_of(grid.end() - count * kWordsPerLine, grid.end(), [](std::uint16_t w) { return w != CellEmpty; })) {
        prompter_.inform(count == 1 ? LoadText(LastLineInUse)
                                    : LoadText(LinesDoNotFitBelow).arg(count).arg(kLadderLines - count + 1));
        return false;
    }
    const int line = FirstSelectedLine();
    return applyEdit([line, count](Program& changed) {
        auto& words = changed.LadderGrid;
        const auto start = words.begin() + line * kWordsPerLine;
        std::move_backward(start, words.end() - count * kWordsPerLine, words.end());
        std::fill(start, start + count * kWordsPerLine, CellEmpty);
        auto& comments = changed.LineComments;
        std::move_backward(comments.begin() + line, comments.end() - count, comments.end());
        std::fill(comments.begin() + line, comments.begin() + line + count, QString());
    });
}

std::optional<QString> LadderEditor::Cut() {
    if (!mayEdit()) {
        return std::nullopt;
    }
    if (lineSelected_) {
        return cutLines();
    }
    std::optional<QString> text;
    const EditorSelection selection = clipboardSelection();
    const bool lineMode = lineSelected_;
    applyEdit(
        [&](Program& changed) { text = PerformCutCopy(changed, selection, true, lineMode); });
    return text;
}

std::optional<QString> LadderEditor::Copy() const {
    if (simulationActive_) {
        return std::nullopt;
    }
    if (lineSelected_) {
        return LinesClipboardText(program(), FirstSelectedLine(), SelectedLineCount());
    }
    if (selection_.kind == SelectionKinds::Junction) {
        return std::nullopt;
    }
    return ElementClipboardText(program(), CurrentCell(), selection_.kind);
}

bool LadderEditor::Paste(const QString& text) {
    if (!mayEdit()) {
        return false;
    }
    if (lineSelected_) {
        return pasteLines(text);
    }
    if (!elementTextUsable(text)) {
        return false;
    }
    const EditorSelection selection = clipboardSelection();
    const bool lineMode = lineSelected_;
    return applyEdit([&](Program& changed) { PerformPaste(changed, selection, text, lineMode); });
}

bool LadderEditor::Undo() {
    return restoreSnapshot(&ProgramDocument::Undo);
}

bool LadderEditor::Redo() {
    return restoreSnapshot(&ProgramDocument::Redo);
}

bool LadderEditor::restoreSnapshot(std::optional<int> (ProgramDocument::*restore)()) {
    if (!mayEdit()) {
        return false;
    }
    const std::optional<int> cell = (document_.*restore)();
    if (!cell) {
        return false;
    }
    selectCell(*cell);
    return true;
}

bool LadderEditor::CanUndo() const {
    return ComputeUndoRedoCommands(document_.undoStore(), simulationActive_, false).undo;
}

bool LadderEditor::CanRedo() const {
    return ComputeUndoRedoCommands(document_.undoStore(), simulationActive_, false).redo;
}

// ---- find ----

bool LadderEditor::FindNext(int category, const QString& numberText) {
    const auto& categories = FindCategories();
    if (category < 0 || category >= int(categories.size())) {
        prompter_.warn(LoadText(SelectCategory));
        return false;
    }
    const FindCategory& wanted = categories[category];
    std::optional<int> number;  // 0-based; none matches every number
    const QString trimmed = numberText.trimmed();
    if (!trimmed.isEmpty()) {
        bool ok = false;
        const int typed = trimmed.toInt(&ok);
        if (!ok || typed < 1 || typed > wanted.largest) {
            prompter_.warn(LoadText(InvalidNumber));
            return false;
        }
        number = typed - 1;
    }

    const auto& grid = program().LadderGrid;
    // Only the words that name an element: a coil function such as Reset All ('A') is no
    // analog block.
    auto matches = [&](int cell) {
        const int word = cell % kWordsPerLine;
        const bool elementWord = word == kContactWord[0] || word == kContactWord[1] ||
                                 word == kContactWord[2] || word == kCoilLetterWord;
        return elementWord && (grid[cell] == wanted.openCode || grid[cell] == wanted.closedCode) &&
               (!number || DecodeOperandNumber(grid[cell + 1]) == *number);
    };

    const int start = CurrentCell();
    if (!findOrigin_) {
        findOrigin_ = start;
    }
    bool passedOrigin = false;
    for (int step = 1; step <= kGridWords; ++step) {
        const int cell = (start + step) % kGridWords;
        passedOrigin = passedOrigin || cell == *findOrigin_;
        if (!matches(cell)) {
            continue;
        }
        selectCell(cell);
        if (passedOrigin) {
            // Round once: the next search begins a new round from here.
            findOrigin_ = cell;
            prompter_.inform(LoadText(WholeDocumentSearched));
        }
        return true;
    }
    findOrigin_.reset();
    prompter_.inform(LoadText(NothingFound));
    return false;
}

// ---- what the window asks ----

std::optional<BlockRef> LadderEditor::PropertiesTarget() const {
    return blockAt(program(), selection_);
}

PointerShape LadderEditor::pointerOver(const GridPosition& position, std::optional<JunctionArea> area,
                                       bool overLabel) const {
    if (position.kind == SelectionKinds::Junction) {
        if (simulationActive_) {
            return PointerShape::NotAllowed;
        }
        if (!area) {
            return PointerShape::Arrow;
        }
        return *area == JunctionArea::Up || *area == JunctionArea::Down ? PointerShape::VerticalLine
                                                                        : PointerShape::HorizontalLine;
    }
    const bool contact = position.kind == SelectionKinds::Contact;
    if (position.line < 0 || position.line >= kLadderLines ||
        (contact && (position.column < 0 || position.column >= kContactColumns))) {
        return PointerShape::Arrow;
    }
    if (overLabel && blockAt(program(), position)) {
        return PointerShape::Properties;
    }
    if (!contact) {
        return PointerShape::ArrowCoil;
    }
    return editTool_ == kWireTool ? PointerShape::HorizontalLine : PointerShape::ArrowContact;
}

void LadderEditor::runRuleCheck() {
    errors_ = RunRuleCheck(program());
}

}  // namespace bdx
