#include "printout.h"

#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QSaveFile>

#include "ladder/program.h"
#include "print/detail_printout.h"
#include "shell/language_table.h"

namespace bdx {

namespace {

constexpr int kTextCannotWritePdf = 8347;
constexpr int kTextProgramInDetail = 8060;
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
