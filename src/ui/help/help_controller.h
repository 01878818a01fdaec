#pragma once

#include <QObject>
#include <QPointer>

namespace bdx {

class AppContext;
class HelpWindow;
class frmMain;

// Help in the frame: the help pages (F1) and the About box.
class HelpController : public QObject {
    Q_OBJECT
  public:
    HelpController(AppContext& context, frmMain& frame);
    ~HelpController() override;

    HelpWindow* helpWindow() const;

  private:
    void showHelp();
    void showAbout();

    AppContext& context_;
    frmMain& frame_;
    // Lives until the user closes the main window; kept by its widget base.
    QPointer<HelpWindow> helpWindow_;
};

}  // namespace bdx
