#include <gtest/gtest.h>

#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <set>

#include "ladder/grid.h"
#include "ladder/operands.h"
#include "print/detail_printout.h"
#include "shell/language_table.h"

namespace bdx {
namespace {

// A rung in one line: a contact, wires to the coil, and a comment naming the line.
void FillLine(Program& program, int line) {
    program.word(line, 0) = 'I';
    program.word(line, 1) = OperandNumberCode(line % 8 + 1);
    program.word(line, 2) = JunctionBase + JunctionLeft + JunctionRight;
    for (int column = 1; column < kContactColumns; ++column) {
        program.word(line, kContactWord[column]) = CellWire;
        program.word(line, kContactWord[column] + kNumberWordOffset) = CellWire;
        program.word(line, kContactWord[column] + kJunctionWordOffset) = JunctionBase + JunctionLeft + JunctionRight;
    }
    program.word(line, kCoilFunctionWord) = CoilContactor;
    program.word(line, kCoilLetterWord) = 'Q';
    program.word(line, kCoilNumberWord) = OperandNumberCode(1);
    program.LineComments[line] = QStringLiteral("rung %1").arg(line + 1, 3, 10, QLatin1Char('0'));
}

Program FullProgram() {
    Program program;
    for (int line = 0; line < kLadderLines; ++line) {
        FillLine(program, line);
    }
    program.PrintInfo[PrintInfoText::Project] = QStringLiteral("Pump station West");
    program.PrintInfo[PrintInfoText::Author] = QStringLiteral("R. Almeida");
    program.PrintInfo[PrintInfoText::ApprovedBy] = QStringLiteral("J. Nowak");
    program.PrintInfo[PrintInfoText::Version] = QStringLiteral("4.2");
    program.PrintInfo[PrintInfoText::Date] = QStringLiteral("7/12/2026");
    program.ProgramFileName = QStringLiteral("pumps.h53");
    program.ProgramFilePath = QStringLiteral("/cabinets/west/pumps.h53");
    return program;
}

// Joins lines first..last of the first contact column by vertical links into one rung.
void Link(Program& program, int first, int last) {
    for (int line = first; line < last; ++line) {
        SetVerticalLink(program.LadderGrid, line, 0);
    }
}

TEST(DetailPrintout, PrintsUpToTheLastUsedLineAndShrinksGaps) {
    Program program;
    EXPECT_TRUE(PrintedLines(program).empty());
    FillLine(program, 0);
    FillLine(program, 1);
    FillLine(program, 6);
    program.LineComments[9] = QStringLiteral("spare");  // a comment alone keeps its line
    EXPECT_EQ(PrintedLines(program), (std::vector<int>{0, 1, 2, 6, 7, 9}));
}

TEST(DetailPrintout, PagesBreakBetweenRungsOnly) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, int>> rungs;  // linked line ranges
        int perPage;
        std::vector<size_t> pageSizes;
    };
    const std::vector<Case> cases = {
        {"single lines fill every page", {}, 4, {4, 4, 2}},
        {"a rung crossing the break moves to the next page", {{2, 4}}, 4, {2, 4, 4}},
        {"a rung longer than a page starts a fresh one, then lines fill up", {{1, 6}}, 4, {1, 4, 4, 1}},
        {"a rung that exactly fills a page", {{0, 3}}, 4, {4, 4, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Program program;
        std::vector<int> lines;
        for (int line = 0; line < 10; ++line) {
            FillLine(program, line);
            lines.push_back(line);
        }
        for (const auto& rung : c.rungs) {
            Link(program, rung.first, rung.second);
        }
        const auto pages = PaginateLines(program, lines, c.perPage);
        std::vector<size_t> sizes;
        std::vector<int> order;
        for (const auto& page : pages) {
            sizes.push_back(page.size());
            order.insert(order.end(), page.begin(), page.end());
        }
        EXPECT_EQ(sizes, c.pageSizes);
        EXPECT_EQ(order, lines);
    }
}

class DetailPdf : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    }

    // The text of each page of a PDF, as pdftotext reads it back.
    QStringList pagesOf(const QString& pdf) {
        QProcess process;
        process.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        EXPECT_TRUE(process.waitForFinished(60000));
        QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\f'));
        if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) {
            pages.removeLast();
        }
        return pages;
    }

    QTemporaryDir dir;
    QString pdftotext;
};

