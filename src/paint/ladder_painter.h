#pragma once

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <array>
#include <cstdint>

#include "editor/ladder_editor.h"

class QPainter;

// Geometry and drawing of the shown ladder lines, kept apart from the widget so that the
// layout, the hit test and the live power flow can be reasoned about on their own.
namespace bdx {

class ScanEngine;

enum class DisplayStyle {
    Device = 0,      // letter and number in a cell, as the device's own display shows them
    Plc = 1,         // IEC 61131-3 ladder symbols
    Electrical = 2,  // IEC 60617 contact and coil symbols
};

// Where every part of the shown lines sits when they fill a viewport. Rows are the shown
// lines, 0 at the top; everything scales with the viewport so that ten lines always fit.
class LadderLayout {
  public:
    // `zoom` scales the lines, positions and fonts; 1 fits the shown lines into `size`.
    explicit LadderLayout(QSizeF size = QSizeF(), double zoom = 1.0);

    QSizeF size() const { return size_; }
    double rowHeight() const { return rowHeight_; }
    // Whole rows that fit the height (at least one), and the rows to paint, the last one perhaps
    // cut off at the bottom.
    int shownRows() const;
    int paintedRows() const;
    QRectF rowRect(int row) const;
    QRectF lineNumberRect(int row) const;
    QRectF contactRect(int row, int column) const;
    QRectF junctionRect(int row, int column) const;
    QRectF coilRect(int row) const;
    // Empty when the viewport is too narrow for comments.
    QRectF commentRect(int row) const;
    // The contact, junction or coil rectangle of a position's kind.
    QRectF cellRect(int row, const GridPosition& position) const;
    double leftRailX() const { return contactLeft_[0]; }
    double rightRailX() const { return coilLeft_ + coilWidth_; }

    QFont labelFont() const { return labelFont_; }
    QFont smallFont() const { return smallFont_; }
    QFont numberFont() const { return numberFont_; }
    QFont commentFont() const { return commentFont_; }

  private:
    QSizeF size_;
    double rowHeight_ = 0;
    double gutterWidth_ = 0;
    std::array<double, kContactColumns> contactLeft_{};
    double contactWidth_ = 0;
    double junctionWidth_ = 0;
    double coilLeft_ = 0;
    double coilWidth_ = 0;
    double commentLeft_ = 0;
    double commentWidth_ = 0;
    QFont labelFont_;
    QFont smallFont_;
    QFont numberFont_;
    QFont commentFont_;
};

// What lies under a point of the viewport.
struct LadderHit {
    enum class Zone { Outside, LineNumber, Cell, Comment };
    Zone zone = Zone::Outside;
    int line = -1;          // grid line 0..249
    GridPosition position;  // for Zone::Cell
    QPointF relative;       // position inside the cell, 0..1 from its top left
};
LadderHit HitTest(const LadderLayout& layout, int topLine, QPointF point);

// Power flow of a running program for every grid line, taken from the scan engine's signals
// and network values.
struct LiveLine {
    std::array<bool, kContactColumns> fed{};         // power arrives at the left of the position
    std::array<bool, kContactColumns> conducting{};  // the contact is closed (a wire always is)
    std::array<bool, kContactColumns> output{};      // power leaves the position to the right
    std::array<bool, kContactColumns> node{};        // the junction's connection point carries power
    bool coilFed = false;                            // power reaches the coil
    bool coilOn = false;  // the coil's relay is on; for a block input, the input is powered
};
struct LivePower {
    std::array<LiveLine, kLadderLines> lines{};
};
void ComputeLivePower(const Program& program, const ScanEngine& engine, LivePower& power);

// Everything a paint needs besides the layout.
struct LadderScene {
    const Program* program = nullptr;
    int topLine = 0;
    int rowCount = kShownLines;  // rows painted from topLine (fewer for a printed line)
    GridPosition selection;
    bool lineSelected = false;
    // The selected lines when several are; -1 for just the selection's line.
    int lineRangeFirst = -1;
    int lineRangeLast = -1;
    bool focused = true;
    DisplayStyle style = DisplayStyle::Device;
    const LivePower* live = nullptr;  // null in edit mode
    bool paper = false;               // printed page: white ground, no cell tints
};

// The function of a coil in a few characters: "S", "R", "P", "D"…, retentive kinds with "M".
// Empty for an unknown function.
QString CoilFunctionMark(std::uint16_t function, std::uint16_t letter);

// Rectangle of the element label (the operand text) of a position in its row; empty for an
// empty position, a wire or a junction.
QRectF LabelRect(const LadderLayout& layout, const LadderScene& scene, int row, const GridPosition& position);

void PaintLadder(QPainter& painter, const LadderLayout& layout, const LadderScene& scene);

}  // namespace bdx
