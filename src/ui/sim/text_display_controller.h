#pragma once

#include <QObject>
#include <QPointer>

class QAction;

namespace bdx {

class AppContext;
class frmMain;
class run_text_form;

// The text display of a run with the PC: opened with the run on models with a display, closed
// when the run ends, and shown or hidden by the View menu's Text Display entry meanwhile. While
// the entry is unchecked the scans choose no message, as the device tool has always done.
class TextDisplayController : public QObject {
    Q_OBJECT
  public:
    TextDisplayController(AppContext& context, frmMain& frame);
    ~TextDisplayController() override;

    // The window of the run going; nullptr without a run or on a model without a display.
    run_text_form* window() const;

  private:
    void onStarted();
    void onEnded();
    void setShown(bool shown);
    void setZKeysShown(bool shown);
    void enableCommands(bool enabled);

    AppContext& context_;
    frmMain& frame_;
    QAction* command_ = nullptr;
    // View / Soft Text Messages shows the same window; View / Z Keys its Z-key strip.
    QAction* softText_ = nullptr;
    QAction* zKeys_ = nullptr;
    QPointer<run_text_form> form_;
};

}  // namespace bdx
