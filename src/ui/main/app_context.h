#pragma once

#include <QString>
#include <functional>
#include <memory>

class QDialog;

namespace bdx {

class CommLink;
class LadderEditor;
class PcSimulationRunner;
class ProgramDocument;
class Prompter;
struct AppSettings;
struct BlockRef;
struct Program;

// How a modal dialog ended.
enum class DialogResult { Accepted, Rejected };

// Runs a modal dialog to its end. The application runs it with exec(); tests put in a runner
// that fills the dialog in and presses its buttons, so no modal loop is needed.
using DialogRunner = std::function<DialogResult(QDialog&)>;

// What every controller and window of the application works on: the one program document, its
// editor, the prompter, the settings file, the device link, the simulation and the dialog seam.
class AppContext {
  public:
    AppContext(ProgramDocument& document, Prompter& prompter, AppSettings& settings, QString settingsPath);
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    ProgramDocument& document() { return document_; }
    Program& program();
    LadderEditor& editor() { return *editor_; }
    Prompter& prompter() { return prompter_; }
    AppSettings& settings() { return settings_; }
    const QString& settingsPath() const { return settingsPath_; }
    // The one connection to the device, with the communication settings of the settings file.
    CommLink& commLink() { return *commLink_; }
    PcSimulationRunner& simulation() { return *runner_; }

    // Writes the settings file; a failure is reported as a warning. False when it failed.
    bool saveSettings();

    // Opens a block's parameter dialog, for the windows outside the blocks controller (the
    // parameter monitor); the blocks controller supplies the opener.
    void setBlockOpener(std::function<void(const BlockRef&)> opener) { blockOpener_ = std::move(opener); }
    void openBlock(const BlockRef& block) {
        if (blockOpener_) {
            blockOpener_(block);
        }
    }

    DialogResult runDialog(QDialog& dialog);
    void setDialogRunner(DialogRunner runner) { dialogRunner_ = std::move(runner); }

  private:
    ProgramDocument& document_;
    Prompter& prompter_;
    AppSettings& settings_;
    QString settingsPath_;
    std::unique_ptr<LadderEditor> editor_;
    std::unique_ptr<CommLink> commLink_;
    std::unique_ptr<PcSimulationRunner> runner_;
    DialogRunner dialogRunner_;
    std::function<void(const BlockRef&)> blockOpener_;
};

}  // namespace bdx
