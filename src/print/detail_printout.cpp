#include "detail_printout.h"

#include <QFontMetricsF>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <array>

#include "ladder/ladder_codes.h"
#include "print_page_frame.h"
#include "shell/language_table.h"

namespace bdx {

namespace {

constexpr int kTextNothingToPrint = 4208;
constexpr int kTextCannotWritePdf = 8347;
constexpr int kTextBadPageRange = 8348;
constexpr int kTextPrinterFailed = 8349;

// Pages are laid out in units of a thousandth of the printable width, so the ladder keeps the
// proportions the editor has on a screen of that width whatever the printer's resolution.
constexpr double kPageWidth = 1000;
constexpr double kRowHeight = 64;
constexpr double kHeaderFontSize = 17;
constexpr double kColonColumn = 110;
constexpr double kValueColumn = 130;
constexpr double kMarginMm = 15;

QFont HeaderFont() {
    // Metric-compatible with Arial, so header lines take the width they were laid out for.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(static_cast<int>(kHeaderFontSize));
    return font;
}

bool LinkedToNext(const Program& program, int line) {
    if (line + 1 >= kLadderLines) {
        return false;
    }
    for (const int contactWord : kContactWord) {
        const int word = contactWord + kJunctionWordOffset;
        const std::uint16_t here = program.word(line, word);
        const std::uint16_t below = program.word(line + 1, word);
        const bool down = here >= JunctionBase && here < JunctionBase + 16 && ((here - JunctionBase) & JunctionDown);
        const bool up = below >= JunctionBase && below < JunctionBase + 16 && ((below - JunctionBase) & JunctionUp);
        if (down && up) {
            return true;
        }
    }
    return false;
}

// Everything that is the same on every page of one printout.
class DetailSheet {
  public:
    DetailSheet(const Program& program, DisplayStyle style, double pageHeight)
        : program_(program),
          style_(style),
          layout_(QSizeF(kPageWidth, kRowHeight * kShownLines)),
          header_(HeaderTextsOf(program)) {
        pathLines_ = FilePathPieces(header_.filePath);
        lineSpacing_ = QFontMetricsF(HeaderFont()).lineSpacing();
        // A rule, six single lines, the file name lines, a closing rule and a gap.
        headerHeight_ = lineSpacing_ * (6 + pathLines_.size()) + lineSpacing_ * 1.6;
        const int rows = std::max(1, static_cast<int>((pageHeight - headerHeight_) / kRowHeight));
        pages_ = PaginateLines(program, PrintedLines(program), rows);
    }

    int pageCount() const { return static_cast<int>(pages_.size()); }

    // Paints page `index` (0-based) in page units, the origin at the top left of the printable area.
    void paintPage(QPainter& painter, int index) const {
        paintHeader(painter, index + 1);
        LadderScene scene;
        scene.program = &program_;
        scene.style = style_;
        scene.paper = true;
        scene.focused = false;
        scene.selection.line = -1;
        scene.rowCount = 1;
        const std::vector<int>& lines = pages_[index];
        for (size_t slot = 0; slot < lines.size(); ++slot) {
            painter.save();
            painter.translate(0, headerHeight_ + static_cast<double>(slot) * kRowHeight);
            painter.setClipRect(QRectF(0, 0, kPageWidth, kRowHeight));
            scene.topLine = lines[slot];
            PaintLadder(painter, layout_, scene);
            painter.restore();
        }
        // A thin rule under the last line closes the diagram.
        painter.setPen(QPen(QColor(0x9c, 0xa3, 0xaf), 1));
        const double bottom = headerHeight_ + static_cast<double>(lines.size()) * kRowHeight;
        painter.drawLine(QPointF(0, bottom), QPointF(kPageWidth, bottom));
    }

  private:
    void paintHeader(QPainter& painter, int pageNumber) const {
        // Page, Project, Author, Approved by, Version, Date, File Name.
        static constexpr std::array<int, 7> kLabels = {8506, 8507, 8508, 8509, 8510, 8504, 8511};
        const std::array<QString, 6> values = {QString::number(pageNumber), header_.project, header_.author,
                                               header_.approvedBy,          header_.version, header_.date};
        const QFont font = HeaderFont();
        const QFontMetricsF fm(font);
        painter.setFont(font);
        painter.setPen(QPen(Qt::black, 1.2));
        painter.drawLine(QPointF(0, lineSpacing_ * 0.5), QPointF(kPageWidth, lineSpacing_ * 0.5));
        double y = lineSpacing_;
        // The labels end in colons lined up in one column, as the tabs of the text listings do.
        auto textLine = [&](const QString& label, const QString& value) {
            if (!label.isEmpty()) {
                painter.drawText(QPointF(0, y + fm.ascent()), label);
                painter.drawText(QPointF(kColonColumn, y + fm.ascent()), QStringLiteral(":"));
            }
            painter.drawText(QPointF(kValueColumn, y + fm.ascent()),
                             fm.elidedText(value, Qt::ElideRight, kPageWidth - kValueColumn));
            y += lineSpacing_;
        };
        for (size_t i = 0; i < values.size(); ++i) {
            textLine(LoadText(kLabels[i]), values[i]);
        }
        for (qsizetype i = 0; i < pathLines_.size(); ++i) {
            textLine(i == 0 ? LoadText(kLabels[6]) : QString(), pathLines_[i]);
        }
        painter.drawLine(QPointF(0, y + lineSpacing_ * 0.2), QPointF(kPageWidth, y + lineSpacing_ * 0.2));
    }

