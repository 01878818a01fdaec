#include "application.h"

#include <QDate>
#include <QLocale>

#include "frm_main.h"
#include "frm_select_language.h"
#include "shell/app_paths.h"
#include "shell/language_table.h"

namespace bdx {

Application::Application(StartupOptions options) : options_(std::move(options)) {
    if (options_.settingsPath.isEmpty()) {
        options_.settingsPath = SettingsFilePath();
    }
}

Application::~Application() = default;

Prompter& Application::prompter() {
    return options_.prompter ? *options_.prompter : qtPrompter_;
}

void Application::start() {
    settings_ = ReadSettings(options_.settingsPath);
    SetLanguageOffset(settings_.LanguageOffset);
    startupValues_ = RecordStartupValues(QLocale::system(), QDate::currentDate());
    SetCurrentStartupValues(startupValues_);

    const QString undoRoot =
        options_.dataFolder.isEmpty() ? UndoRootFolder() : options_.dataFolder + QStringLiteral("/undo");
    const QString appFolder = options_.dataFolder.isEmpty() ? ApplicationFolder() : options_.dataFolder;
    document_ = std::make_unique<ProgramDocument>(prompter(), undoRoot, appFolder);
    window_ = std::make_unique<frmMain>(*document_, settings_, options_.settingsPath, prompter(),
                                        options_.windowSettingsPath);
    qtPrompter_.setParent(window_.get());
    if (options_.askLanguage && settings_.LanguageDlg == 0) {
        askLanguage();
    }
    window_->retranslate();
    window_->show();

    document_->StartEmpty();
    if (!options_.programPath.isEmpty()) {
        document_->OpenFromCommandLine(options_.programPath);
    }
    window_->programLoaded();
}

void Application::askLanguage() {
    frmSelectLanguage dialog(settings_, window_.get());
    dialog.exec();
    SetLanguageOffset(settings_.LanguageOffset);
    if (QAction* action = window_->languageAction(settings_.LanguageOffset)) {
        action->setChecked(true);
    }
    QString error;
    if (!WriteSettings(options_.settingsPath, settings_, &error)) {
        prompter().warn(
            QStringLiteral("The settings could not be saved to %1: %2").arg(options_.settingsPath, error));
    }
}

}  // namespace bdx
