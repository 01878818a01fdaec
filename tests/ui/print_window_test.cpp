#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStandardPaths>

#include "app_rig.h"
#include "ui/print/frm_print_footer.h"
#include "ui/print/print_controller.h"
#include "ui/print/print_pages_form.h"

namespace bdx {

namespace {

using PrintWindowTest = AppRig;

// A printout of a fixed number of pages that records what it was asked to draw.
struct RecordingPrintout {
    int pages = 5;
    bool fail = false;
    std::vector<std::pair<int, int>> ranges;
    bool onPdf = false;

    Printout printout() {
        Printout p;
        p.titleId = 8060;
        p.pageCount = [this](const QPagedPaintDevice&) { return pages; };
        p.render = [this](QPagedPaintDevice& device, int first, int last, QString* error) {
            ranges.emplace_back(first, last);
            onPdf = dynamic_cast<QPdfWriter*>(&device) != nullptr;
            if (fail) {
                *error = QStringLiteral("the pages could not be drawn");
                return false;
            }
            QPainter painter(&device);
            painter.drawText(100, 100, QStringLiteral("page %1").arg(first));
            return true;
        };
        return p;
    }
};

QStringList PdfPages(const QString& pdftotext, const QString& pdf) {
    QProcess process;
    process.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(process.waitForFinished(60000));
    QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) {
        pages.removeLast();
    }
    return pages;
}

TEST_F(PrintWindowTest, FooterTextsAreOneUndoStepAndAnUnchangedFooterNone) {
    start();
    program().PrintInfo[PrintInfoText::Project] = QStringLiteral("Old project");
    program().PrintInfo[7] = QStringLiteral("kept");  // a header text the dialog does not show
    const auto fill = [](const char* project, const char* approvedBy) {
        return [project, approvedBy](frmPrintFooter& d) {
            d.findChild<QLineEdit*>(QStringLiteral("txtProject"))->setText(QString::fromUtf8(project));
            d.findChild<QLineEdit*>(QStringLiteral("txtApprovedBy"))->setText(QString::fromUtf8(approvedBy));
            d.findChild<QLineEdit*>(QStringLiteral("txtDate"))->setText(QStringLiteral("8/12/2026"));
            d.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        };
    };
    openFrom<frmPrintFooter>("mnuFilePrintFooter", fill("Pump station", "J. Nowak"));
    EXPECT_EQ(program().PrintInfo[PrintInfoText::Project], QStringLiteral("Pump station"));
    EXPECT_EQ(program().PrintInfo[PrintInfoText::ApprovedBy], QStringLiteral("J. Nowak"));
    EXPECT_EQ(program().PrintInfo[PrintInfoText::Author], QString());
    EXPECT_EQ(program().PrintInfo[PrintInfoText::Date], QStringLiteral("8/12/2026"));
    EXPECT_EQ(program().PrintInfo[7], QStringLiteral("kept"));
    EXPECT_TRUE(program().ProgramModified);

    // The same texts again, and a cancelled change: no undo point either time.
    openFrom<frmPrintFooter>("mnuFilePrintFooter", fill("Pump station", "J. Nowak"));
    openFrom<frmPrintFooter>("mnuFilePrintFooter", [](frmPrintFooter& d) {
        d.findChild<QLineEdit*>(QStringLiteral("txtProject"))->setText(QStringLiteral("discarded"));
        d.reject();
    });
    EXPECT_EQ(program().PrintInfo[PrintInfoText::Project], QStringLiteral("Pump station"));

    ASSERT_TRUE(editor().Undo());
    EXPECT_EQ(program().PrintInfo[PrintInfoText::Project], QStringLiteral("Old project"));
    EXPECT_EQ(program().PrintInfo[PrintInfoText::ApprovedBy], QString());
    EXPECT_FALSE(editor().CanUndo());
    EXPECT_TRUE(prompter.messages().empty());
}

TEST_F(PrintWindowTest, ThePagesChosenReachThePrintoutAndAFailedWriteIsOneMessage) {
    start();
    RecordingPrintout recording;
    const QString pdf = path("range.pdf");
    expectDialog<print_pages_form>([](print_pages_form& d) {
        EXPECT_TRUE(d.findChild<QLabel*>(QStringLiteral("lblPageCount"))->text().contains(QLatin1String("5")));
        EXPECT_EQ(d.fromBox()->maximum(), 5);
        EXPECT_EQ(d.toBox()->value(), 5);
        // One end moved past the other takes it along.
        d.fromBox()->setValue(4);
        d.toBox()->setValue(2);
        EXPECT_EQ(d.fromBox()->value(), 2);
        d.toBox()->setValue(3);
        d.button(print_pages_form::Choice::ExportPdf)->click();
    });
    prompter.queueFile(pdf);
    RunPrintout(app->context(), window(), recording.printout());
    ASSERT_EQ(recording.ranges.size(), 1u);
    EXPECT_EQ(recording.ranges[0], std::make_pair(2, 3));
    EXPECT_TRUE(recording.onPdf);
    EXPECT_TRUE(QFileInfo(pdf).size() > 0);
    EXPECT_TRUE(prompter.messages().empty());
    ASSERT_EQ(prompter.fileRequests().size(), 1u);
    EXPECT_EQ(prompter.fileRequests()[0].defaultSuffix, QStringLiteral("pdf"));

    // A printout that fails leaves no half-written file and says so once; so does a folder
    // that does not exist.
    recording.fail = true;
    const QString failed = path("failed.pdf");
    const QString unwritable = path("missing/folder/out.pdf");
    for (const QString& target : {failed, unwritable}) {
        SCOPED_TRACE(target.toStdString());
        prompter.clear();
        expectDialog<print_pages_form>(
            [](print_pages_form& d) { d.button(print_pages_form::Choice::ExportPdf)->click(); });
        prompter.queueFile(target);
        RunPrintout(app->context(), window(), recording.printout());
        ASSERT_EQ(prompter.messages().size(), 1u);
        EXPECT_EQ(prompter.messages()[0].icon, MessageIcon::Warning);
        EXPECT_FALSE(QFileInfo::exists(target));
    }
    EXPECT_TRUE(prompter.texts()[0].contains(unwritable)) << prompter.texts()[0].toStdString();

    // Cancel at the form or at the file chooser: nothing drawn, nothing said.
    recording.ranges.clear();
    prompter.clear();
    expectDialog<print_pages_form>([](print_pages_form& d) { d.reject(); });
    RunPrintout(app->context(), window(), recording.printout());
    expectDialog<print_pages_form>(
        [](print_pages_form& d) { d.button(print_pages_form::Choice::ExportPdf)->click(); });
    prompter.queueFile(QString());
    RunPrintout(app->context(), window(), recording.printout());
    EXPECT_TRUE(recording.ranges.empty());
    EXPECT_TRUE(prompter.messages().empty());
}

TEST_F(PrintWindowTest, ExportPdfHoldsThePagesAsked) {
    start();
    // Nothing in the program: said at once, no form.
    command("tbPrintDetail")->trigger();
    command("tbPrintComments")->trigger();
    EXPECT_EQ(prompter.texts(), QStringList(2, LoadText(4208)));
    prompter.clear();

    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    for (int line = 0; line < kLadderLines; ++line) {
        program().LineComments[line] = QStringLiteral("rung %1").arg(line + 1, 3, 10, QLatin1Char('0'));
    }
    program().PrintInfo[PrintInfoText::Project] = QStringLiteral("Pump station West");
    const QString pdf = path("detail.pdf");
    int pages = 0;
    expectDialog<print_pages_form>([&pages](print_pages_form& d) {
        pages = d.toBox()->maximum();
        d.setRange(2, 3);
        d.button(print_pages_form::Choice::ExportPdf)->click();
    });
    prompter.queueFile(pdf);
    command("mnuFilePrintDetail")->trigger();
    EXPECT_GT(pages, 3);
    EXPECT_TRUE(prompter.messages().empty());

    const QStringList text = PdfPages(pdftotext, pdf);
    ASSERT_EQ(text.size(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(text[i].contains(QRegularExpression(QStringLiteral("Page\\s*:\\s*%1\\b").arg(i + 2))));
        EXPECT_TRUE(text[i].contains(QLatin1String("Pump station West")));
    }
    EXPECT_FALSE(text[0].contains(QLatin1String("rung 001")));
    EXPECT_TRUE(text[1].contains(QRegularExpression(QStringLiteral("rung \\d{3}"))));

    // The text printouts go the same way: the first of the short printout's five pages.
    const QString shortPdf = path("short.pdf");
    expectDialog<print_pages_form>([](print_pages_form& d) {
        EXPECT_EQ(d.toBox()->maximum(), 5);
        d.setRange(1, 1);
        d.button(print_pages_form::Choice::ExportPdf)->click();
    });
    prompter.queueFile(shortPdf);
    command("tbPrintShort")->trigger();
    const QStringList shortText = PdfPages(pdftotext, shortPdf);
    ASSERT_EQ(shortText.size(), 1);
    EXPECT_TRUE(shortText[0].contains(QLatin1String("001 |"))) << shortText[0].toStdString();
}

TEST_F(PrintWindowTest, Screenshots) {
    InScreenshotLanguages([](const QString& language) {
        print_pages_form pages(13, 8060);
        pages.setRange(2, 5);
        Shoot(pages, QStringLiteral("print_pages_form_") + language);
        frmPrintFooter::Texts texts;
        texts[PrintInfoText::Project] = QStringLiteral("Pump station West");
        texts[PrintInfoText::Author] = QStringLiteral("R. Almeida");
        texts[PrintInfoText::Version] = QStringLiteral("4.2");
        texts[PrintInfoText::Date] = QStringLiteral("7/12/2026");
        frmPrintFooter footer(texts);
        Shoot(footer, QStringLiteral("frmPrintFooter_") + language);
    });
    // The preview of an example's detail printout, as File / Print Detail / Preview shows it.
    const QString example = path("motor_start_stop.h53");
    ASSERT_TRUE(QFile::copy(QStringLiteral(BDX_SOURCE_DIR "/examples/motor_start_stop.h53"), example));
    start(example);
    program().ProgramFilePath = QStringLiteral("/home/electrician/cabinets/motor_start_stop.h53");
    expectDialog<print_pages_form>(
        [](print_pages_form& d) { d.button(print_pages_form::Choice::Preview)->click(); });
    openFrom<QDialog>("mnuFilePrintDetail",
                      [](QDialog& preview) { Shoot(preview, QStringLiteral("print_preview_en")); });
}

}  // namespace

}  // namespace bdx