TEST_F(DetailPdf, FullProgramKeepsEveryLineOnceUnderTheHeaderOfEachPage) {
    if (pdftotext.isEmpty()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    const Program program = FullProgram();
    const QString pdf = dir.filePath(QStringLiteral("full.pdf"));
    const DetailPrintResult result = WriteDetailPdf(program, pdf, {});
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    EXPECT_EQ(result.totalPages, 13);
    EXPECT_EQ(result.printedPages, result.totalPages);

    const QStringList pages = pagesOf(pdf);
    ASSERT_EQ(pages.size(), result.totalPages);
    std::vector<int> seen;
    const QRegularExpression rung(QStringLiteral("rung (\\d{3})"));
    for (int i = 0; i < pages.size(); ++i) {
        const QString& text = pages[i];
        SCOPED_TRACE(i + 1);
        EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Page\\s*:\\s*%1\\b").arg(i + 1))));
        for (const char* value : {"Pump station West", "R. Almeida", "J. Nowak", "4.2", "7/12/2026",
                                  "/cabinets/west/pumps.h53", "Approved by", "File Name"}) {
            EXPECT_TRUE(text.contains(QLatin1String(value))) << value;
        }
        for (auto match = rung.globalMatch(text); match.hasNext();) {
            seen.push_back(match.next().captured(1).toInt());
        }
    }
    // Every line once, in order, none lost at a page break.
    ASSERT_EQ(seen.size(), size_t(kLadderLines));
    for (int line = 0; line < kLadderLines; ++line) {
        EXPECT_EQ(seen[line], line + 1);
    }
}

TEST_F(DetailPdf, PageRangeAndFailures) {
    const Program program = FullProgram();
    const QString pdf = dir.filePath(QStringLiteral("range.pdf"));
    DetailPrintOptions options;
    options.style = DisplayStyle::Electrical;
    options.firstPage = 2;
    options.lastPage = 3;
    const DetailPrintResult range = WriteDetailPdf(program, pdf, options);
    ASSERT_TRUE(range.ok) << range.message.toStdString();
    EXPECT_EQ(range.printedPages, 2);
    if (!pdftotext.isEmpty()) {
        const QStringList pages = pagesOf(pdf);
        ASSERT_EQ(pages.size(), 2);
        EXPECT_TRUE(pages[0].contains(QRegularExpression(QStringLiteral("Page\\s*:\\s*2\\b"))));
        EXPECT_TRUE(pages[1].contains(QRegularExpression(QStringLiteral("Page\\s*:\\s*3\\b"))));
    }

    options.firstPage = 14;
    options.lastPage = 0;
    DetailPrintResult bad = WriteDetailPdf(program, dir.filePath(QStringLiteral("bad.pdf")), options);
    EXPECT_FALSE(bad.ok);
    EXPECT_TRUE(bad.message.contains(QLatin1String("13"))) << bad.message.toStdString();

    const QString unwritable = dir.filePath(QStringLiteral("missing/folder/out.pdf"));
    bad = WriteDetailPdf(program, unwritable, {});
    EXPECT_FALSE(bad.ok);
    EXPECT_TRUE(bad.message.contains(unwritable)) << bad.message.toStdString();

    bad = WriteDetailPdf(Program(), dir.filePath(QStringLiteral("empty.pdf")), {});
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.message, LoadText(4208).trimmed());
}

TEST(DetailPrintoutScreenshots, Screenshots) {
    const QString folder = qEnvironmentVariable("BDX_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "BDX_SCREENSHOT_DIR not set";
    }
    Program program = FullProgram();
    program.word(3, 0) = 'I' + NormallyClosedShift;
    program.word(3, kCoilFunctionWord) = CoilSet;
    Link(program, 4, 6);
    program.comment(Operand::I, 0) = QStringLiteral("Start button");
    program.LineComments[4] = QStringLiteral("Pump 1 runs while the level switch is closed");
    for (const auto style : {DisplayStyle::Device, DisplayStyle::Plc, DisplayStyle::Electrical}) {
        const QImage page = RenderDetailPage(program, 1, 1240, style);
        ASSERT_FALSE(page.isNull());
        page.save(folder + QStringLiteral("/print_detail_%1_en.png").arg(static_cast<int>(style)));
    }
    // A sample file for the documentation, the first two pages in the PLC style.
    EXPECT_TRUE(WriteDetailPdf(program, folder + QStringLiteral("/print_detail_en.pdf"), {DisplayStyle::Plc, 1, 2}).ok);
}

}  // namespace
}  // namespace bdx
