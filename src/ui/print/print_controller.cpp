#include "print_controller.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <utility>

#include "editor/ladder_editor.h"
#include "frm_print_footer.h"
#include "print_pages_form.h"
#include "shell/language_table.h"
#include "shell/prompter.h"
#include "ui/main/app_context.h"
#include "ui/main/frm_main.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    NothingToPrint = 4208,
    ExportCaption = 8365,
    PdfFilter = 8366,
    NoPrinter = 8367,
    PdfWritten = 8368,
    PreviewTitle = 8369,
};

// Pages on the paper the printouts are laid out for; the form offers this range.
int PagesOnPaper(const Printout& printout) {
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    QPdfWriter paper(&sink);
    paper.setResolution(300);
    UsePrintoutPaper(paper);
    return printout.pageCount(paper);
}

void Preview(AppContext& context, QWidget* parent, const Printout& printout, int first, int last) {
    QPrinter printer(QPrinter::HighResolution);
    UsePrintoutPaper(printer);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setObjectName(QStringLiteral("dlgPrintPreview"));
    preview.setWindowTitle(LoadText(PreviewTitle) + QStringLiteral(" - ") + WithoutAccelerators(LoadText(printout.titleId)));
    // The preview repaints on every change of zoom or paper, and prints through the same call;
    // a failure is told once, after the preview closed.
    QString failure;
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter* target) {
        QString error;
        if (!printout.render(*target, first, last, &error) && failure.isEmpty()) {
            failure = error;
        }
    });
    preview.resize(900, 760);
    context.runDialog(preview);
    if (!failure.isEmpty()) {
        context.prompter().warn(failure);
    }
}

void Print(AppContext& context, QWidget* parent, const Printout& printout, int first, int last) {
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        context.prompter().warn(LoadText(NoPrinter));
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    UsePrintoutPaper(printer);
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("dlgPrint"));
    // The range was chosen already.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    if (context.runDialog(dialog) != DialogResult::Accepted) {
        return;
    }
    QString error;
    if (!printout.render(printer, first, last, &error)) {
        context.prompter().warn(error);
    }
}

void ExportPdf(AppContext& context, QWidget* parent, const Printout& printout, int first, int last) {
    const Program& program = context.program();
    const QString directory =
        program.ProgramFilePath.isEmpty() ? QString() : QFileInfo(program.ProgramFilePath).path();
    const QString base = QFileInfo(program.ProgramFileName).completeBaseName();
    const QString path = context.prompter().chooseSaveFile(
        {WithoutAccelerators(LoadText(ExportCaption)), LoadText(PdfFilter), QStringLiteral("pdf"), directory,
         base + QStringLiteral(".pdf")});
    if (path.isEmpty()) {
        return;
    }
    const QString title = base + QStringLiteral(" - ") + WithoutAccelerators(LoadText(printout.titleId));
    const QString error = WritePrintoutPdf(printout, path, first, last, title);
    if (!error.isEmpty()) {
        context.prompter().warn(error);
        return;
    }
    if (auto* frame = qobject_cast<frmMain*>(parent)) {
        frame->showStatusMessage(LoadText(PdfWritten).arg(QDir::toNativeSeparators(path)));
    }
}

}  // namespace

void RunPrintout(AppContext& context, QWidget* parent, const Printout& printout) {
    const int pages = PagesOnPaper(printout);
    if (pages <= 0) {
        context.prompter().show({MessageIcon::Warning, LoadText(NothingToPrint), {Reply::Ok}});
        return;
    }
    print_pages_form form(pages, printout.titleId, parent);
    if (context.runDialog(form) != DialogResult::Accepted) {
        return;
    }
    const int first = form.firstPage();
    const int last = form.lastPage();
    switch (form.choice()) {
    case print_pages_form::Choice::Preview:
        Preview(context, parent, printout, first, last);
        break;
    case print_pages_form::Choice::Print:
        Print(context, parent, printout, first, last);
        break;
    case print_pages_form::Choice::ExportPdf:
        ExportPdf(context, parent, printout, first, last);
        break;
    case print_pages_form::Choice::None:
        break;
    }
}

PrintController::PrintController(AppContext& context, frmMain& frame) : context_(context), frame_(frame) {
    // One line per printout; the commands of those not added here stay greyed.
    addPrintout("mnuFilePrintDetail", "tbPrintDetail", [this] {
        return DetailPrintout(context_.program(), static_cast<DisplayStyle>(frame_.displayStyle()));
    });
    addPrintout("mnuFilePrintShort", "tbPrintShort",
                [this] { return TextPrintout(context_.program(), TextPrintoutKind::Short); });
    addPrintout("mnuFilePrintParameters", "tbPrintParameters",
                [this] { return TextPrintout(context_.program(), TextPrintoutKind::Parameters); });
    addPrintout("mnuFilePrintComments", "tbPrintComments",
                [this] { return TextPrintout(context_.program(), TextPrintoutKind::Comments); });
    frame_.registerCommand("mnuFilePrintFooter", [this] { editFooter(); });
}

void PrintController::addPrintout(const char* menuCommand, const char* toolbarCommand,
                                  std::function<Printout()> make) {
    const auto run = [this, make = std::move(make)] {
        RunPrintout(context_, &frame_, make());
    };
    frame_.registerCommand(menuCommand, run);
    frame_.registerCommand(toolbarCommand, run);
}

void PrintController::editFooter() {
    frmPrintFooter dialog(context_.program().PrintInfo, &frame_);
    if (context_.runDialog(dialog) != DialogResult::Accepted) {
        return;
    }
    const frmPrintFooter::Texts texts = dialog.texts();
    // One undo point, and none when nothing changed.
    context_.editor().applyEdit([&texts](Program& program) { program.PrintInfo = texts; });
}

}  // namespace bdx
