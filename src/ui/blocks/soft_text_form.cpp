#include "soft_text_form.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "blocks/soft_text_editing.h"
#include "dlg_soft_msg_embedded_data.h"
#include "editor/ladder_editor.h"
#include "shell/language_table.h"
#include "sim/soft_text_preview.h"
#include "soft_text_editor.h"
#include "ui/sim/pc_simulation_runner.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    SaveCaption = 104,
    CancelCaption = 8083,
    Title = 8452,
    InsertData = 8453,
    TextFrameCaption = 8454,
    PriorityFrame = 8455,
    PriorityRule = 8456,
    SaveQuestion = 8457,
    DisplayFrame = 8458,
    MessageActive = 8459,
    MessageNotActive = 8460,
    CommentLabel = 8471,
    KeysHint = 8472,
};

}  // namespace

soft_text_form::soft_text_form(LadderEditor& editor, Prompter& prompter, int message, DialogRunner runDialog,
                               PcSimulationRunner* run, QWidget* parent)
    : BlockDialog(editor, prompter, run, parent),
      runDialog_(std::move(runDialog)),
      preview_(std::make_unique<SoftTextPreview>(editor.program())) {
    setBlock(Operand::X, std::clamp(message, 0, kSoftTexts - 1));
    setObjectName(QStringLiteral("soft_text_form"));
    SetTextId(this, Title);
    QHBoxLayout* buttons = makeButtons("cmdSave", SaveCaption, "cmdCancel", CancelCaption, true);

    cmbMessage_ = makeNumberList("cmbMessage", "X", kSoftTexts, this);
    cmbMessage_->setAccessibleName(LoadText(Title));
    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(cmbMessage_);
    numberRow->addStretch();

    auto* priorityFrame = TextFrame(PriorityFrame, "fraPriority", this);
    auto* priority = Named(new QLabel(priorityFrame), "lblPriority");
    SetTextId(priority, PriorityRule);
    priority->setWordWrap(true);
    (new QVBoxLayout(priorityFrame))->addWidget(priority);

    auto* commentLabel = Named(new QLabel(this), "lblComment");
    SetTextId(commentLabel, CommentLabel);
    txtComment_ = Named(new QLineEdit(this), "txtComment");
    commentLabel->setBuddy(txtComment_);
    auto* commentRow = new QHBoxLayout;
    commentRow->addWidget(commentLabel);
    commentRow->addWidget(txtComment_, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(numberRow);
    layout->addWidget(buildTextFrame());
    if (run_) {
        layout->addWidget(buildDisplayFrame());
    }
    layout->addWidget(priorityFrame);
    layout->addLayout(commentRow);
    layout->addLayout(buttons);
    setTabOrder(cmbMessage_, grdText_);
    setTabOrder(grdText_, cmdInsertData_);

    connect(cmbMessage_, &QComboBox::currentIndexChanged, this, &soft_text_form::cmbMessage_Click);
    connect(txtComment_, &QLineEdit::textEdited, this, &soft_text_form::markEdited);

    ApplyCaptions(this);
    Form_Activate();
    soft_text_form::refreshLive();
}

soft_text_form::~soft_text_form() = default;

QWidget* soft_text_form::buildTextFrame() {
    auto* frame = TextFrame(TextFrameCaption, "fraText", this);
    grdText_ = Named(
        new SoftTextEditor(
            editor_.program(), [this](const SoftTextRow& text) { return preview_->lines(text); }, frame),
        "grdText");
    cmdInsertData_ = Named(new QPushButton(frame), "cmdInsertData");
    SetTextId(cmdInsertData_, InsertData);
    cmdInsertData_->setAutoDefault(false);
    auto* hint = Named(new QLabel(frame), "lblKeys");
    SetTextId(hint, KeysHint);
    hint->setWordWrap(true);

    auto* side = new QVBoxLayout;
    side->addWidget(cmdInsertData_);
    side->addWidget(hint);
    side->addStretch();
    auto* row = new QHBoxLayout(frame);
    row->addWidget(grdText_, 0, Qt::AlignTop);
    row->addLayout(side, 1);

    connect(grdText_, &SoftTextEditor::edited, this, &soft_text_form::markEdited);
    connect(grdText_, &SoftTextEditor::refused, this,
            [this](const Message& message) { prompter_.show(message); });
    connect(cmdInsertData_, &QPushButton::clicked, this, &soft_text_form::cmdInsertData_Click);
    return frame;
}

QWidget* soft_text_form::buildDisplayFrame() {
    auto* frame = TextFrame(DisplayFrame, "fraDisplay", this);
    grdDisplay_ = Named(new SoftTextGrid(frame), "grdDisplay");
    lblDisplay_ = Named(new QLabel(frame), "lblDisplay");
    lblActive_ = Named(new QLabel(frame), "lblActive");
    auto* labels = new QVBoxLayout;
    labels->addWidget(lblActive_);
    labels->addWidget(lblDisplay_);
    labels->addStretch();
    auto* row = new QHBoxLayout(frame);
    row->addWidget(grdDisplay_, 0, Qt::AlignTop);
    row->addLayout(labels, 1);
    return frame;
}

void soft_text_form::Form_Activate() {
    beginLoading();
    const Program& program = editor_.program();
    grdText_->setText(program.SoftTextParams[number()]);
    txtComment_->setText(program.comment(Operand::X, number()));
    endLoading();
}

void soft_text_form::cmbMessage_Click(int index) {
    if (switchBlock(cmbMessage_, index, LoadText(SaveQuestion).arg(number() + 1))) {
        Form_Activate();
        refreshLive();
    }
}

void soft_text_form::cmdInsertData_Click() {
    dlgSoftMsgEmbeddedData dialog(editor_.program(), prompter_, this);
    if (runDialog_(dialog) != DialogResult::Accepted) {
        return;
    }
    if (const std::optional<EmbeddedField> field = ParseEmbeddedDataToken(dialog.token())) {
        if (const Refusal refusal = grdText_->insertField(*field)) {
            prompter_.show(*refusal);
        }
    }
    grdText_->setFocus();
}

bool soft_text_form::save() {
    const SoftTextRow text = grdText_->text();
    const QString comment = txtComment_->text();
    const int index = number();
    return store([&text, &comment, index](Program& program) -> Refusal {
        if (Refusal refusal = SaveSoftTextMessage(program, index, text)) {
            return refusal;
        }
        program.comment(Operand::X, index) = comment;
        return std::nullopt;
    });
}

void soft_text_form::refreshLive() {
    if (!run_ || !run_->running() || grdDisplay_ == nullptr) {
        return;
    }
    const SoftTextEvaluation& texts = run_->simulation().blocks().softTexts;
    grdDisplay_->setLines(texts.RenderLines(editor_.program().SoftTextParams[number()]));
    lblDisplay_->setText(texts.caption());
    const bool active = texts.MessageActive(run_->engine(), number());
    lblActive_->setText(LoadText(active ? MessageActive : MessageNotActive).arg(number() + 1));
}

}  // namespace bdx
