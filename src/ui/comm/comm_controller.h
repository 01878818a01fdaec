#pragma once

#include <QObject>
#include <functional>

namespace bdx {

class AppContext;
class frmMain;

// Device communication in the frame: Options / Comm Port and Transfer / Communication
// Parameters for now; the transfer, clock and utility dialogs join here.
class CommController : public QObject {
    Q_OBJECT
  public:
    CommController(AppContext& context, frmMain& frame);

  private:
    // The settings dialog, modal; OK saves the settings file.
    void showCommSettings();
    void saveCommSettings();
    // Runs `write`; a failure is told with the file's path.
    void writeSettings(const std::function<bool(QString* error)>& write);

    AppContext& context_;
    frmMain& frame_;
};

}  // namespace bdx
