// The readable summary of the device for the line protocol's dump.
#include <QStringList>

#include "device/device_core.h"

namespace bdx {

namespace {

const char* modeName(int mode) {
    switch (mode) {
        case DeviceMode::Run:
            return "run";
        case DeviceMode::PcControl:
            return "pc-control";
        case DeviceMode::Loader:
            return "loader";
        default:
            return "stop";
    }
}

template <typename Get>
QString bits(Get get, int count) {
    QString text;
    for (int i = 0; i < count; ++i) {
        text.append(get(i) ? QLatin1Char('1') : QLatin1Char('0'));
    }
    return text;
}

}  // namespace

QString VirtualDevice::dump() const {
    const DeviceCore& s = *d_;
    QStringList lines;
    lines << QStringLiteral("mode: %1").arg(QLatin1String(modeName(s.mode)));
    lines << QStringLiteral("model: %1  id: %2  firmware: %3")
                 .arg(s.model())
                 .arg(s.memory.comm.modbusId)
                 .arg(s.memory.firmware);
    lines << QStringLiteral("device error: %1").arg(s.error);
    QStringList inputs;
    QStringList outputs;
    for (int m = 0; m < kDeviceModules; ++m) {
        inputs << QStringLiteral("%1 %2")
                      .arg(QLatin1Char(kInputLetters[m]))
                      .arg(bits([&](int k) { return s.inputs[m][k]; }, kInputsPerModule));
        outputs << QStringLiteral("%1 %2")
                       .arg(QLatin1Char(kOutputLetters[m]))
                       .arg(bits([&](int k) { return s.outputOn(m, k + 1); }, kOutputsPerModule));
    }
    lines << QStringLiteral("inputs: ") + inputs.join(QStringLiteral("  "));
    lines << QStringLiteral("keys: Z %1").arg(bits([&](int k) { return s.keys[k]; }, kDeviceKeys));
    QStringList volts;
    for (int v : s.voltages) {
        volts << QString::number(v / 100.0, 'f', 2);
    }
    lines << QStringLiteral("voltages: ") + volts.join(QLatin1Char(' '));
    lines << QStringLiteral("outputs: ") + outputs.join(QStringLiteral("  "));
    lines << QStringLiteral("clock: ") +
                 s.memory.clock.dateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return lines.join(QLatin1Char('\n'));
}

}  // namespace bdx
