#include "soft_text_evaluation.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "blocks/soft_text_record.h"
#include "blocks/timer_record.h"
#include "check/rule_checker.h"
#include "ladder/cp1252.h"
#include "shell/language_table.h"
#include "sim/analog_evaluation.h"
#include "sim/clock_block_evaluation.h"
#include "sim/scan_engine.h"

namespace bdx {

namespace {

constexpr int kFirstModuleMessageId = 4249;  // "Extension module A is not selected."
constexpr int kCounterDigits = 5;
constexpr char kBlank = ' ';
// Seconds per count of an hour meter's resolution codes 0, 1 and 2.
constexpr std::array<int, 3> kHourMeterCountSeconds = {36, 360, 3600};

// `digits` decimal digits of `value`, zero-padded; a value too large shows all nines.
void putDigits(char* out, long long value, int digits) {
    long long largest = 1;
    for (int i = 0; i < digits; ++i) {
        largest *= 10;
    }
    value = std::clamp(value, 0LL, largest - 1);
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

// Five digits with a decimal point before the last `places`: the counter, hour meter and
// analog style. Returns the characters written.
int putFiveDigits(char* out, long long count, int places) {
    if (places <= 0) {
        putDigits(out, count, kCounterDigits);
        return kCounterDigits;
    }
    char digits[kCounterDigits];
    putDigits(digits, count, kCounterDigits);
    const int whole = kCounterDigits - places;
    std::copy(digits, digits + whole, out);
    out[whole] = '.';
    std::copy(digits + whole, digits + kCounterDigits, out + whole + 1);
    return kCounterDigits + 1;
}

// Two two-digit numbers joined by ':' (or three for the date).
int putClockFields(char* out, std::initializer_list<int> values) {
    int at = 0;
    for (const int v : values) {
        if (at != 0) {
            out[at++] = ':';
        }
        putDigits(out + at, v, 2);
        at += 2;
    }
    return at;
}

// A time in its unit: seconds "000.0", minutes and seconds "MM:SS", hours and minutes "HH:MM".
int putTimerValue(char* out, double seconds, int unit) {
    seconds = std::max(seconds, 0.0);
    const auto whole = static_cast<long long>(std::floor(seconds + 1e-6));
    switch (unit) {
        case 1:
            return putClockFields(out, {int(std::min(whole / 60, 99LL)), int(whole % 60)});
        case 2:
            return putClockFields(out, {int(std::min(whole / 3600, 99LL)), int(whole % 3600 / 60)});
        default: {
            const auto tenths = static_cast<long long>(std::floor(seconds * 10.0 + 1e-6));
            putDigits(out, tenths / 10, 3);
            out[3] = '.';
            putDigits(out + 4, tenths % 10, 1);
            return 5;
        }
    }
}

QStringList linesOf(const std::array<std::uint8_t, kSoftTextCells>& cells) {
    QStringList result;
    for (int line = 0; line < kSoftTextLines; ++line) {
        result << FromCp1252(QByteArrayView(
            reinterpret_cast<const char*>(cells.data()) + line * kSoftTextLineLength, kSoftTextLineLength));
    }
    return result;
}

}  // namespace

SoftTextEvaluation::SoftTextEvaluation(const Clock& clock, const HourMeterEvaluation& hourMeters,
                                       const AnalogEvaluation& analog,
                                       const TimerCounterValues* timersAndCounters)
    : clock_(clock), hourMeters_(hourMeters), analog_(analog), timersAndCounters_(timersAndCounters) {}

void SoftTextEvaluation::PrepareRun(const Program& program) {
    program_ = &program;
    for (int m = 0; m < kSoftTexts; ++m) {
        loadFields(m);
    }
    rendered_ = false;
    backToFirst_ = false;
    scroll_ = 1;
    activeCount_ = 0;
    shownMessage_ = 0;
    shownRank_ = 0;
    cells_.fill(kBlank);
    endMessage_.clear();
}

int SoftTextEvaluation::readFields(const Program& program, const SoftTextRow& text, FieldList& out) {
    int count = 0;
    for (const EmbeddedField& f : EmbeddedFields(text)) {
        if (count == kMaxFields) {
            break;
        }
        const int width = std::max(EmbeddedFieldWidth(program, f), 4);
        out[count++] = {std::uint8_t(f.position), std::uint8_t(f.source), std::uint8_t(f.number),
                        std::uint8_t(f.parameter), std::uint8_t(width)};
    }
    return count;
}

void SoftTextEvaluation::loadFields(int message) {
    fieldCounts_[message] =
        std::uint8_t(readFields(*program_, program_->SoftTextParams[message], fields_[message]));
}

bool SoftTextEvaluation::MessageActive(const ScanEngine& engine, int message) const {
    if (program_ == nullptr || message < 0 || message >= kSoftTexts || program_->SoftTextUsed[message] == 0) {
        return false;
    }
    const SoftTextCoils& coils = engine.network().coils.X;
    return engine.isActive(coils.trigger[message]) && !engine.isActive(coils.reset[message]);
}

void SoftTextEvaluation::MessageChanged(int message) {
    if (program_ != nullptr && message >= 0 && message < kSoftTexts) {
        loadFields(message);
    }
}

bool SoftTextEvaluation::Evaluate(ScanEngine& engine) {
    if (program_ == nullptr || !shown_) {
        return true;
    }
    activeCount_ = 0;
    for (int n = kSoftTexts - 1; n >= 0; --n) {
        if (MessageActive(engine, n)) {
            ranked_[activeCount_++] = static_cast<std::uint8_t>(n + 1);
        }
    }
    rendered_ = true;
    if (activeCount_ == 0) {
        shownMessage_ = 0;
        shownRank_ = 0;
        cells_.fill(kBlank);
        return true;
    }
    if (backToFirst_ || scroll_ < 1 || scroll_ > activeCount_) {
        scroll_ = 1;
        backToFirst_ = false;
    }
    shownMessage_ = ranked_[scroll_ - 1];
    shownRank_ = scroll_;
    const int module = missingModule(shownMessage_ - 1);
    if (module >= 0) {
        endMessage_ = LoadText(kFirstModuleMessageId + module);
        return false;
    }
    render(shownMessage_ - 1);
    return true;
}

// Index 0..2 of the extension module an embedded analog input of `message` needs but the
// program lacks; -1 when nothing is missing. V1 and V2 are on the base module.
int SoftTextEvaluation::missingModule(int message) const {
    for (int i = 0; i < fieldCounts_[message]; ++i) {
        const Field& f = fields_[message][i];
        if (f.source != EmbeddedSource::AnalogInput || f.number < 3 || f.number > kAnalogChannels) {
            continue;
        }
        const int module = (f.number - 3) / 2;
        if (program_->ExtensionModules[module] == 0) {
            return module;
        }
    }
    return -1;
}

void SoftTextEvaluation::render(int message) {
    renderInto(program_->SoftTextParams[message], fields_[message].data(), fieldCounts_[message], cells_);
}

void SoftTextEvaluation::renderInto(const SoftTextRow& text, const Field* fields, int count,
                                    Cells& cells) const {
    std::copy(text.begin(), text.end(), cells.begin());
    for (int i = 0; i < count; ++i) {
        const Field& f = fields[i];
        // The value takes the token's positions and the blanks after it, never the next line.
        const int lineEnd = (f.position / kSoftTextLineLength + 1) * kSoftTextLineLength;
        const int end = std::min(f.position + int(f.width), lineEnd);
        char value[kSoftTextCells];
        const int length = formatField(f, value, end - f.position);
        for (int at = f.position; at < end; ++at) {
            const int k = at - f.position;
            cells[at] = static_cast<std::uint8_t>(k < length ? value[k] : kBlank);
        }
    }
}

QStringList SoftTextEvaluation::RenderLines(const SoftTextRow& text) const {
    Cells cells{};
    FieldList fields{};
    const int count = program_ != nullptr ? readFields(*program_, text, fields) : 0;
    renderInto(text, fields.data(), count, cells);
    return linesOf(cells);
}

int SoftTextEvaluation::formatField(const Field& field, char* out, int room) const {
    char value[16];
    int length = 0;
    const int n = field.number - 1;
    switch (field.source) {
        case EmbeddedSource::Timer: {
            if (n < 0 || n >= kTimers) {
                break;
            }
            // The unit byte holds the ON unit in its low and the OFF unit in its high nibble.
            const int units = program_->TimerParams[n][TimerField::Units];
            const bool offTime =
                field.parameter == 0 && TimerHasOffTime(program_->TimerParams[n][TimerField::Type]);
            const int unit = offTime ? units >> 4 : units & 0x0F;
            double seconds = 0.0;
            if (timersAndCounters_ != nullptr) {
                seconds = field.parameter == 1 ? timersAndCounters_->timerCurrentSeconds(n)
                                               : timersAndCounters_->timerPresetSeconds(n, offTime);
            }
            length = putTimerValue(value, seconds, unit);
            break;
        }
        case EmbeddedSource::Counter: {
            if (n < 0 || n >= kCounters) {
                break;
            }
            const int places = std::min(program_->CounterParams[n][CounterField::Flags] >> 5, 4);
            double shown = 0.0;
            if (timersAndCounters_ != nullptr) {
                shown = field.parameter == 1 ? timersAndCounters_->counterValue(n)
                                             : timersAndCounters_->counterSetPoint(n);
            }
            length = putFiveDigits(value, std::llround(shown * std::pow(10.0, places)), places);
            break;
        }
        case EmbeddedSource::HourMeter: {
            if (n < 0 || n >= kHourMeters) {
                break;
            }
            const int resolution =
                std::min((program_->HourMeterParams[n][HourMeterField::Flags] >> 2) & 3, 2);
            const double seconds = field.parameter == 1   ? hourMeters_.maintenanceSeconds(n)
                                   : field.parameter == 2 ? hourMeters_.operateSeconds(n)
                                                          : hourMeters_.presetSeconds(n);
            // Counts of the resolution, cut to whole counts; 36 s shows two decimals, 6 min one.
            const auto count = static_cast<long long>(seconds / kHourMeterCountSeconds[resolution]);
            length = putFiveDigits(value, count, 2 - resolution);
            break;
        }
        case EmbeddedSource::AnalogInput: {
            if (n < 0 || n >= kAnalogChannels) {
                break;
            }
            const int count = analog_.roundedCount(n);
            value[0] = count < 0 ? '-' : kBlank;
            length = 1 + putFiveDigits(value + 1, std::abs(count), analog_.decimalPlaces(n));
            break;
        }
        case EmbeddedSource::DateTime: {
            const LocalDateTime now = clock_.now();
            if (field.parameter == 0) {
                length = putClockFields(value, {now.day, now.month, now.year % 100});
            } else if (field.parameter == 1) {
                length = putClockFields(value, {now.hour, now.minute});
            }
            break;
        }
        default:
            break;
    }
    length = std::min(length, room);
    std::copy(value, value + length, out);
    return length;
}

QString SoftTextEvaluation::caption() const {
    if (!rendered_) {
        return QString();
    }
    if (activeCount_ == 0) {
        return LoadText(8558);
    }
    return LoadText(8559).arg(shownRank_).arg(activeCount_);
}

QStringList SoftTextEvaluation::lines() const {
    return linesOf(cells_);
}

}  // namespace bdx
