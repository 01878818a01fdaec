#include "print_command.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include "print/comment_listing.h"
#include "print/detail_printout.h"
#include "print/parameter_listing.h"
#include "print/short_printout.h"
#include "print/text_page_writer.h"
#include "program_commands.h"
#include "shell/language_table.h"

namespace bdx::cli {

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

const char* const kUsageText =
    "usage: branteldesk-cli print FILE --kind parameters|comments|short (--pdf OUT | --text) [--lang "
    "en|pt|pl|es]\n"
    "       branteldesk-cli print FILE --kind detail --pdf OUT [--lang en|pt|pl|es]\n";

struct PrintRequest {
    QString file;
    QString kind;
    QString pdf;
    bool text = false;
    int language = English;
    bool languageGiven = false;
};

std::optional<int> languageOfCode(const QString& code) {
    for (const LanguageChoice& choice : kLanguages) {
        if (code == QLatin1String(LanguageCode(choice.offset))) {
            return choice.offset;
        }
    }
    return std::nullopt;
}

std::optional<PrintRequest> parse(const QStringList& args) {
    PrintRequest request;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--kind") && hasValue && request.kind.isEmpty()) {
            request.kind = args[++i];
        } else if (arg == QLatin1String("--pdf") && hasValue && request.pdf.isEmpty()) {
            request.pdf = args[++i];
        } else if (arg == QLatin1String("--lang") && hasValue && !request.languageGiven &&
                   languageOfCode(args[i + 1])) {
            request.language = *languageOfCode(args[++i]);
            request.languageGiven = true;
        } else if (arg == QLatin1String("--text") && !request.text) {
            request.text = true;
        } else if (!arg.startsWith(QLatin1String("--")) && request.file.isEmpty()) {
            request.file = arg;
        } else {
            return std::nullopt;
        }
    }
    static const QStringList kKinds = {QStringLiteral("parameters"), QStringLiteral("comments"),
                                       QStringLiteral("short"), QStringLiteral("detail")};
    // The detail printout is a drawing: it has no text form.
    const bool drawing = request.kind == QLatin1String("detail");
    if (request.file.isEmpty() || !kKinds.contains(request.kind) || request.text == !request.pdf.isEmpty() ||
        (drawing && request.text)) {
        return std::nullopt;
    }
    return request;
}

}  // namespace

bool NeedsGuiApplication(const QStringList& arguments) {
    return arguments.value(0) == QLatin1String("print") && arguments.contains(QStringLiteral("--pdf"));
}

int PrintCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
    const std::optional<PrintRequest> request = parse(args);
    if (!request) {
        err << kUsageText;
        return kUsage;
    }
    // English unless asked: a script's printout does not depend on a stored language setting.
    SetLanguageOffset(request->language);
    Program program;
    if (!ReadProgramForCommand(request->file, program, err)) {
        return kFailed;
    }
    if (program.ProgramFilePath.isEmpty()) {
        const QFileInfo info(request->file);
        program.ProgramFileName = info.fileName();
        program.ProgramFilePath = QDir::toNativeSeparators(info.absoluteFilePath());
    }

    if (request->kind == QLatin1String("detail")) {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
            err << "print --pdf: no graphical application to draw with\n";
            return kFailed;
        }
        const DetailPrintResult result = WriteDetailPdf(program, request->pdf, DetailPrintOptions{});
        if (!result.ok) {
            err << result.message << '\n';
            return kFailed;
        }
        return kOk;
    }

    PrintPages pages;
    TextPageStyle style;
    if (request->kind == QLatin1String("parameters")) {
        pages = ParameterListing(program);
    } else if (request->kind == QLatin1String("comments")) {
        pages = CommentListing(program);
        if (pages.empty()) {
            err << LoadText(kNothingToPrintText) << '\n';
            return kFailed;
        }
    } else {
        pages = ShortPrintout(program);
        style = GridTextStyle();
    }

    if (request->text) {
        for (std::size_t page = 0; page < pages.size(); ++page) {
            if (page > 0) {
                out << '\f';
            }
            for (const QString& line : pages[page]) {
                out << line << '\n';
            }
        }
        return kOk;
    }
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        err << "print --pdf: no graphical application to draw with\n";
        return kFailed;
    }
    QString error;
    if (!WriteTextPdf(pages, request->pdf, program.ProgramFileName, style, &error)) {
        err << request->pdf << ": the PDF could not be written: " << error << '\n';
        return kFailed;
    }
    return kOk;
}

}  // namespace bdx::cli
