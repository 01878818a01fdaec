#pragma once

#include <QObject>
#include <QPointer>

namespace bdx {

class AppContext;
class HelpWindow;
class WhatsNewWindow;
class frmMain;

// Help in the frame: the help pages (F1) and the About box.
class HelpController : public QObject {
    Q_OBJECT
  public:
    HelpController(AppContext& context, frmMain& frame);
    ~HelpController() override;

    HelpWindow* helpWindow() const;
    WhatsNewWindow* whatsNewWindow() const;

  private:
    void showHelp();
    // Opens the help window at a page ("usb_cable.html#check"); the contents page when empty.
    void showPage(const QString& page, const QString& anchor = QString());
    void showWhatsNew();
    void showAbout();

    AppContext& context_;
    frmMain& frame_;
    // Lives until the user closes the main window; kept by its widget base.
    QPointer<HelpWindow> helpWindow_;
    QPointer<WhatsNewWindow> whatsNewWindow_;
};

}  // namespace bdx
