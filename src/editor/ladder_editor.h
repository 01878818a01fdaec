#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "check/rule_checker.h"
#include "coil_menu.h"
#include "ladder/clipboard_text.h"
#include "ladder/operands.h"
#include "ladder/program_document.h"
#include "quick_place.h"

// The ladder editor without its window: the view position, the selection, the placing tool and
// every editing command. The window turns mouse and keys into these calls and paints what they
// leave; tests drive the same calls.
namespace bdx {

class Prompter;
struct Message;

// Lines shown at the normal size; a zoomed view shows as many as fit (LadderEditor::ShownLines).
inline constexpr int kShownLines = 10;
inline constexpr int kLastTopLine = kLadderLines - kShownLines;
inline constexpr int kWireTool = 100;
inline constexpr int kSelectionTool = 0;

// A position in the grid: a contact position or junction cell (column 0..2) or the coil.
struct GridPosition {
    int kind = SelectionKinds::Contact;  // SelectionKinds
    int line = 0;                        // 0..249
    int column = 0;                      // 0..2; ignored for the coil

    bool operator==(const GridPosition&) const = default;
};

// Where in a junction cell a click lies, and so which direction it toggles.
enum class JunctionArea { Up, Down, Left, Right };

// Pointer shapes over the editor.
enum class PointerShape {
    Arrow,
    ArrowContact,
    ArrowCoil,
    HorizontalLine,
    VerticalLine,
    NotAllowed,
    Properties
};

enum class Move { Left, Right, Up, Down, PageUp, PageDown, Home, End, First, Last };

// The cell word of a position: the code word of a contact, the junction word of a junction
// cell, the letter word of a coil.
int CellOf(const GridPosition& position);
// The position whose cell word is `cell`; the code or number word of a contact and every word
// of a coil lead to that contact or coil. Nothing outside the grid.
std::optional<GridPosition> PositionOfCell(int cell);

// The click area of a point in a junction cell, both coordinates 0..1 from the top left: the
// top and bottom thirds are up and down, the middle band left and right of the centre.
JunctionArea JunctionAreaAt(double x, double y);

// The block the Properties command opens: its operand kind and 0-based number.
struct BlockRef {
    Operand kind = Operand::T;
    int number = 0;
};

// The find dialog's categories in the order of its list, and the search.
struct FindCategory {
    const char* name;  // "A", "C", ... "RTC", ...
    std::uint16_t openCode;
    std::uint16_t closedCode;
    int largest;
};
const std::vector<FindCategory>& FindCategories();

// What an edit may touch. The ladder and the model stay as they are while a simulation runs;
// block parameters, comments included, may be stored then, as the block dialogs allow.
enum class EditScope { Program, Parameters };

// What typing an operand did: placed it, or refused it with a reason for the status bar (no
// reason when the edit was refused silently, as while a simulation runs).
struct TypedPlacement {
    bool placed = false;
    QString refusal;
};

class LadderEditor : public QObject {
    Q_OBJECT
  public:
    LadderEditor(ProgramDocument& document, Prompter& prompter);

    // ---- View and selection ----
    int TopLine() const { return topLine_; }
    void setTopLine(int line);  // held to 0..LastTopLine()
    int SelectionKind() const { return selection_.kind; }
    // Shown index within the kind: contacts and junctions 0..29, coils 0..9; -1 when the
    // selection lies outside the shown lines.
    int SelectionIndex() const;
    int CurrentCell() const { return CellOf(selection_); }
    const GridPosition& selection() const { return selection_; }
    // A whole line selected (by its line number): cut, copy and paste then work on lines.
    bool LineSelected() const { return lineSelected_; }
    void selectLine(int line);
    EditorSelection clipboardSelection() const;
    // Selects a position and scrolls it into view.
    void select(const GridPosition& position);
    // Selects the position of a cell word (after undo, find) and scrolls it into view.
    void selectCell(int cell);
    // Arrow keys, Page Up/Down, Home/End and Ctrl+Home/End. Left and right step through a line's
    // contact, junction and coil positions and stop at its ends; up and down keep the kind and
    // column; Page Up/Down move view and selection by ten lines; Home/End go to the first
    // contact and the coil of the line; First/Last to the first line and to the coil of the
    // last line that holds anything.
    void move(Move move);
    // A new program: first position, first line.
    void reset();

    // ---- Several lines, and the lines in view ----
    // Shift+click or Shift+arrows on the line numbers: the line selection reaches from where it
    // began (or from the selection's line) to `line`. Cut, copy, paste, delete and insert then
    // work on all its lines as one step.
    void extendLineSelection(int line);
    // The selected lines, top to bottom; the selection's own line when no line is selected.
    int FirstSelectedLine() const;
    int LastSelectedLine() const;
    int SelectedLineCount() const { return LastSelectedLine() - FirstSelectedLine() + 1; }
    // Whole lines the window shows (ten at the normal size): paging and scrolling follow it.
    int ShownLines() const { return shownLines_; }
    void setShownLines(int lines);
    int LastTopLine() const { return kLadderLines - shownLines_; }

    // ---- Tools ----
    int EditTool() const { return editTool_; }
    void setEditTool(int tool) { editTool_ = tool; }
    // The operand chosen in the function selector: a contact code or coil letter, and its
    // number word.
    void setPlacement(std::uint16_t code, std::uint16_t numberWord);
    std::uint16_t PlaceCode() const { return placeCode_; }
    std::uint16_t PlaceNumber() const { return placeNumber_; }

    bool SimulationActive() const { return simulationActive_; }
    void setSimulationActive(bool active);

