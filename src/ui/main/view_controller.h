#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

class QMenu;

namespace bdx {

class AppContext;
class LadderView;
class frmMain;

// The View menu's window commands (Program Mode, Full Screen, the zoom of the ladder) and the
// File menu's recently used programs. Zoom and the recent list are kept in the window settings.
class ViewController : public QObject {
    Q_OBJECT
  public:
    ViewController(AppContext& context, frmMain& frame);
    ~ViewController() override;

    int zoomPercent() const { return zoom_; }
    void setZoomPercent(int percent);
    QStringList recentFiles() const { return recent_; }
    // Opens an entry of the list as File / Open would; a file gone since is dropped with a message.
    void openRecent(const QString& path);

  private:
    void programSaved();
    void showZoom();
    void rebuildRecentMenu();
    void toggleFullScreen();
    void programMode();
    LadderView* ladderView() const;

    AppContext& context_;
    frmMain& frame_;
    QPointer<QMenu> recentMenu_;
    QStringList recent_;
    int zoom_ = 100;
};

}  // namespace bdx
