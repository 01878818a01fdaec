#include "program_diff.h"

#include <initializer_list>

#include "blocks/device_model.h"
#include "parameter_listing.h"
#include "short_printout.h"

namespace bdx {

namespace {

using ListingLine = QString (*)(const Program&, int);

// Where a named field starts in a block record; a field runs to the next one's start.
struct FieldStart {
    int index;
    const char* name;
};

QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString valueChange(const QString& before, const QString& after) {
    return before + QStringLiteral(" -> ") + after;
}

QString numbered(int number, int width) {
    return QStringLiteral("%1").arg(number, width, 10, QLatin1Char('0'));
}

// Listing lines separate their columns with tabs; a report line reads better with spaces.
QString oneLine(QString text) {
    return text.replace(QLatin1Char('\t'), QStringLiteral("  ")).replace(QLatin1Char('\n'), QStringLiteral(" | "));
}

QString fieldName(std::initializer_list<FieldStart> fields, int index, int fieldCount) {
    const FieldStart* found = nullptr;
    int end = fieldCount;
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        if (it->index <= index) {
            found = it;
            end = (it + 1 != fields.end()) ? (it + 1)->index : fieldCount;
        }
    }
    if (found == nullptr) {
        return QStringLiteral("byte %1").arg(index + 1);
    }
    const QString name = QString::fromLatin1(found->name);
    // Multi-byte values (times, set points) are stored digit by digit: say which digit moved.
    return end - found->index > 1 ? QStringLiteral("%1 [%2]").arg(name).arg(index - found->index + 1) : name;
}

template <typename Table>
void compareTable(QStringList& report, const char* title, const char* prefix, const Program& before,
                  const Program& after, const Table& a, const Table& b, std::initializer_list<FieldStart> fields,
                  ListingLine listing) {
    for (std::size_t block = 0; block < a.size(); ++block) {
        if (a[block] == b[block]) {
            continue;
        }
        const int number = static_cast<int>(block);
        report << QStringLiteral("%1 %2%3:").arg(QString::fromLatin1(title), QString::fromLatin1(prefix)).arg(number + 1);
        if (listing != nullptr) {
            const QString was = oneLine(listing(before, number));
            const QString now = oneLine(listing(after, number));
            if (was != now) {
                report << QStringLiteral("  - ") + was << QStringLiteral("  + ") + now;
            }
        }
        const int fieldCount = static_cast<int>(a[block].size());
        for (int field = 0; field < fieldCount; ++field) {
            if (a[block][field] != b[block][field]) {
                report << QStringLiteral("  ") + fieldName(fields, field, fieldCount) + QStringLiteral(": ") +
                              valueChange(QString::number(a[block][field]), QString::number(b[block][field]));
            }
        }
    }
}

QString modelText(int index) {
    if (!IsValidModel(index)) {
        return QStringLiteral("unknown model (%1)").arg(index);
    }
    return QStringLiteral("%1 (%2)").arg(QString::fromLatin1(kDeviceModels[index].displayName)).arg(index);
}

QString printInfoName(int index) {
    static const char* const kNames[] = {"Project", "Author", "Approved by", "Version", "Date"};
    if (index < static_cast<int>(std::size(kNames))) {
        return QString::fromLatin1(kNames[index]);
    }
    return QStringLiteral("Header text %1").arg(index + 1);
}

QString hexWords(const Program& program, int line) {
    QStringList words;
    for (int w = 0; w < kWordsPerLine; ++w) {
        words << QStringLiteral("%1").arg(program.word(line, w), 4, 16, QLatin1Char('0')).toUpper();
    }
    return words.join(QLatin1Char(' '));
}

void compareLadder(QStringList& report, const Program& before, const Program& after) {
    for (int line = 0; line < kLadderLines; ++line) {
        bool same = true;
        for (int w = 0; w < kWordsPerLine && same; ++w) {
            same = before.word(line, w) == after.word(line, w);
        }
        if (same) {
            continue;
        }
        QString was = ShortPrintoutLine(before, line).trimmed();
        QString now = ShortPrintoutLine(after, line).trimmed();
        if (was == now) {
            // Codes the rendering does not show still change what the device runs.
            was += QStringLiteral("  [") + hexWords(before, line) + QLatin1Char(']');
            now += QStringLiteral("  [") + hexWords(after, line) + QLatin1Char(']');
        }
        report << QStringLiteral("Ladder line %1:").arg(numbered(line + 1, 3)) << QStringLiteral("  - ") + was
               << QStringLiteral("  + ") + now;
    }
}

void compareBlocks(QStringList& report, const Program& a, const Program& b) {
    compareTable(report, "Time switch", "RTC", a, b, a.TimeSwitchParams, b.TimeSwitchParams,
                 {{0, "flags"}, {1, "start day"}, {2, "end day"}, {3, "on hour"}, {4, "on minute"},
                  {5, "off hour"}, {6, "off minute"}},
                 TimeSwitchListingLine);
    compareTable(report, "Timer", "T", a, b, a.TimerParams, b.TimerParams,
                 {{0, "flags"}, {1, "units"}, {2, "type"}, {3, "on time"}, {7, "off time"}}, TimerListingLine);
    compareTable(report, "Counter", "C", a, b, a.CounterParams, b.CounterParams,
                 {{0, "flags"}, {1, "set point"}, {6, "pulses"}, {11, "display units"}}, CounterListingLine);
    compareTable(report, "Analog block", "A", a, b, a.AnalogParams, b.AnalogParams,
                 {{0, "flags"}, {1, "reference high"}, {2, "reference low"}, {3, "operands"}, {4, "function"},
                  {5, "sign"}},
                 AnalogListingLine);
    compareTable(report, "Compare counter", "P", a, b, a.CompareParams, b.CompareParams,
                 {{0, "flags"}, {1, "constant"}, {6, "counters"}}, CompareListingLine);
    compareTable(report, "Hour meter", "H", a, b, a.HourMeterParams, b.HourMeterParams,
                 {{0, "flags"}, {1, "preset"}}, HourMeterListingLine);
    compareTable(report, "Soft text", "X", a, b, a.SoftTextParams, b.SoftTextParams, {{0, "character"}},
                 SoftTextListingLine);
    for (int message = 0; message < kSoftTexts; ++message) {
        if (a.SoftTextUsed[message] != b.SoftTextUsed[message]) {
            report << QStringLiteral("Soft text X%1 in use: ").arg(message + 1) +
                          valueChange(QString::number(a.SoftTextUsed[message]),
                                      QString::number(b.SoftTextUsed[message]));
        }
    }
    compareTable(report, "Analog scaling channel", "", a, b, a.AnalogScalingParams, b.AnalogScalingParams,
                 {{0, "decimal point"}, {1, "minimum sign"}, {2, "minimum"}, {7, "maximum sign"}, {8, "maximum"}},
                 nullptr);
}

void compareComments(QStringList& report, const Program& a, const Program& b) {
    for (const OperandInfo& info : kOperandTable) {
        const QString name = info.kind == Operand::Clock ? QStringLiteral("RTC") : QString(QChar::fromLatin1(info.letter));
        for (int index = 0; index < info.count; ++index) {
            const QString& was = a.comment(info.kind, index);
            const QString& now = b.comment(info.kind, index);
            if (was != now) {
                report << QStringLiteral("Comment %1%2: ").arg(name).arg(index + 1) +
                              valueChange(quoted(was), quoted(now));
            }
        }
    }
    for (int line = 0; line < kLadderLines; ++line) {
        if (a.LineComments[line] != b.LineComments[line]) {
            report << QStringLiteral("Line comment %1: ").arg(numbered(line + 1, 3)) +
                          valueChange(quoted(a.LineComments[line]), quoted(b.LineComments[line]));
        }
    }
}

}  // namespace

QStringList ProgramDifferences(const Program& before, const Program& after) {
    QStringList report;
    if (before.ModelIndex != after.ModelIndex) {
        report << QStringLiteral("Model: ") + valueChange(modelText(before.ModelIndex), modelText(after.ModelIndex));
    }
    for (int module = 0; module < kExtensionModules; ++module) {
        if (before.ExtensionModules[module] != after.ExtensionModules[module]) {
            report << QStringLiteral("Extension module %1: ").arg(module + 1) +
                          valueChange(QString::number(before.ExtensionModules[module]),
                                      QString::number(after.ExtensionModules[module]));
        }
    }
    for (int text = 0; text < kPrintInfoTexts; ++text) {
        if (before.PrintInfo[text] != after.PrintInfo[text]) {
            report << printInfoName(text) + QStringLiteral(": ") +
                          valueChange(quoted(before.PrintInfo[text]), quoted(after.PrintInfo[text]));
        }
    }
    compareLadder(report, before, after);
    compareBlocks(report, before, after);
    compareComments(report, before, after);
    return report;
}

}  // namespace bdx
