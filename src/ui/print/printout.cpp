#include "printout.h"

#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>

#include "ladder/program.h"
#include "print/comment_listing.h"
#include "print/detail_printout.h"
#include "print/parameter_listing.h"
#include "print/short_printout.h"
#include "print/text_page_writer.h"
#include "shell/language_table.h"

namespace bdx {

namespace {

constexpr int kTextCannotWritePdf = 8347;
constexpr int kTextProgramInDetail = 8060;
constexpr int kTextProgramInShort = 8059;
constexpr int kTextParameters = 8061;
constexpr int kTextComments = 4152;
constexpr int kTextPrinterFailed = 8349;

PrintPages TextPages(const Program& program, TextPrintoutKind kind) {
    switch (kind) {
        case TextPrintoutKind::Parameters:
            return ParameterListing(program);
        case TextPrintoutKind::Comments:
            return CommentListing(program);
        case TextPrintoutKind::Short:
            break;
    }
    return ShortPrintout(program);
}
constexpr double kMarginMm = 15;
constexpr int kPdfResolution = 300;

}  // namespace

Printout DetailPrintout(const Program& program, DisplayStyle style) {
    Printout printout;
    printout.titleId = kTextProgramInDetail;
    // The printout reads the program when it is drawn: a preview shows the program as it is.
    const Program* source = &program;
    printout.pageCount = [source](const QPagedPaintDevice& device) { return DetailPageCount(*source, device); };
    printout.render = [source, style](QPagedPaintDevice& device, int first, int last, QString* error) {
        DetailPrintOptions options;
        options.style = style;
        options.firstPage = first;
        options.lastPage = last;
        const DetailPrintResult result = PrintDetail(*source, device, options);
        if (!result.ok && error != nullptr) {
            *error = result.message;
        }
        return result.ok;
    };
    return printout;
}

Printout TextPrintout(const Program& program, TextPrintoutKind kind) {
    static constexpr int kTitles[] = {kTextParameters, kTextComments, kTextProgramInShort};
    Printout printout;
    printout.titleId = kTitles[static_cast<int>(kind)];
    const Program* source = &program;
    printout.pageCount = [source, kind](const QPagedPaintDevice&) {
        return static_cast<int>(TextPages(*source, kind).size());
    };
    printout.render = [source, kind](QPagedPaintDevice& device, int first, int last, QString* error) {
        const PrintPages pages = TextPages(*source, kind);
        const int count = static_cast<int>(pages.size());
        first = std::max(first, 1);
        last = last <= 0 ? count : std::min(last, count);
        if (first > last) {
            return true;
        }
        const PrintPages range(pages.begin() + (first - 1), pages.begin() + last);
        const TextPageStyle style = kind == TextPrintoutKind::Short ? GridTextStyle() : TextPageStyle{};
        if (!WriteTextPages(range, device, style)) {
            if (error != nullptr) {
                *error = LoadText(kTextPrinterFailed);
            }
            return false;
        }
        return true;
    };
    return printout;
}

void UsePrintoutPaper(QPagedPaintDevice& device) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter));
}

QString WritePrintoutPdf(const Printout& printout, const QString& path, int first, int last, const QString& title) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return LoadText(kTextCannotWritePdf).arg(path);
    }
    QString error;
    {
        QPdfWriter writer(&file);
        writer.setResolution(kPdfResolution);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("BrantelDesk X"));
        UsePrintoutPaper(writer);
        if (!printout.render(writer, first, last, &error)) {
            file.cancelWriting();
            return error.isEmpty() ? LoadText(kTextCannotWritePdf).arg(path) : error;
        }
    }
    if (!file.commit()) {
        return LoadText(kTextCannotWritePdf).arg(path);
    }
    return QString();
}

}  // namespace bdx
