#include "print_page_frame.h"

#include <utility>

#include "shell/language_table.h"

namespace bdx {

namespace {

constexpr int kHeaderRuleLength = 96;
constexpr int kHeadingRuleLength = 95;
const QString kLabelTabs = QStringLiteral("\t\t");
const QString kHeadingTabs = QStringLiteral("\t\t\t");

// The page header's labels, in the order they print: Page, Project, Author, Approved by, Version,
// Date, File Name.
constexpr int kHeaderLabelIds[] = {8506, 8507, 8508, 8509, 8510, 8504, 8511};
constexpr int kHeaderLabelWidth = 13;

QString headerLine(int label, const QString& value) {
    return LoadText(kHeaderLabelIds[label]).leftJustified(kHeaderLabelWidth) + QStringLiteral(": ") +
           kLabelTabs + value;
}

}  // namespace

PageHeaderTexts HeaderTextsOf(const Program& program) {
    PageHeaderTexts header;
    header.project = program.PrintInfo[PrintInfoText::Project];
    header.author = program.PrintInfo[PrintInfoText::Author];
    header.approvedBy = program.PrintInfo[PrintInfoText::ApprovedBy];
    header.version = program.PrintInfo[PrintInfoText::Version];
    header.date = program.PrintInfo[PrintInfoText::Date];
    header.filePath = program.ProgramFilePath.isEmpty() ? program.ProgramFileName : program.ProgramFilePath;
    return header;
}

QStringList FilePathPieces(const QString& path) {
    QStringList pieces;
    for (qsizetype at = 0; at < path.size(); at += kPathPieceLength) {
        pieces << path.mid(at, kPathPieceLength);
    }
    if (pieces.isEmpty()) {
        pieces << QString();
    }
    // The joining " - " ends each piece that continues on the next line.
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        pieces[i] += QStringLiteral(" - ");
    }
    return pieces;
}

QStringList PageHeaderLines(const PageHeaderTexts& header, int pageNumber) {
    QStringList lines;
    lines << QString(kHeaderRuleLength, QLatin1Char('_'));
    lines << headerLine(0, QString::number(pageNumber));
    lines << headerLine(1, header.project);
    lines << headerLine(2, header.author);
    lines << headerLine(3, header.approvedBy);
    lines << headerLine(4, header.version);
    lines << headerLine(5, header.date);

    const QStringList pieces = FilePathPieces(header.filePath);
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        lines << (i == 0 ? headerLine(6, pieces[i]) : kLabelTabs + pieces[i]);
    }
    return lines;
}

PageFrame::PageFrame(PageHeaderTexts header) : header_(std::move(header)) {}

void PageFrame::printLine(const QString& line) {
    if (pages_.empty() || lineCount_ >= kPageLines) {
        beginPage();
    }
    append(line);
}

void PageFrame::printHeading(const QString& heading) {
    printLine(QString());
    printLine(kHeadingTabs + heading);
    printLine(QString(kHeadingRuleLength, QLatin1Char('_')));
    printLine(QString());
}

void PageFrame::beginPage() {
    pages_.emplace_back();
    lineCount_ = 0;
    // The header never opens a page of its own, however long the path makes it.
    for (const QString& line : PageHeaderLines(header_, static_cast<int>(pages_.size()))) {
        append(line);
    }
}

void PageFrame::append(const QString& line) {
    pages_.back() << line;
    ++lineCount_;
}

}  // namespace bdx
