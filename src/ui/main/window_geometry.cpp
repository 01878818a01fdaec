#include "window_geometry.h"

#include <QSettings>
#include <algorithm>
#include <array>

namespace bdx {

namespace {

QRect centred(QSize size, const QRect& available) {
    QRect rect(QPoint(0, 0), size);
    rect.moveCenter(available.center());
    return rect;
}

}  // namespace

QRect MainWindowGeometry(const std::optional<QRect>& storedTwips, QSize minimum, const QRect& available) {
    minimum = minimum.boundedTo(available.size());
    constexpr int kSmallest = 200 * kTwipsPerPixel;
    constexpr int kLargest = 100000;
    const bool meant = storedTwips && storedTwips->width() >= kSmallest &&
                       storedTwips->height() >= kSmallest && storedTwips->width() <= kLargest &&
                       storedTwips->height() <= kLargest;
    if (!meant) {
        const QSize share(qRound(available.width() * kFirstStartShare),
                          qRound(available.height() * kFirstStartShare));
        return centred(share.expandedTo(minimum), available);
    }
    const auto pixels = [](int twips) { return qRound(twips / double(kTwipsPerPixel)); };
    const QSize size = QSize(pixels(storedTwips->width()), pixels(storedTwips->height()))
                           .expandedTo(minimum)
                           .boundedTo(available.size());
    const QRect rect(QPoint(pixels(storedTwips->x()), pixels(storedTwips->y())), size);
    // The title bar must be reachable: a window whose top strip lies off the screen comes back.
    const QRect titleStrip(rect.topLeft(), QSize(rect.width(), 40));
    return available.intersects(titleStrip) ? rect : centred(size, available);
}

std::unique_ptr<QSettings> WindowSettings::open() const {
    if (iniPath_.isEmpty()) {
        return std::make_unique<QSettings>(QString::fromLatin1(kSettingsOrganization),
                                           QString::fromLatin1(kSettingsApplication));
    }
    return std::make_unique<QSettings>(iniPath_, QSettings::IniFormat);
}

namespace {

int readNumber(const QSettings& store, const char* key, int fallback) {
    bool ok = false;
    const int value = store.value(QString::fromLatin1(key), fallback).toInt(&ok);
    return ok ? value : fallback;
}

}  // namespace

std::optional<QRect> WindowSettings::geometryTwips() const {
    const std::unique_ptr<QSettings> store = open();
    if (!store->contains(QStringLiteral("Settings/MainWidth")) ||
        !store->contains(QStringLiteral("Settings/MainHeight"))) {
        return std::nullopt;
    }
    return QRect(readNumber(*store, "Settings/MainLeft", 1000), readNumber(*store, "Settings/MainTop", 1000),
                 readNumber(*store, "Settings/MainWidth", 0), readNumber(*store, "Settings/MainHeight", 0));
}

void WindowSettings::storeGeometry(const QRect& pixels) {
    const std::unique_ptr<QSettings> store = open();
    store->setValue(QStringLiteral("Settings/MainLeft"), pixels.x() * kTwipsPerPixel);
    store->setValue(QStringLiteral("Settings/MainTop"), pixels.y() * kTwipsPerPixel);
    store->setValue(QStringLiteral("Settings/MainWidth"), pixels.width() * kTwipsPerPixel);
    store->setValue(QStringLiteral("Settings/MainHeight"), pixels.height() * kTwipsPerPixel);
}

int WindowSettings::viewMode() const {
    return readNumber(*open(), "Startup/ViewMode", 0);
}

void WindowSettings::storeViewMode(int mode) {
    open()->setValue(QStringLiteral("Startup/ViewMode"), mode);
}

int WindowSettings::zoomPercent() const {
    return ClampZoom(readNumber(*open(), "View/Zoom", kZoomNormal));
}

void WindowSettings::storeZoomPercent(int percent) {
    open()->setValue(QStringLiteral("View/Zoom"), ClampZoom(percent));
}

bool WindowSettings::wiringHelp() const {
    return readNumber(*open(), "View/WiringHelp", 1) != 0;
}

void WindowSettings::storeWiringHelp(bool on) {
    open()->setValue(QStringLiteral("View/WiringHelp"), on ? 1 : 0);
}

QStringList WindowSettings::recentFiles() const {
    const std::unique_ptr<QSettings> store = open();
    QStringList files;
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const QString file = store->value(QStringLiteral("RecentFiles/File%1").arg(i)).toString();
        if (!file.isEmpty() && !files.contains(file)) {
            files << file;
        }
    }
    return files;
}

void WindowSettings::storeRecentFiles(const QStringList& files) {
    const std::unique_ptr<QSettings> store = open();
    store->remove(QStringLiteral("RecentFiles"));
    for (int i = 0; i < std::min<int>(files.size(), kRecentFileCount); ++i) {
        store->setValue(QStringLiteral("RecentFiles/File%1").arg(i + 1), files[i]);
    }
}

namespace {

constexpr std::array kZoomSteps = {50, 67, 75, 90, 100, 110, 125, 150, 175, 200};

}  // namespace

int ClampZoom(int percent) {
    return std::clamp(percent, kZoomMinimum, kZoomMaximum);
}

int SteppedZoom(int percent, int steps) {
    int zoom = ClampZoom(percent);
    for (; steps > 0; --steps) {
        const auto next = std::upper_bound(kZoomSteps.begin(), kZoomSteps.end(), zoom);
        zoom = next == kZoomSteps.end() ? kZoomMaximum : *next;
    }
    for (; steps < 0; ++steps) {
        const auto next = std::lower_bound(kZoomSteps.begin(), kZoomSteps.end(), zoom);
        zoom = next == kZoomSteps.begin() ? kZoomMinimum : *(next - 1);
    }
    return zoom;
}

QStringList WithRecentFile(QStringList list, const QString& path) {
    if (path.isEmpty()) {
        return list;
    }
    list.removeAll(path);
    list.prepend(path);
    while (list.size() > kRecentFileCount) {
        list.removeLast();
    }
    return list;
}

}  // namespace bdx
