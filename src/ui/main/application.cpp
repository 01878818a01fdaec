#include "application.h"

#include <QAction>
#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "frm_main.h"
#include "frm_select_language.h"
#include "shell/app_paths.h"
#include "shell/language_table.h"
#include "ui/widgets/captions.h"

namespace bdx {

Application::Application(StartupOptions options) : options_(std::move(options)) {
    if (options_.settingsPath.isEmpty()) {
        options_.settingsPath = SettingsFilePath();
    }
}

Application::~Application() {
    // The windows refer to the context, the context to the document.
    window_.reset();
    context_.reset();
}

Prompter& Application::prompter() {
    if (options_.prompter != nullptr) {
        return *options_.prompter;
    }
    return qtPrompter_;
}

void Application::start() {
    settings_ = ReadSettings(options_.settingsPath);
    SetLanguageOffset(settings_.LanguageOffset);
    startupValues_ = RecordStartupValues(QLocale::system(), QDate::currentDate());
    SetCurrentStartupValues(startupValues_);
    // Before any window: Qt's own widgets (the editor window's system menu, the tab scroll buttons)
    // take their texts when they are made.
    installQtTranslations();

    const QString undoRoot =
        options_.dataFolder.isEmpty() ? UndoRootFolder() : options_.dataFolder + QStringLiteral("/undo");
    const QString appFolder = options_.dataFolder.isEmpty() ? ApplicationFolder() : options_.dataFolder;
    document_ = std::make_unique<ProgramDocument>(prompter(), undoRoot, appFolder);
    context_ = std::make_unique<AppContext>(*document_, prompter(), settings_, options_.settingsPath);
    if (options_.dialogRunner) {
        context_->setDialogRunner(options_.dialogRunner);
    }
    window_ = std::make_unique<frmMain>(*context_, options_.windowSettingsPath);
    qtPrompter_.setParent(window_.get());
    // The file dialogs start where the program in hand lives.
    qtPrompter_.setStartFolder([this] {
        const QString path = document_->program().ProgramFilePath;
        return path.isEmpty() ? QString() : QFileInfo(path).absolutePath();
    });
    if (options_.askLanguage && settings_.LanguageDlg == 0) {
        askLanguage();
        installQtTranslations();
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
    NameForAccessibility(&dialog);
    context_->runDialog(dialog);
    SetLanguageOffset(settings_.LanguageOffset);
    if (QAction* action = window_->languageAction(settings_.LanguageOffset)) {
        action->setChecked(true);
    }
    context_->saveSettings();
}

void Application::installQtTranslations() {
    qtTranslator_.reset();
    const char* locale = nullptr;
    switch (CurrentLanguageOffset()) {
        case Portuguese:
            locale = "pt";
            break;
        case Polish:
            locale = "pl";
            break;
        case Spanish:
            locale = "es";
            break;
        default:
            return;
    }
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(QLocale(QString::fromLatin1(locale)), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator.get());
        qtTranslator_ = std::move(translator);
    }
}

}  // namespace bdx
