#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QSettings;

namespace bdx {

// The stored window values are in twips; the desktop works in device-independent pixels,
// which are 1/96 inch.
inline constexpr int kTwipsPerPixel = 15;
// Share of the screen's free area a first start takes.
inline constexpr double kFirstStartShare = 0.8;

// Where the main window opens. `storedTwips` is the stored place and size, none on a first start;
// `minimum` what the menu bar and toolbar need; `available` the screen's free area. A stored
// window keeps its place and size, but never opens smaller than `minimum` or larger than the
// screen, and one left where no screen is comes back centred. A first start, or a stored size
// too small or too large to be meant, takes a share of the screen, centred.
QRect MainWindowGeometry(const std::optional<QRect>& storedTwips, QSize minimum, const QRect& available);

// Organisation and application under which the window settings are kept.
inline constexpr const char* kSettingsOrganization = "Oskarn Automation Works";
inline constexpr const char* kSettingsApplication = "BrantelDesk X";

// Zoom of the ladder view in percent: the steps Zoom In and Zoom Out walk, the limits and the
// normal size.
inline constexpr int kZoomNormal = 100;
inline constexpr int kZoomMinimum = 50;
inline constexpr int kZoomMaximum = 200;
// Any stored number brought into the limits; a value that is no number gives the normal size.
int ClampZoom(int percent);
// The next step up (`steps` > 0) or down from `percent`, stopping at the limits.
int SteppedZoom(int percent, int steps);

// How many programs the File menu lists as recently used.
inline constexpr int kRecentFileCount = 8;
// `list` with `path` first: an earlier entry of the same file moves up, the oldest beyond the
// limit falls off. Empty paths are never listed.
QStringList WithRecentFile(QStringList list, const QString& path);

// The main window's values kept between runs: "Settings/MainLeft", "MainTop", "MainWidth",
// "MainHeight" in twips and "Startup/ViewMode".
class WindowSettings {
  public:
    // `iniPath` names an INI file; empty keeps the values in the desktop's per-user store.
    explicit WindowSettings(QString iniPath) : iniPath_(std::move(iniPath)) {}

    // The stored place and size in twips; none before the first exit.
    std::optional<QRect> geometryTwips() const;
    void storeGeometry(const QRect& pixels);
    // The stored display style as it stands, 0 when none or not a number.
    int viewMode() const;
    void storeViewMode(int mode);
    // "View/Zoom" in percent, within the limits.
    int zoomPercent() const;
    void storeZoomPercent(int percent);
    // "View/WiringHelp": the editor wires a line up to a coil placed on it; on when not stored.
    bool wiringHelp() const;
    void storeWiringHelp(bool on);
    // "RecentFiles/File1".."File8", newest first.
    QStringList recentFiles() const;
    void storeRecentFiles(const QStringList& files);

  private:
    std::unique_ptr<QSettings> open() const;

    QString iniPath_;
};

}  // namespace bdx
