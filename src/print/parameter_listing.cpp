#include "parameter_listing.h"

#include <functional>

#include "blocks/analog_record.h"
#include "blocks/counter_record.h"
#include "blocks/device_model.h"
#include "blocks/hour_meter_record.h"
#include "blocks/soft_text_record.h"
#include "blocks/time_switch_record.h"
#include "blocks/timer_record.h"
#include "ladder/cp1252.h"
#include "shell/language_table.h"

namespace bdx {

namespace {

const QChar kTab = QLatin1Char('\t');

QString fiveDigits(int value) {
    return QStringLiteral("%1").arg(value, 5, 10, QLatin1Char('0'));
}

QString setTimeText(const SetTime& time) {
    return FormatSetTime(time) + QLatin1Char(' ') + TimeUnitPrintName(time.unit);
}

QString dayNames(const WeekDays& days, const QStringList& names) {
    QStringList chosen;
    for (int d = 0; d < kDaysPerWeek; ++d) {
        if (days[d]) {
            chosen << names.value(d);
        }
    }
    return chosen.join(QLatin1Char(' '));
}

// First generation: the range of days; second generation: the ON days, then the OFF days.
QString daySetting(const TimeSwitchRecord& record, bool advanced) {
    if (advanced) {
        const QStringList names = ShortWeekdayNames();
        return dayNames(record.onDays, names) + QStringLiteral(" - ") + dayNames(record.offDays, names);
    }
    const QStringList names = WeekdayNames();
    return names.value(record.startDay - 1) + QStringLiteral(" - ") + names.value(record.endDay - 1);
}

QString analogInputText(int input) {
    static const char* const kModules[] = {" Base", " Ext A", " Ext B", " Ext C"};
    return QStringLiteral("V%1").arg(input + 1) + QLatin1String(kModules[(input / 2) % 4]);
}

// A label in the chosen language, padded to the English label's width, then "=".
QString labelled(int textId, int width) {
    return LoadText(textId).leftJustified(width) + QLatin1Char('=');
}

QString setPointColumn(const QString& digits) {
    return labelled(8549, 12) + digits;
}

struct Section {
    int heading;
    int blocks;
    std::function<bool(const Program&, int)> inUse;
    std::function<QString(const Program&, int)> line;
    QString columnTitles;  // printed under the heading when given
};

template <typename Table>
std::function<bool(const Program&, int)> flagInUse(Table Program::*table) {
    return
        [table](const Program& program, int block) { return ((program.*table)[block][0] & kFlagInUse) != 0; };
}

}  // namespace

QString TimeSwitchListingLine(const Program& program, int block) {
    const TimeSwitchRecord record = ReadTimeSwitch(program, block);
    return QStringLiteral("RTC%1").arg(block + 1) + kTab +
           daySetting(record, AdvancedTimeSwitch(program.ModelIndex)) + kTab + QStringLiteral("ON - ") +
           TimeFieldText(record.onHour) + QStringLiteral(" : ") + TimeFieldText(record.onMinute) + kTab +
           QStringLiteral("OFF - ") + TimeFieldText(record.offHour) + QStringLiteral(" : ") +
           TimeFieldText(record.offMinute);
}

QString TimerListingLine(const Program& program, int block) {
    const TimerRecord record = DecodeTimer(program, block);
    QString line = QStringLiteral("T%1").arg(block + 1) + kTab + LoadText(8548) +
                   QChar::fromLatin1(record.letter()) + kTab + setTimeText(record.on);
    if (TimerHasOffTime(record.type)) {
        line += QLatin1Char(';') + kTab + setTimeText(record.off);
    }
    return line;
}

QString CounterListingLine(const Program& program, int block) {
    const CounterRecord record = DecodeCounter(program, block);
    return QStringLiteral("C%1").arg(block + 1) + kTab +
           setPointColumn(FormatSetPoint(record.setPoint, record.decimalPosition)) + kTab +
           labelled(8550, 18) + fiveDigits(record.pulses) + kTab + labelled(8551, 23) +
           fiveDigits(record.displayUnits);
}

QString AnalogListingLine(const Program& program, int block) {
    const AnalogRecord record = ReadAnalog(program, block);
    const QString second = record.secondOperand == kVref
                               ? AnalogValueText(record.reference, record.decimalPosition)
                               : analogInputText(record.secondOperand);
    return QStringLiteral("A%1").arg(block + 1) + kTab + LoadText(8552) + kTab +
           analogInputText(record.firstInput) + kTab + CompareFunctionSymbol(record.function) + kTab + second;
}

QString CompareListingLine(const Program& program, int block) {
    const CompareRecord record = DecodeCompare(program, block);
    const QString second = record.constantOperand ? fiveDigits(record.constant)
                                                  : QStringLiteral("C%1").arg(record.secondCounter + 1);
    return QStringLiteral("P%1").arg(block + 1) + kTab + LoadText(8552) + kTab +
           QStringLiteral("C%1").arg(record.firstCounter + 1) + kTab +
           CompareFunctionSymbol(record.function) + kTab + second;
}

QString SoftTextListingLine(const Program& program, int message) {
    const SoftTextRow& row = program.SoftTextParams[message];
    const std::vector<EmbeddedField> fields = EmbeddedFields(row);
    QStringList lines(kSoftTextLines);
    std::size_t next = 0;
    for (int position = 0; position < kSoftTextFields;) {
        const int lineIndex = position / kSoftTextLineLength;
        if (next < fields.size() && fields[next].position == position) {
            // A value stands in the message as what it shows, never as its stored codes.
            lines[lineIndex] += EmbeddedFieldDescription(program, fields[next]);
            ++next;
            position += 4;
            continue;
        }
        const std::uint8_t code = row[position];
        lines[lineIndex] +=
            code < 32 ? QString(QLatin1Char(' ')) : FromCp1252(QByteArrayView(&row[position], 1));
        ++position;
    }
    return QStringLiteral("X%1 - ").arg(message + 1) + kTab + lines.join(kTab);
}

QString HourMeterListingLine(const Program& program, int meter) {
    return QStringLiteral("H%1").arg(meter + 1) + kTab +
           setPointColumn(HourMeterPresetText(ReadHourMeter(program, meter)));
}

PrintPages ParameterListing(const Program& program) {
    const Section sections[] = {
        {8541, kTimeSwitches, flagInUse(&Program::TimeSwitchParams), TimeSwitchListingLine, QString()},
        {8542, kTimers, flagInUse(&Program::TimerParams), TimerListingLine,
         LoadText(8553) + kTab + LoadText(8554).leftJustified(6) + QStringLiteral("\tSP ON\tSP OFF")},
        {8543, kCounters, flagInUse(&Program::CounterParams), CounterListingLine, QString()},
        {8544, kAnalogBlocks, flagInUse(&Program::AnalogParams), AnalogListingLine, QString()},
        {8545, kCompareCounters, flagInUse(&Program::CompareParams), CompareListingLine, QString()},
        {8546, kSoftTexts, [](const Program& p, int message) { return p.SoftTextUsed[message] != 0; },
         SoftTextListingLine, QString()},
        {8547, kHourMeters, flagInUse(&Program::HourMeterParams), HourMeterListingLine, QString()},
    };
    PageFrame frame(HeaderTextsOf(program));
    frame.beginPage();
    for (const Section& section : sections) {
        bool headed = false;
        for (int block = 0; block < section.blocks; ++block) {
            if (!section.inUse(program, block)) {
                continue;
            }
            if (!headed) {
                frame.printHeading(LoadText(section.heading));
                if (!section.columnTitles.isEmpty()) {
                    frame.printLine(section.columnTitles);
                }
                headed = true;
            }
            frame.printLine(section.line(program, block));
        }
    }
    return frame.pages();
}

}  // namespace bdx
