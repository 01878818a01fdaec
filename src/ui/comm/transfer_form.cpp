#include "transfer_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "comm/comm_link.h"
#include "ladder/program_document.h"
#include "shell/language_table.h"
#include "shell/prompter.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    WriteFailed = 4299,
    ReadFailed = 4307,
    StopCaption = 8100,
    WindowTitle = 8200,
    WriteCaption = 8201,
    ReadCaption = 8202,
    ChooseDirection = 8203,
};

// The transfer's prompter. When the link has already told in a box why an exchange failed (the
// connection lost, a reply refused, no reply), the transfer's own "unable to write / read" would
// be a second box for one failure: it stays in the status line instead.
class OneBoxPerFailure : public Prompter {
  public:
    OneBoxPerFailure(Prompter& prompter, ModbusSession& session) : prompter_(prompter), session_(session) {}

    Reply show(const Message& message) override {
        const bool transferFailed =
            message.text == LoadText(WriteFailed) || message.text == LoadText(ReadFailed);
        if (transferFailed && session_.failureReported()) {
            return Reply::Ok;
        }
        return prompter_.show(message);
    }
    QString chooseOpenFile(const FileChoice& choice) override { return prompter_.chooseOpenFile(choice); }
    QString chooseSaveFile(const FileChoice& choice) override { return prompter_.chooseSaveFile(choice); }
    std::optional<QString> askPassword(const QString& prompt) override {
        return prompter_.askPassword(prompt);
    }

  private:
    Prompter& prompter_;
    ModbusSession& session_;
};

}  // namespace

transfer_form::transfer_form(CommLink& link, ProgramDocument& document, Prompter& prompter, bool bigEndian,
                             Hooks hooks, QWidget* parent)
    : QDialog(parent),
      link_(link),
      document_(document),
      prompter_(prompter),
      bigEndian_(bigEndian),
      hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("transfer_form"));
    setModal(true);
    SetTextId(this, WindowTitle);

    Label1_ = new QLabel(this);
    Label1_->setObjectName(QStringLiteral("Label1"));
    Label1_->setWordWrap(true);
    // Two lines' room: the status texts differ in length from language to language, and the
    // dialog should not jump as they change.
    Label1_->setMinimumHeight(Label1_->fontMetrics().lineSpacing() * 2 + 4);
    Label1_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SetTextId(Label1_, ChooseDirection);

    prgBar_ = new QProgressBar(this);
    prgBar_->setObjectName(QStringLiteral("prgBar"));
    prgBar_->setRange(0, kTransferProgressMax);
    prgBar_->setValue(0);
    prgBar_->setTextVisible(false);

    pc_to_leg_ = CommandButton(this, "pc_to_leg", WriteCaption);
    leg_to_pc_ = CommandButton(this, "leg_to_pc", ReadCaption);
    cmd_stop_ = CommandButton(this, "cmd_stop", StopCaption);
    cmd_stop_->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(pc_to_leg_);
    buttons->addWidget(leg_to_pc_);
    buttons->addStretch();
    buttons->addSpacing(24);
    buttons->addWidget(cmd_stop_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1_);
    layout->addWidget(prgBar_);
    layout->setSpacing(10);
    layout->addSpacing(4);
    layout->addLayout(buttons);
    setMinimumWidth(520);

    connect(pc_to_leg_, &QPushButton::clicked, this, [this] { pc_to_leg_Click(); });
    connect(leg_to_pc_, &QPushButton::clicked, this, [this] { leg_to_pc_Click(); });
    connect(cmd_stop_, &QPushButton::clicked, this, &transfer_form::cmd_stop_Click);

    ApplyCaptions(this);
    setWindowTitle(WithoutAccelerators(windowTitle()));
}

transfer_form::~transfer_form() = default;

bool transfer_form::pc_to_leg_Click() {
    const bool written = transfer(document_.program(), true);
    if (written) {
        accept();
    }
    return written;
}

bool transfer_form::leg_to_pc_Click() {
    // The device's program is read into a copy: the editor keeps the user's program and its undo
    // history until the whole program has arrived, so a read that fails half-way loses nothing.
    // The copy carries the modified flag, so the question to save comes as it would in place.
    auto incoming = std::make_unique<Program>(document_.program());
    if (!transfer(*incoming, false)) {
        return false;
    }
    document_.TakeProgram(std::move(*incoming));
    return true;
}

void transfer_form::cmd_stop_Click() {
    if (job_ != nullptr) {
        job_->cmd_stop_Click();
    }
    link_.cancel();
}

bool transfer_form::transfer(Program& program, bool write) {
    if (job_ != nullptr) {
        return false;
    }
    OneBoxPerFailure prompter(prompter_, link_.session());
    ProgramTransfer job(link_.session(), program, prompter, this);
    job.setBigEndian(bigEndian_);
    TransferHooks hooks;
    hooks.settingsChanged = hooks_.settingsChanged;
    hooks.showCommSettings = hooks_.showCommSettings;
    hooks.setRunControlsEnabled = hooks_.setRunControlsEnabled;
    hooks.saveChanges = [this] { return document_.SaveProgram() == ProgramDocument::Outcome::Done; };
    job.setHooks(std::move(hooks));

    const CommLink::Action action(link_);
    job_ = &job;
    pc_to_leg_->setEnabled(false);
    leg_to_pc_->setEnabled(false);
    cmd_stop_->setEnabled(true);
    cmd_stop_->setFocus();
    QApplication::setOverrideCursor(Qt::BusyCursor);

    const bool done = write ? job.pc_to_leg_Click() : job.leg_to_pc_Click();

    QApplication::restoreOverrideCursor();
    job_ = nullptr;
    cmd_stop_->setEnabled(false);
    pc_to_leg_->setEnabled(true);
    leg_to_pc_->setEnabled(true);
    return done;
}

void transfer_form::reject() {
    if (job_ != nullptr) {
        cmd_stop_Click();
        return;
    }
    QDialog::reject();
}

void transfer_form::closeEvent(QCloseEvent* event) {
    if (job_ != nullptr) {
        event->ignore();
        cmd_stop_Click();
        return;
    }
    QDialog::closeEvent(event);
}

void transfer_form::setRange(int minimum, int maximum) {
    prgBar_->setRange(minimum, maximum);
}

void transfer_form::setValue(int value) {
    prgBar_->setValue(value);
}

void transfer_form::setStatus(const QString& text) {
    Label1_->setText(text);
}

}  // namespace bdx
