#pragma once

#include <QPagedPaintDevice>
#include <QString>

#include "print_page_frame.h"

// Draws text pages on a paged device (a PDF writer, a printer): a device page per printed page,
// a text line per listing line, tab characters at fixed tab stops.
namespace bdx {

struct TextPageStyle {
    // Metric-compatible with the Arial the printouts are laid out for.
    QString fontFamily = QStringLiteral("Liberation Sans");
    qreal pointSize = 9;
};

// The short printout draws the grid with characters, so its columns need equal widths.
TextPageStyle GridTextStyle();

// A4 portrait with 15 mm margins, unless the device was set up otherwise by the caller.
void SetUpTextPage(QPagedPaintDevice& device);

// False when the device cannot be painted on (an unwritable PDF file, say).
bool WriteTextPages(const PrintPages& pages, QPagedPaintDevice& device, const TextPageStyle& style = {});

// The pages as a PDF file; false with the reason in `error`.
bool WriteTextPdf(const PrintPages& pages, const QString& path, const QString& title,
                  const TextPageStyle& style, QString* error);

}  // namespace bdx
