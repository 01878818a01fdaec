#pragma once

#include <QString>
#include <functional>

#include "paint/ladder_painter.h"

class QPagedPaintDevice;

namespace bdx {

struct Program;

// One printout as the print windows see it: how many pages it takes on a device, and how to draw
// a range of them. Each printout of the program is adapted to this once; preview, printer and PDF
// export then work the same for all of them.
struct Printout {
    int titleId = 0;  // language-table id of its name ("Program In Detail", ...)
    // Pages on the device's page size; 0 when there is nothing to print.
    std::function<int(const QPagedPaintDevice& device)> pageCount;
    // Draws pages first..last (1-based) on a device that has not begun painting. False with a
    // message for the user in `error` when it could not.
    std::function<bool(QPagedPaintDevice& device, int first, int last, QString* error)> render;
};

// The ladder diagram with comments, in the editor's display style.
Printout DetailPrintout(const Program& program, DisplayStyle style);

// The three text printouts: parameter listing, comment listing, short printout. Their pages are
// text pages of a fixed number of lines, the same on any paper.
enum class TextPrintoutKind { Parameters, Comments, Short };
Printout TextPrintout(const Program& program, TextPrintoutKind kind);

// The paper every printout is laid out on until the user picks another printer: A4 portrait
// with the printouts' margins.
void UsePrintoutPaper(QPagedPaintDevice& device);

// Writes pages first..last of the printout as a PDF file. The file is replaced only when every
// page was written; an empty result means success, otherwise it is the message for the user.
QString WritePrintoutPdf(const Printout& printout, const QString& path, int first, int last,
                         const QString& title);

}  // namespace bdx
