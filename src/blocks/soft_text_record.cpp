#include "soft_text_record.h"

#include "blocks/timer_record.h"
#include "ladder/cp1252.h"
#include "shell/language_table.h"

namespace bdx {

namespace {

enum TextId {
    SelectCounterNumber = 4245,
    SelectParameter = 4246,
    SelectTimerNumber = 4247,
    SelectAnalogInput = 4248,
    SelectHourMeterNumber = 4318,
};

constexpr int kDateParameter = 0;
constexpr int kTimeParameter = 1;
constexpr int kOnTimeParameter = 2;

QString token(int source, const QString& number, const QString& parameter) {
    return QString(QChar(kEmbeddedTokenMarker)) + QString::number(source) + number + parameter;
}

// Blocks are numbered in two characters, right-aligned.
QString numberedToken(int source, const EmbeddedDataRequest& request) {
    return token(source, QString::number(request.number).rightJustified(2, u' '),
                 QString::number(request.parameter));
}

bool parameterChosen(const EmbeddedDataRequest& request) {
    return request.parameter >= 0 && request.parameter != kNoEmbeddedParameter;
}

}  // namespace

QStringList SoftTextLines(const Program& program, int message) {
    const auto& row = program.SoftTextParams[message];
    const QString text =
        FromCp1252(QByteArrayView(reinterpret_cast<const char*>(row.data()), qsizetype(row.size())));
    QStringList lines;
    for (int line = 0; line < kSoftTextLines; ++line) {
        lines << text.mid(line * kSoftTextLineLength, kSoftTextLineLength);
    }
    return lines;
}

void SetSoftTextLines(Program& program, int message, const QStringList& lines) {
    auto& row = program.SoftTextParams[message];
    for (int line = 0; line < kSoftTextLines; ++line) {
        const QString text = (line < lines.size() ? lines[line] : QString())
                                 .left(kSoftTextLineLength)
                                 .leftJustified(kSoftTextLineLength, u' ');
        const QByteArray bytes = ToCp1252(text);
        for (int i = 0; i < kSoftTextLineLength; ++i) {
            row[line * kSoftTextLineLength + i] = std::uint8_t(bytes[i]);
        }
    }
}

EmbeddedToken MakeEmbeddedDataToken(const EmbeddedDataRequest& request) {
    const auto refuse = [](int textId) {
        return EmbeddedToken{std::nullopt, InformationBox(LoadText(textId))};
    };
    // A block value needs the block's number, then one of its parameters.
    const auto blockValue = [&](int source, int missingNumber) {
        if (request.number <= 0) {
            return refuse(missingNumber);
        }
        return parameterChosen(request) ? EmbeddedToken{numberedToken(source, request), {}}
                                        : refuse(SelectParameter);
    };
    switch (request.choice) {
        case EmbeddedChoice::Counter:
            return blockValue(EmbeddedSource::Counter, SelectCounterNumber);
        case EmbeddedChoice::Timer:
            return blockValue(EmbeddedSource::Timer, SelectTimerNumber);
        case EmbeddedChoice::HourMeter:
            return blockValue(EmbeddedSource::HourMeter, SelectHourMeterNumber);
        case EmbeddedChoice::Analog:
            if (request.number <= 0) {
                return refuse(SelectAnalogInput);
            }
            return {token(EmbeddedSource::AnalogInput, QString::number(request.number), QStringLiteral("x")),
                    {}};
        case EmbeddedChoice::Date:
            return {token(EmbeddedSource::DateTime, QStringLiteral(" "), QString::number(kDateParameter)),
                    {}};
        case EmbeddedChoice::Time:
            return {token(EmbeddedSource::DateTime, QStringLiteral(" "), QString::number(kTimeParameter)),
                    {}};
    }
    return {};
}

std::optional<QString> BuildEmbeddedDataToken(const EmbeddedDataRequest& request, Prompter& prompter) {
    EmbeddedToken result = MakeEmbeddedDataToken(request);
    Accepted(prompter, result.refusal);
    return std::move(result.token);
}

QString EmbeddedTimerWords(int type, int parameter) {
    // The words after the timer in the dialog, with a leading blank; "%1" takes ON or OFF, or the
    // edge impulse's number.
    enum WordsTextId {
        OnDelayTime = 8246,
        OffDelayTime = 8247,
        SinglePulseTime = 8248,
        AsymmetricTime = 8249,
        CyclicTime = 8250,
        DelayedImpulseTime = 8251,
        LeadingEdgeTime = 8252,
        TrailingEdgeTime = 8253,
        SignalOffOnTime = 8254,
        ImpulseOnOff = 8255,
    };
    const QString onOff = parameter == kOnTimeParameter ? QStringLiteral("ON") : QStringLiteral("OFF");
    const auto words = [](int id) { return u' ' + LoadText(id); };
    switch (type) {
        case 0:
            return words(OnDelayTime);
        case 1:
            return words(OffDelayTime);
        case 2:
            return words(SinglePulseTime);
        case 3:
        case 4:
            return words(AsymmetricTime).arg(onOff);
        case 5:
        case 6:
            return words(CyclicTime).arg(onOff);
        case 7:
            return words(DelayedImpulseTime).arg(onOff);
        case 8:
        case 9:
            return words(LeadingEdgeTime).arg(type - 7);
        case 10:
        case 11:
            return words(TrailingEdgeTime).arg(type - 9);
        case 12:
            return words(SignalOffOnTime);
        case 13:
            return words(ImpulseOnOff);
        default:
            return {};
    }
}

std::vector<EmbeddedField> EmbeddedFields(const SoftTextRow& text) {
    std::vector<EmbeddedField> fields;
    const auto at = [&text](int i) { return i < kSoftTextFields ? int(text[i]) : 0; };
    for (int i = 0; i < kSoftTextFields; ++i) {
        if (text[i] == kEmbeddedDataMarker) {
            fields.push_back({i, at(i + 1), at(i + 2), at(i + 3)});
            i += 3;  // the data positions may hold any code, the marker's included
        }
    }
    return fields;
}

std::vector<EmbeddedField> EmbeddedFields(const Program& program, int message) {
    if (message < 0 || message >= kSoftTexts) {
        return {};
    }
    return EmbeddedFields(program.SoftTextParams[message]);
}

int EmbeddedFieldWidth(const Program& program, const EmbeddedField& field) {
    constexpr int kTimerWidth = 5;  // "999.9", "99:59"
    constexpr int kDateWidth = 8;   // "31:12:24"
    constexpr int kTimeWidth = 5;   // "23:59"
    const int n = field.number - 1;
    switch (field.source) {
        case EmbeddedSource::Timer:
            return kTimerWidth;
        case EmbeddedSource::Counter:
            if (n < 0 || n >= kCounters) {
                return 0;
            }
            // Five digits, and a decimal point when the counter has decimals.
            return (program.CounterParams[n][CounterField::Flags] >> 5) != 0 ? 6 : 5;
        case EmbeddedSource::HourMeter:
            if (n < 0 || n >= kHourMeters) {
                return 0;
            }
            // Resolution code 2 counts whole hours; the others show a decimal point.
            return ((program.HourMeterParams[n][HourMeterField::Flags] >> 2) & 0x03) == 2 ? 5 : 6;
        case EmbeddedSource::AnalogInput:
            if (n < 0 || n >= kAnalogChannels) {
                return 0;
            }
            // A sign and five digits, and a decimal point when the input's scaling has decimals.
            return program.AnalogScalingParams[n][AnalogScalingField::DecimalPoint] != 0 ? 7 : 6;
        case EmbeddedSource::DateTime:
            return field.parameter == 0 ? kDateWidth : field.parameter == 1 ? kTimeWidth : 0;
        default:
            return 0;
    }
}

std::optional<EmbeddedField> ParseEmbeddedDataToken(const QString& token) {
    if (token.size() < 4 || token[0] != QChar(kEmbeddedTokenMarker) || !token[1].isDigit()) {
        return std::nullopt;
    }
    const int source = token[1].digitValue();
    const auto digit = [&token](int i) { return token[i].isDigit() ? token[i].digitValue() : -1; };
    switch (source) {
        case EmbeddedSource::Timer:
        case EmbeddedSource::Counter:
        case EmbeddedSource::HourMeter: {
            bool ok = false;
            const int number = token.size() == 5 ? token.mid(2, 2).trimmed().toInt(&ok) : 0;
            if (!ok || number < 1 || digit(4) < 0) {
                return std::nullopt;
            }
            return EmbeddedField{0, source, number, digit(4)};
        }
        case EmbeddedSource::AnalogInput:
            if (token.size() != 4 || digit(2) < 1 || digit(2) > kAnalogChannels || token[3] != u'x') {
                return std::nullopt;
            }
            return EmbeddedField{0, source, digit(2), 0};
        case EmbeddedSource::DateTime:
            if (token.size() != 4 || token[2] != u' ' || digit(3) < 0 || digit(3) > 1) {
                return std::nullopt;
            }
            return EmbeddedField{0, source, digit(3), digit(3)};
        default:
            return std::nullopt;
    }
}

QString EmbeddedFieldDescription(const Program& program, const EmbeddedField& field) {
    const QString number = QString::number(field.number);
    const int n = field.number - 1;
    switch (field.source) {
        case EmbeddedSource::Timer: {
            if (n < 0 || n >= kTimers) {
                return {};
            }
            const bool offTime =
                field.parameter == 0 && TimerHasOffTime(program.TimerParams[n][TimerField::Type]);
            return QStringLiteral("T ") + number +
                   (field.parameter == 1 ? LoadText(8497)
                    : offTime            ? LoadText(8498)
                                         : LoadText(8499));
        }
        case EmbeddedSource::Counter:
            if (n < 0 || n >= kCounters) {
                return {};
            }
            return QStringLiteral("C ") + number + (field.parameter == 1 ? LoadText(8500) : LoadText(8501));
        case EmbeddedSource::HourMeter:
            if (n < 0 || n >= kHourMeters) {
                return {};
            }
            return QStringLiteral("H ") + number +
                   (field.parameter == 1   ? LoadText(8502)
                    : field.parameter == 2 ? LoadText(8503)
                                           : LoadText(8501));
        case EmbeddedSource::AnalogInput:
            return n < 0 || n >= kAnalogChannels ? QString() : QStringLiteral("V ") + number;
        case EmbeddedSource::DateTime:
            return LoadText(field.parameter == 0 ? 8504 : 8505);
        default:
            return {};
    }
}

}  // namespace bdx
