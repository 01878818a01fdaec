#pragma once

#include <QString>
#include <memory>

#include "app_context.h"
#include "ladder/program_document.h"
#include "qt_prompter.h"
#include "shell/app_settings.h"
#include "shell/startup_values.h"

class QTranslator;

namespace bdx {

class frmMain;

// What the start-up needs from outside; tests replace the prompter and the settings path.
struct StartupOptions {
    QString settingsPath;  // empty: the per-user settings file
    QString dataFolder;    // empty: the per-user folders for the undo store and the application's copy
    QString programPath;   // from the command line, quotation marks removed
    // An INI file for the window settings (geometry, display style); empty: the per-user
    // settings store of the desktop.
    QString windowSettingsPath;
    Prompter* prompter = nullptr;  // null: real message boxes
    bool askLanguage = true;       // show the language dialog when the settings ask for it
    DialogRunner dialogRunner;     // empty: modal dialogs run with exec()
};

// The running application: settings, the program, the context its windows share and the main
// window.
class Application {
  public:
    explicit Application(StartupOptions options);
    ~Application();

    // Start-up in order: settings, language, start-up values, main window, captions, then the
    // program named on the command line or an empty one.
    void start();

    frmMain* mainWindow() const { return window_.get(); }
    AppContext& context() { return *context_; }
    ProgramDocument& document() { return *document_; }
    Program& program() { return document_->program(); }
    AppSettings& settings() { return settings_; }
    const QString& commandLinePath() const { return options_.programPath; }
    const StartupValues& startupValues() const { return startupValues_; }

  private:
    Prompter& prompter();
    void askLanguage();
    // Qt's own texts (standard buttons, file dialogs) in the chosen language, where Qt has them.
    void installQtTranslations();

    StartupOptions options_;
    QtPrompter qtPrompter_;
    AppSettings settings_;
    StartupValues startupValues_;
    std::unique_ptr<ProgramDocument> document_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<QTranslator> qtTranslator_;
    std::unique_ptr<frmMain> window_;
};

}  // namespace bdx
