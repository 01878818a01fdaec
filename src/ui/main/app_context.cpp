#include "app_context.h"

#include <QDialog>
#include <QFileInfo>

#include "comm/comm_link.h"
#include "comm/comm_settings.h"
#include "comm/comm_texts.h"
#include "editor/ladder_editor.h"
#include "shell/app_settings.h"
#include "shell/prompter.h"
#include "ui/sim/io_form.h"
#include "ui/sim/pc_simulation_runner.h"

namespace bdx {

AppContext::AppContext(ProgramDocument& document, Prompter& prompter, AppSettings& settings,
                       QString settingsPath)
    : document_(document),
      prompter_(prompter),
      settings_(settings),
      settingsPath_(std::move(settingsPath)),
      editor_(std::make_unique<LadderEditor>(document, prompter)),
      commLink_(std::make_unique<CommLink>(prompter)),
      runner_(std::make_unique<PcSimulationRunner>(*editor_, prompter, nullptr)) {
    // The compilation dump goes beside the application's copy of the program.
    runner_->setDumpPath(QFileInfo(document_.applicationCopyPath()).absolutePath() +
                         QStringLiteral("/x.txt"));
    LoadCommSettings(settings_, commLink_->state());
}

AppContext::~AppContext() {
    // The run refers to the editor: it goes first.
    runner_.reset();
}

Program& AppContext::program() {
    return document_.program();
}

bool AppContext::saveSettings() {
    QString error;
    if (WriteSettings(settingsPath_, settings_, &error)) {
        return true;
    }
    prompter_.warn(LoadText(CommText::SettingsNotSaved).arg(settingsPath_, error));
    return false;
}

DialogResult AppContext::runDialog(QDialog& dialog) {
    if (dialogRunner_) {
        return dialogRunner_(dialog);
    }
    return dialog.exec() == QDialog::Accepted ? DialogResult::Accepted : DialogResult::Rejected;
}

}  // namespace bdx
