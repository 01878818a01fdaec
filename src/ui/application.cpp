#include "application.h"

#include <QDate>
#include <QLocale>

#include "captions.h"
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

Prompter& Application::prompter() { return options_.prompter ? *options_.prompter : qtPrompter_; }

void Application::start() {
    settings_ = ReadSettings(options_.settingsPath);
    SetLanguageOffset(settings_.LanguageOffset);
    startupValues_ = RecordStartupValues(QLocale::system(), QDate::currentDate());
    SetCurrentStartupValues(startupValues_);

    program_.ModelIndex = 0;
    ClearProgram(program_);
    window_ = std::make_unique<frmMain>(program_, settings_, options_.settingsPath, prompter());
    qtPrompter_.setParent(window_.get());
    if (options_.askLanguage && settings_.LanguageDlg == 0) {
        askLanguage();
    }
    ApplyCaptions(window_.get());
    window_->show();
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

QString ProgramPathFromArgument(const QString& argument) {
    QString path = argument.trimmed();
    if (path.size() >= 2 && path.startsWith(u'"') && path.endsWith(u'"')) {
        path = path.mid(1, path.size() - 2);
    }
    return path;
}

}  // namespace bdx