    const Program& program_;
    DisplayStyle style_;
    LadderLayout layout_;
    PageHeaderTexts header_;
    QStringList pathLines_;
    double lineSpacing_ = 0;
    double headerHeight_ = 0;
    std::vector<std::vector<int>> pages_;
};

// Height of the printable area in page units for a page of the given size in device pixels.
double PageHeight(double deviceWidth, double deviceHeight) {
    return deviceWidth > 0 ? deviceHeight * kPageWidth / deviceWidth : 0;
}

// The printable area of an A4 page with the printout's margins, width over height.
double A4Proportion() {
    const QSizeF a4 = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
    return (a4.width() - 2 * kMarginMm) / (a4.height() - 2 * kMarginMm);
}

}  // namespace

bool IsEmptyLadderLine(const Program& program, int line) {
    for (int word = 0; word < kWordsPerLine; ++word) {
        if (program.word(line, word) != CellEmpty) {
            return false;
        }
    }
    return program.LineComments[line].trimmed().isEmpty();
}

std::vector<int> PrintedLines(const Program& program) {
    int last = kLadderLines - 1;
    while (last >= 0 && IsEmptyLadderLine(program, last)) {
        --last;
    }
    std::vector<int> lines;
    for (int line = 0; line <= last; ++line) {
        if (IsEmptyLadderLine(program, line) && line > 0 && IsEmptyLadderLine(program, line - 1)) {
            continue;
        }
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::vector<int>> PaginateLines(const Program& program, const std::vector<int>& lines,
                                            int linesPerPage) {
    std::vector<std::vector<int>> pages;
    linesPerPage = std::max(linesPerPage, 1);
    size_t at = 0;
    while (at < lines.size()) {
        // The rung starting here: following printed lines as long as vertical links join them.
        size_t end = at + 1;
        while (end < lines.size() && lines[end] == lines[end - 1] + 1 && LinkedToNext(program, lines[end - 1])) {
            ++end;
        }
        const size_t rung = end - at;
        const size_t room = pages.empty() ? 0 : linesPerPage - pages.back().size();
        if (rung > room) {
            pages.emplace_back();
        }
        for (; at < end; ++at) {
            if (pages.back().size() == static_cast<size_t>(linesPerPage)) {
                pages.emplace_back();
            }
            pages.back().push_back(lines[at]);
        }
    }
    return pages;
}

int DetailPageCount(const Program& program, const QPagedPaintDevice& device) {
    return DetailSheet(program, DisplayStyle::Device, PageHeight(device.width(), device.height())).pageCount();
}

DetailPrintResult PrintDetail(const Program& program, QPagedPaintDevice& device, const DetailPrintOptions& options) {
    DetailPrintResult result;
    const DetailSheet sheet(program, options.style, PageHeight(device.width(), device.height()));
    result.totalPages = sheet.pageCount();
    if (result.totalPages == 0) {
        result.message = LoadText(kTextNothingToPrint).trimmed();
        return result;
    }
    const int first = options.firstPage;
    const int last = options.lastPage <= 0 ? result.totalPages : std::min(options.lastPage, result.totalPages);
    if (first < 1 || first > last) {
        result.message = LoadText(kTextBadPageRange)
                             .arg(options.firstPage)
                             .arg(options.lastPage <= 0 ? options.firstPage : options.lastPage)
                             .arg(result.totalPages);
        return result;
    }
    QPainter painter;
    if (!painter.begin(&device)) {
        result.deviceFailed = true;
        result.message = LoadText(kTextPrinterFailed);
        return result;
    }
    const double scale = device.width() / kPageWidth;
    for (int page = first; page <= last; ++page) {
        if (page > first) {
            device.newPage();
        }
        painter.save();
        painter.scale(scale, scale);
        sheet.paintPage(painter, page - 1);
        painter.restore();
        ++result.printedPages;
    }
    result.ok = painter.end();
    if (!result.ok) {
        result.deviceFailed = true;
        result.message = LoadText(kTextPrinterFailed);
    }
    return result;
}

DetailPrintResult WriteDetailPdf(const Program& program, const QString& path, const DetailPrintOptions& options) {
    QPdfWriter writer(path);
    writer.setResolution(300);
    writer.setTitle(program.ProgramFileName);
    writer.setCreator(QStringLiteral("BrantelDesk X"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter));
    DetailPrintResult result = PrintDetail(program, writer, options);
    if (result.deviceFailed) {
        result.message = LoadText(kTextCannotWritePdf).arg(path);
    }
    return result;
}

QImage RenderDetailPage(const Program& program, int page, int width, DisplayStyle style) {
    const double margin = width * kMarginMm / QPageSize(QPageSize::A4).size(QPageSize::Millimeter).width();
    const double inner = width - 2 * margin;
    const double innerHeight = inner / A4Proportion();
    const DetailSheet sheet(program, style, innerHeight * kPageWidth / inner);
    if (page < 1 || page > sheet.pageCount() || width <= 0) {
        return QImage();
    }
    QImage image(width, static_cast<int>(innerHeight + 2 * margin), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.translate(margin, margin);
    painter.scale(inner / kPageWidth, inner / kPageWidth);
    sheet.paintPage(painter, page - 1);
    return image;
}

}  // namespace bdx
