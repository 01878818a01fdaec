#include "text_display_controller.h"

#include <QAction>
#include <algorithm>

#include "blocks/device_model.h"
#include "ladder/program.h"
#include "pc_simulation_runner.h"
#include "run_text_form.h"
#include "ui/main/app_context.h"
#include "ui/main/frm_main.h"

namespace bdx {

TextDisplayController::TextDisplayController(AppContext& context, frmMain& frame)
    : context_(context), frame_(frame) {
    command_ = frame_.registerCommand("mnuViewTextDisplay");
    command_->setCheckable(true);
    connect(command_, &QAction::triggered, this, &TextDisplayController::setShown);
    softText_ = frame_.registerCommand("mnuViewSoftText");
    softText_->setCheckable(true);
    connect(softText_, &QAction::triggered, this, &TextDisplayController::setShown);
    zKeys_ = frame_.registerCommand("mnuViewZKeys");
    zKeys_->setCheckable(true);
    connect(zKeys_, &QAction::triggered, this, &TextDisplayController::setZKeysShown);
    // The window exists only during a run.
    enableCommands(false);
    PcSimulationRunner& runner = context_.simulation();
    connect(&runner, &PcSimulationRunner::started, this, &TextDisplayController::onStarted);
    connect(&runner, &PcSimulationRunner::ended, this, &TextDisplayController::onEnded);
}

run_text_form* TextDisplayController::window() const {
    return form_.data();
}

TextDisplayController::~TextDisplayController() {
    delete form_.data();
}

void TextDisplayController::onStarted() {
    if (!HasDisplay(context_.program().ModelIndex)) {
        return;
    }
    PcSimulationRunner& runner = context_.simulation();
    auto* form = new run_text_form(runner.simulation(), &frame_);
    form_ = form;
    connect(form, &run_text_form::stopRequested, &runner, &PcSimulationRunner::stop);
    connect(form, &run_text_form::closed, this, [this] { setShown(false); });
    connect(form, &run_text_form::zKeyModeChanged, zKeys_, &QAction::setChecked);
    form->adjustSize();
    if (frame_.isVisible()) {
        // Low on the right, over the editor's comments rather than the input panel's boxes.
        const QRect owner = frame_.frameGeometry();
        const QSize size = form->frameGeometry().size();
        form->move(std::max(owner.left(), owner.right() - size.width() - 24),
                   std::max(owner.top(), owner.bottom() - size.height() - 48));
    }
    enableCommands(true);
    setShown(true);
}

void TextDisplayController::onEnded() {
    command_->setChecked(false);
    softText_->setChecked(false);
    zKeys_->setChecked(false);
    enableCommands(false);
    if (run_text_form* form = form_.data()) {
        form_ = nullptr;
        form->disconnect(this);
        form->disconnect(&context_.simulation());
        form->hide();
        // Later: the run may have ended from one of the window's own key handlers.
        form->deleteLater();
    }
}

void TextDisplayController::setShown(bool shown) {
    run_text_form* form = form_.data();
    if (form == nullptr) {
        command_->setChecked(false);
        softText_->setChecked(false);
        return;
    }
    command_->setChecked(shown);
    softText_->setChecked(shown);
    context_.simulation().simulation().blocks().softTexts.setDisplayShown(shown);
    if (shown && !form->isVisible()) {
        form->show();
    } else if (!shown && form->isVisible()) {
        form->hide();
    }
}

void TextDisplayController::setZKeysShown(bool shown) {
    run_text_form* form = form_.data();
    if (form == nullptr) {
        zKeys_->setChecked(false);
        return;
    }
    // The keys are of no use in a hidden window.
    if (shown) {
        setShown(true);
    }
    form->setZKeyMode(shown);
    zKeys_->setChecked(form->control().zKeyMode());
}

void TextDisplayController::enableCommands(bool enabled) {
    for (QAction* action : {command_, softText_, zKeys_}) {
        action->setEnabled(enabled);
    }
}

}  // namespace bdx
