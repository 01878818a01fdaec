#include "compare_programs.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app_context.h"
#include "frm_main.h"
#include "ladder/grid.h"
#include "ladder/program_file.h"
#include "print/program_diff.h"
#include "shell/language_table.h"
#include "shell/prompter.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    Close = 4086,
    WindowTitle = 8121,
    ProgramsSame = 8122,
    ChooserCaption = 8123,
};

constexpr const char* kProgramFilter = "h53 (*.h53);;m53 (*.m53);;t53 (*.t53)";

}  // namespace

frmCompareProgram::frmCompareProgram(const QString& fileName, const QString& report, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmCompareProgram"));
    SetTextId(this, WindowTitle);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);

    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("txtDifferences"));
    text_->setReadOnly(true);
    // Ladder lines line up only in a fixed-width font.
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setPlainText(report);
    layout->addWidget(text_);

    auto* row = new QHBoxLayout;
    row->addStretch();
    QPushButton* close = CommandButton(this, "cmdClose", Close);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    row->addWidget(close);
    layout->addLayout(row);

    ApplyCaptions(this);
    text_->setAccessibleName(fileName);
    setWindowTitle(windowTitle() + QStringLiteral(" - ") + fileName);
    resize(820, 520);
}

QString frmCompareProgram::report() const {
    return text_->toPlainText();
}

CompareController::CompareController(AppContext& context, frmMain& frame) : context_(context), frame_(frame) {
    frame_.registerCommand("mnuFileCompare", [this] { compareWithFile(); });
}

void CompareController::compareWithFile() {
    Prompter& prompter = context_.prompter();
    const Program& open = context_.program();
    const QString path = prompter.chooseOpenFile({WithoutAccelerators(LoadText(ChooserCaption)),
                                                  QString::fromLatin1(kProgramFilter), QStringLiteral("h53"),
                                                  QFileInfo(open.ProgramFilePath).path(), {}});
    if (path.isEmpty()) {
        return;
    }
    Program other;
    // The reader tells the user what was wrong with the file; the open program is never touched.
    if (!ReadProgramFile(path, other, prompter).ok()) {
        return;
    }
    ConvertLegacyNumberCodes(other.LadderGrid);
    const QStringList differences = ProgramDifferences(open, other);
    const QString report = differences.isEmpty() ? LoadText(ProgramsSame) : differences.join(QLatin1Char('\n'));
    frmCompareProgram window(QFileInfo(path).fileName(), report, &frame_);
    context_.runDialog(window);
}

}  // namespace bdx
