#include "hour_meter_record.h"

#include <algorithm>
#include <cmath>

#include "shell/language_table.h"

namespace bdx {

namespace {

enum TextId { SaveHourMeterText = 4304 };

constexpr int kResolutionShift = 2;
constexpr std::uint8_t kResolutionBits = 0x0C;

// Digits after the decimal point, and seconds per count.
constexpr std::array<int, kHourMeterResolutions> kDecimals = {2, 1, 0};
constexpr std::array<int, kHourMeterResolutions> kSecondsPerCount = {36, 360, 3600};

int validResolution(int resolution) {
    return resolution >= 0 && resolution < kHourMeterResolutions ? resolution : Resolution1Hr;
}

QString withSeparator(QString digits, int resolution, const QString& separator) {
    const int decimals = kDecimals[validResolution(resolution)];
    if (decimals > 0) {
        digits.insert(digits.size() - decimals, separator);
    }
    return digits;
}

QString fiveDigits(qint64 count) {
    return QStringLiteral("%1").arg(std::clamp<qint64>(count, 0, kLargestHourMeterCount), kHourMeterDigits,
                                    10, QLatin1Char('0'));
}

QString digitsOnly(const QString& text) {
    QString digits;
    for (QChar c : text) {
        if (c.isDigit()) {
            digits += c;
        }
    }
    return digits;
}

}  // namespace

int HourMeterRecord::count() const {
    int value = 0;
    for (std::uint8_t d : digits) {
        value = value * 10 + d;
    }
    return value;
}

HourMeterRecord ReadHourMeter(const Program& program, int meter) {
    const auto& row = program.HourMeterParams[meter];
    HourMeterRecord record;
    record.resolution = validResolution((row[HourMeterField::Flags] & kResolutionBits) >> kResolutionShift);
    for (int i = 0; i < kHourMeterDigits; ++i) {
        record.digits[i] = std::uint8_t(row[HourMeterField::Preset + i] % 10);
    }
    record.locked = (row[HourMeterField::Flags] & kFlagLocked) != 0;
    return record;
}

qint64 HourMeterPresetSeconds(const HourMeterRecord& record) {
    return qint64(record.count()) * kSecondsPerCount[validResolution(record.resolution)];
}

QString HourMeterPresetText(const HourMeterRecord& record, const QString& separator) {
    QString digits;
    for (std::uint8_t d : record.digits) {
        digits += QChar(u'0' + d);
    }
    return withSeparator(digits, record.resolution, separator);
}

QString LargestHourMeterPresetText(int resolution, const QString& separator) {
    return withSeparator(QString::number(kLargestHourMeterCount), resolution, separator);
}

QString CapHourMeterPresetEntry(const QString& typed, int resolution, Prompter& prompter,
                                const QString& separator) {
    QString text = typed.trimmed();
    text.replace(separator, QStringLiteral("."));
    bool ok = false;
    const double value = text.toDouble(&ok);
    // Compared in counts; the margin keeps 999.99 itself from failing on rounding.
    const int decimals = kDecimals[validResolution(resolution)];
    if (!ok || value * std::pow(10.0, decimals) <= kLargestHourMeterCount + 1e-6) {
        return typed;
    }
    QString largestText = LargestHourMeterPresetText(resolution, separator);
    prompter.show(
        {MessageIcon::None, LoadText(8481) + LargestHourMeterPresetText(resolution, QStringLiteral("."))});
    return largestText;
}

QString ChangeHourMeterResolution(const QString& text, int resolution, const QString& separator) {
    QString digits = text;
    digits.remove(separator);
    digits.remove(u'.');
    return withSeparator(digits.rightJustified(kHourMeterDigits, u'0'), resolution, separator);
}

QString NormalHourMeterPresetText(const QString& typed, int resolution, const QString& separator) {
    QString text = typed.trimmed();
    text.replace(separator, QStringLiteral("."));
    bool ok = false;
    const double value = text.toDouble(&ok);
    const int decimals = kDecimals[validResolution(resolution)];
    // Held below any count that matters before rounding, so that huge values stay defined.
    const double counts = ok && value > 0 ? std::min(value * std::pow(10.0, decimals), 1e6) : 0.0;
    const qint64 count = std::llround(counts);
    return withSeparator(fiveDigits(count), resolution, separator);
}

QString HourMeterTimeText(double seconds, int resolution, const QString& separator) {
    // Whole counts only: a count shows once it is complete, as on the device.
    const double counts = seconds / kSecondsPerCount[validResolution(resolution)];
    const qint64 count = counts > 0 ? qint64(std::min(counts, double(kLargestHourMeterCount))) : 0;
    return withSeparator(fiveDigits(count), resolution, separator);
}

std::array<std::uint8_t, kHourMeterDigits> HourMeterDigitsOfText(const QString& text) {
    const QString digits = digitsOnly(text).rightJustified(kHourMeterDigits, u'0').right(kHourMeterDigits);
    std::array<std::uint8_t, kHourMeterDigits> result{};
    for (int i = 0; i < kHourMeterDigits; ++i) {
        result[i] = std::uint8_t(digits[i].unicode() - u'0');
    }
    return result;
}

Refusal SaveHourMeter(Program& program, int meter, const HourMeterRecord& record, const QString& comment,
                      bool simulation) {
    if (!simulation && record.count() == 0) {
        return InformationBox(LoadText(8485));
    }
    auto& row = program.HourMeterParams[meter];
    // Only the in-use bit survives; the usage scan owns it.
    row[HourMeterField::Flags] =
        std::uint8_t((row[HourMeterField::Flags] & kFlagInUse) | (record.locked ? kFlagLocked : 0) |
                     (validResolution(record.resolution) << kResolutionShift));
    for (int i = 0; i < kHourMeterDigits; ++i) {
        row[HourMeterField::Preset + i] = std::uint8_t(record.digits[i] % 10);
    }
    program.comment(Operand::H, meter) = comment;
    program.ProgramModified = true;
    return std::nullopt;
}

QString SaveHourMeterQuestion(int meterNumber) {
    return LoadText(SaveHourMeterText) + QString::number(meterNumber) + QStringLiteral(" ?");
}

}  // namespace bdx
