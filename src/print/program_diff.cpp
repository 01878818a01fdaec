#include "program_diff.h"

#include <initializer_list>

#include "blocks/device_model.h"
#include "parameter_listing.h"
#include "short_printout.h"
#include "shell/language_table.h"

namespace bdx {

namespace {

using ListingLine = QString (*)(const Program&, int);

// Where a named field starts in a block record; a field runs to the next one's start.
struct FieldStart {
    int index;
    int textId;
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
        return LoadText(8573).arg(index + 1);
    }
    const QString name = LoadText(found->textId);
    // Multi-byte values (times, set points) are stored digit by digit: say which digit moved.
    return end - found->index > 1 ? QStringLiteral("%1 [%2]").arg(name).arg(index - found->index + 1) : name;
}

template <typename Table>
void compareTable(QStringList& report, int titleId, const char* prefix, const Program& before,
                  const Program& after, const Table& a, const Table& b, std::initializer_list<FieldStart> fields,
                  ListingLine listing) {
    for (std::size_t block = 0; block < a.size(); ++block) {
        if (a[block] == b[block]) {
            continue;
        }
        const int number = static_cast<int>(block);
        report << QStringLiteral("%1 %2%3:").arg(LoadText(titleId), QString::fromLatin1(prefix)).arg(number + 1);
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
        return LoadText(8566).arg(index);
    }
    return QStringLiteral("%1 (%2)").arg(QString::fromLatin1(kDeviceModels[index].displayName)).arg(index);
}

QString printInfoName(int index) {
    // Project, Author, Approved by, Version, Date.
    constexpr int kFirstName = 8567, kNames = 5;
    if (index < kNames) {
        return LoadText(kFirstName + index);
    }
    return LoadText(8572).arg(index + 1);
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
        report << LoadText(8562).arg(numbered(line + 1, 3)) + QLatin1Char(':') << QStringLiteral("  - ") + was
               << QStringLiteral("  + ") + now;
    }
}

void compareBlocks(QStringList& report, const Program& a, const Program& b) {
    compareTable(report, 8575, "RTC", a, b, a.TimeSwitchParams, b.TimeSwitchParams,
                 {{0, 8870}, {1, 8871}, {2, 8872}, {3, 8873}, {4, 8874},
                  {5, 8875}, {6, 8876}},
                 TimeSwitchListingLine);
    compareTable(report, 8576, "T", a, b, a.TimerParams, b.TimerParams,
                 {{0, 8870}, {1, 8877}, {2, 8878}, {3, 8879}, {7, 8880}}, TimerListingLine);
    compareTable(report, 8577, "C", a, b, a.CounterParams, b.CounterParams,
                 {{0, 8870}, {1, 8881}, {6, 8882}, {11, 8883}}, CounterListingLine);
    compareTable(report, 8578, "A", a, b, a.AnalogParams, b.AnalogParams,
                 {{0, 8870}, {1, 8884}, {2, 8885}, {3, 8886}, {4, 8887},
                  {5, 8888}},
                 AnalogListingLine);
    compareTable(report, 8579, "P", a, b, a.CompareParams, b.CompareParams,
                 {{0, 8870}, {1, 8889}, {6, 8890}}, CompareListingLine);
    compareTable(report, 8867, "H", a, b, a.HourMeterParams, b.HourMeterParams,
                 {{0, 8870}, {1, 8891}}, HourMeterListingLine);
    compareTable(report, 8868, "X", a, b, a.SoftTextParams, b.SoftTextParams, {{0, 8892}},
                 SoftTextListingLine);
    for (int message = 0; message < kSoftTexts; ++message) {
        if (a.SoftTextUsed[message] != b.SoftTextUsed[message]) {
            report << LoadText(8565).arg(QStringLiteral("X%1").arg(message + 1)) + QStringLiteral(": ") +
                          valueChange(QString::number(a.SoftTextUsed[message]),
                                      QString::number(b.SoftTextUsed[message]));
        }
    }
    compareTable(report, 8869, "", a, b, a.AnalogScalingParams, b.AnalogScalingParams,
                 {{0, 8893}, {1, 8894}, {2, 8895}, {7, 8896}, {8, 8897}},
                 nullptr);
}

void compareComments(QStringList& report, const Program& a, const Program& b) {
    for (const OperandInfo& info : kOperandTable) {
        const QString name = info.kind == Operand::Clock ? QStringLiteral("RTC") : QString(QChar::fromLatin1(info.letter));
        for (int index = 0; index < info.count; ++index) {
            const QString& was = a.comment(info.kind, index);
            const QString& now = b.comment(info.kind, index);
            if (was != now) {
                report << LoadText(8563).arg(name + QString::number(index + 1)) + QStringLiteral(": ") +
                              valueChange(quoted(was), quoted(now));
            }
        }
    }
    for (int line = 0; line < kLadderLines; ++line) {
        if (a.LineComments[line] != b.LineComments[line]) {
            report << LoadText(8564).arg(numbered(line + 1, 3)) + QStringLiteral(": ") +
                          valueChange(quoted(a.LineComments[line]), quoted(b.LineComments[line]));
        }
    }
}

}  // namespace

QStringList ProgramDifferences(const Program& before, const Program& after) {
    QStringList report;
    if (before.ModelIndex != after.ModelIndex) {
        report << LoadText(8560) + QStringLiteral(": ") + valueChange(modelText(before.ModelIndex), modelText(after.ModelIndex));
    }
    for (int module = 0; module < kExtensionModules; ++module) {
        if (before.ExtensionModules[module] != after.ExtensionModules[module]) {
            report << LoadText(8561).arg(module + 1) + QStringLiteral(": ") +
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
