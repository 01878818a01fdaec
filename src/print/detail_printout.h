#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <vector>

#include "ladder/program.h"
#include "paint/ladder_painter.h"

class QPagedPaintDevice;

// The detail printout: the ladder diagram as the editor draws it, a header block on every page,
// page breaks only between ladder lines.
namespace bdx {

// True when a line holds nothing to draw: twelve empty words and no line comment.
bool IsEmptyLadderLine(const Program& program, int line);

// The lines the printout shows, in order: everything up to the last line in use. Inside that
// range a run of empty lines keeps only its first line, so gaps between rungs stay visible
// while long stretches of nothing cost no paper; the line numbers show what was left out.
std::vector<int> PrintedLines(const Program& program);

// Splits the printed lines into pages of at most linesPerPage lines. Lines joined by vertical
// links form one rung and stay on one page when the rung fits on a page; a longer rung
// starts on a fresh page and continues on the next ones.
std::vector<std::vector<int>> PaginateLines(const Program& program, const std::vector<int>& lines,
                                            int linesPerPage);

struct DetailPrintOptions {
    DisplayStyle style = DisplayStyle::Device;
    int firstPage = 1;  // 1-based
    int lastPage = 0;   // 0: up to the last page
};

struct DetailPrintResult {
    bool ok = false;
    QString message;            // for the user when !ok
    bool deviceFailed = false;  // the printer or file refused the pages (not a bad request)
    int totalPages = 0;
    int printedPages = 0;
};

// Number of pages the printout of the program takes on the device's page size.
int DetailPageCount(const Program& program, const QPagedPaintDevice& device);

// Draws the pages of the chosen range on a printer or PDF writer that has not begun painting.
DetailPrintResult PrintDetail(const Program& program, QPagedPaintDevice& device,
                              const DetailPrintOptions& options);

// Writes the printout as an A4 PDF file. Needs a QGuiApplication (offscreen is enough).
DetailPrintResult WriteDetailPdf(const Program& program, const QString& path, const DetailPrintOptions& options);

// One A4 page (1-based) as an image of the given width, for previews; null when out of range.
QImage RenderDetailPage(const Program& program, int page, int width, DisplayStyle style);

}  // namespace bdx