    // ---- The one edit path ----
    // Runs `change` on a copy of the program; when the copy differs, records the undo point,
    // puts the copy in place, runs the rule check and emits gridChanged. Nothing is recorded
    // for a change that changes nothing. A Program-scope edit is refused while a simulation
    // runs. True when the program changed.
    bool applyEdit(const std::function<void(Program&)>& change, EditScope scope = EditScope::Program);
    // A save that may refuse: `save` returns the refusal, which is shown, and nothing changes.
    // True when the save was accepted (whether or not it changed anything).
    bool applySave(const std::function<std::optional<Message>(Program&)>& save,
                   EditScope scope = EditScope::Parameters);

    // ---- Editing commands: each goes through applyEdit. True when it changed the program. ----
    // With the selection tool: the chosen operand into the selected contact position (contact
    // codes only) or coil position (coil letters only). A replaced element and the wiring help's
    // wires are noted for the status bar.
    bool PlaceOperand();
    // The wire tool clicked at height `y` (0..1 from the top) of the selected contact position.
    // Only while the wire tool is chosen.
    bool WireToolClick(double y);
    bool ToggleJunction(JunctionArea area);
    bool MakeNormallyClosed();
    bool MakeNormallyOpen();
    bool SetCoilFunction(std::uint16_t function);
    // The three retentive commands: only M coils of those kinds change.
    bool SetRetentive(bool retentive);
    bool DeleteCoil();
    // Delete key: the selected contact (with its connections to the left) or coil.
    bool DeleteElement();
    bool DeleteLine();
    // Refused with message 4224 when the last line holds anything.
    bool InsertLine();
    // Cut and copy return the clipboard text; paste takes it. They work on the selected line
    // while LineSelected(), otherwise on the selected element.
    std::optional<QString> Cut();
    std::optional<QString> Copy() const;
    bool Paste(const QString& text);
    bool Undo();
    bool Redo();
    bool CanUndo() const;
    bool CanRedo() const;

    // ---- Faster placing: the toolbox's click, a drop and typed text share one path ----
    // Wires the empty positions up to a coil as it is placed, in the same undo step. On at first.
    bool WiringHelp() const { return wiringHelp_; }
    void setWiringHelp(bool on) { wiringHelp_ = on; }
    // The selection tool, the operand (and for a coil the function instead of its default),
    // then PlaceOperand on the selection.
    bool PlaceChosen(std::uint16_t code, std::uint16_t numberWord,
                     std::optional<std::uint16_t> coilFunction = std::nullopt);
    // Where typed text lands with this selection: the selected contact position or coil, the
    // position right of a selected junction cell, and the line's coil when the text names a
    // coil function.
    static GridPosition TypedTarget(const GridPosition& selection, bool coilFunction);
    // Places typed text at its target and moves on: after a contact to the junction cell on its
    // right (to the next line when that junction joins the line above), after a coil to the
    // first position of the next line.
    TypedPlacement PlaceTyped(const QString& text);

    // ---- Find ----
    // The next match after the current cell, wrapping around; shows messages 4228-4231 as the
    // find dialog does. True when a match was selected.
    bool FindNext(int category, const QString& numberText);
    // Changing the category or number starts a new series of searches.
    void resetFind() { findOrigin_.reset(); }

    // ---- What the window asks ----
    std::optional<BlockRef> PropertiesTarget() const;
    PointerShape pointerOver(const GridPosition& position, std::optional<JunctionArea> area,
                             bool overLabel) const;
    const std::vector<ErrorRow>& errors() const { return errors_; }
    void runRuleCheck();

    Program& program() { return document_.program(); }
    const Program& program() const { return document_.program(); }
    ProgramDocument& document() { return document_; }

  Q_SIGNALS:
    void gridChanged();       // program words changed; the rule check has run
    void selectionChanged();  // selection or TopLine moved
    void undoStateChanged();  // Undo / Redo commands to refresh
    void simulationActiveChanged(bool active);
    // A placement replaced an element or wired a line: a note for the status bar.
    void placementNoted(const QString& note);

  private:
    bool mayEdit(EditScope scope = EditScope::Program) const {
        return scope == EditScope::Parameters || !simulationActive_;
    }
    // Selects a position, or its whole line, and scrolls it into view. A line selection reaches
    // from `anchor` (its own line when none is given) to the position's line.
    void choose(const GridPosition& position, bool wholeLine, std::optional<int> anchor = std::nullopt);
    // Puts an edited copy in place when it differs: undo point, rule check, gridChanged.
    bool commit(Program&& changed);
    void afterChange();
    // Undo or redo: the document puts the snapshot in place, the editor selects its cell.
    bool restoreSnapshot(std::optional<int> (ProgramDocument::*restore)());
    // PlaceOperand without its note.
    bool placeSelected();
    // The status note of a placement: what it replaced and what the wiring help wired.
    QString placementNote(const Program& before, const GridPosition& target) const;
    // The line commands on the selected lines.
    std::optional<QString> cutLines();
    bool pasteLines(const QString& text);
    // False, with the reason shown, when an element cannot come from `text`.
    bool elementTextUsable(const QString& text);

    ProgramDocument& document_;
    Prompter& prompter_;
    GridPosition selection_;
    int topLine_ = 0;
    bool lineSelected_ = false;
    int lineAnchor_ = 0;  // where a line selection began
    int shownLines_ = kShownLines;
    int editTool_ = kSelectionTool;
    std::uint16_t placeCode_ = CellEmpty;
    std::uint16_t placeNumber_ = CellEmpty;
    std::optional<std::uint16_t> placeFunction_;  // for the next PlaceChosen only
    bool wiringHelp_ = true;
    bool simulationActive_ = false;
    std::optional<int> findOrigin_;
    std::vector<ErrorRow> errors_;
};

}  // namespace bdx
