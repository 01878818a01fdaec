#include "window_geometry.h"

#include <QSettings>
#include <algorithm>

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

}  // namespace bdx
