// The device memory kept between runs of the server, in one JSON file written atomically.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include "device/device_core.h"

namespace bdx {

namespace {

const QString kStateFile = QStringLiteral("virtual-device.json");
constexpr int kStateFormat = 1;

bool failWith(QString* error, const QString& why) {
    if (error) {
        *error = why;
    }
    return false;
}

// Reads an array of numbers, each within its range; nothing when any is missing or outside.
template <std::size_t N>
std::optional<std::array<int, N>> rangedValues(const QJsonArray& array,
                                               const std::array<std::array<int, 2>, N>& ranges) {
    if (array.size() != qsizetype(N)) {
        return std::nullopt;
    }
    std::array<int, N> values{};
    for (std::size_t i = 0; i < N; ++i) {
        values[i] = array[qsizetype(i)].toInt(-1);
        if (values[i] < ranges[i][0] || values[i] > ranges[i][1]) {
            return std::nullopt;
        }
    }
    return values;
}

}  // namespace

bool VirtualDevice::saveState(const QString& folder, QString* error) const {
    const DeviceCore& s = *d_;
    const DeviceMemory& m = s.memory;
    QJsonObject o;
    o[QStringLiteral("format")] = kStateFormat;
    o[QStringLiteral("model")] = s.model();
    o[QStringLiteral("image")] = QString::fromLatin1(ImageBytes(m.image).toHex());
    o[QStringLiteral("imageBigEndian")] = m.imageBigEndian;
    o[QStringLiteral("config")] = QString::fromLatin1(m.config.toHex());
    QJsonArray dst;
    for (int v : m.dst) {
        dst.append(v);
    }
    o[QStringLiteral("daylightSaving")] = dst;
    o[QStringLiteral("comm")] =
        QJsonArray{m.comm.modbusId, m.comm.baudIndex, m.comm.parityIndex, m.comm.stopBitIndex};
    o[QStringLiteral("backlight")] = m.backlight;
    o[QStringLiteral("firmware")] = m.firmware;
    o[QStringLiteral("clockOffset")] = double(m.clock.offset());
    // PC control and the loader end with the session that started them.
    o[QStringLiteral("mode")] = QLatin1String(s.mode == DeviceMode::Run ? "run" : "stop");

    if (!QDir().mkpath(folder)) {
        return failWith(error, QStringLiteral("cannot create the folder %1").arg(folder));
    }
    QSaveFile file(QDir(folder).filePath(kStateFile));
    if (!file.open(QIODevice::WriteOnly)) {
        return failWith(error, file.errorString());
    }
    file.write(QJsonDocument(o).toJson());
    if (!file.commit()) {
        return failWith(error, file.errorString());
    }
    return true;
}

bool VirtualDevice::loadState(const QString& folder, QString* error) {
    DeviceCore& s = *d_;
    QFile file(QDir(folder).filePath(kStateFile));
    if (!file.exists()) {
        return true;  // a new device: nothing kept yet
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return failWith(error, file.errorString());
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.read(1 << 20), &parseError);
    if (!doc.isObject()) {
        return failWith(error, QStringLiteral("%1: %2").arg(file.fileName(), parseError.errorString()));
    }
    const QJsonObject o = doc.object();
    const QString damaged = QStringLiteral("%1 is damaged").arg(file.fileName());
    if (o.value(QStringLiteral("format")).toInt() != kStateFormat) {
        return failWith(error, damaged);
    }
    if (o.value(QStringLiteral("model")).toInt(-1) != s.model()) {
        return failWith(error, QStringLiteral("%1 belongs to device model %2, not %3")
                                   .arg(file.fileName())
                                   .arg(o.value(QStringLiteral("model")).toInt(-1))
                                   .arg(s.model()));
    }
    const std::optional<DeviceImage> image =
        ImageFromBytes(QByteArray::fromHex(o.value(QStringLiteral("image")).toString().toLatin1()));
    const QByteArray config = QByteArray::fromHex(o.value(QStringLiteral("config")).toString().toLatin1());
    const auto dst = rangedValues(o.value(QStringLiteral("daylightSaving")).toArray(), kDstRanges);
    const auto comm = rangedValues(o.value(QStringLiteral("comm")).toArray(), kCommParamRanges);
    const int backlight = o.value(QStringLiteral("backlight")).toInt(-1);
    const QString firmware = o.value(QStringLiteral("firmware")).toString();
    if (!image || config.size() != s.memory.recordSize() || !dst || !comm || backlight < 0 ||
        backlight >= kBacklightValues || firmware.size() > kFirmwareTextLength) {
        return failWith(error, damaged);
    }

    s.leaveRun(DeviceMode::Stop);
    DeviceMemory& m = s.memory;
    m.image = *image;
    m.imageBigEndian = o.value(QStringLiteral("imageBigEndian")).toBool(s.options.bigEndian);
    m.config = config;
    m.dst = *dst;
    m.comm = {(*comm)[0], (*comm)[1], (*comm)[2], (*comm)[3]};
    m.backlight = backlight;
    m.firmware = firmware;
    m.clock.setOffset(static_cast<qint64>(o.value(QStringLiteral("clockOffset")).toDouble()));
    s.error = DeviceError::None;
    if (o.value(QStringLiteral("mode")).toString() == QLatin1String("run")) {
        s.startRun();
    }
    s.changed();
    return true;
}

}  // namespace bdx
