#pragma once

#include <QMainWindow>
#include <array>

#include "ladder/program_document.h"
#include "shell/app_settings.h"

class QAction;
class QLabel;
class QMdiArea;

namespace bdx {

class Prompter;

// The main frame: menus, the status display of the program and the document area.
class frmMain : public QMainWindow {
    Q_OBJECT
  public:
    frmMain(ProgramDocument& document, AppSettings& settings, QString settingsPath, Prompter& prompter,
            QWidget* parent = nullptr);

    // Caption from the program's file name and path; called after every open, save and new.
    void updateCaption();
    // Status bar and model-dependent commands from ModelIndex.
    void UpdateModelDisplay();

    // Language menu: takes effect at the next start.
    void setLanguage(int offset);

    QLabel* modelPanel() const { return sbModelPanel_; }
    QAction* languageAction(int offset) const;

  protected:
    // Exit: unsaved changes are offered first; the window stays open when the user cancels.
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildMenus();

    ProgramDocument& document_;
    Program& program_;
    AppSettings& settings_;
    QString settingsPath_;
    Prompter& prompter_;
    QMdiArea* mdiArea_ = nullptr;
    QLabel* sbModelPanel_ = nullptr;
    std::array<QAction*, 4> languageActions_{};
};

}  // namespace bdx
