#include "soft_text_record.h"

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
    const bool onTime = parameter == kOnTimeParameter;
    switch (type) {
        case 0:
            return QStringLiteral(" On Delay time");
        case 1:
            return QStringLiteral(" Off Delay time");
        case 2:
            return QStringLiteral(" Single Pulse Time");
        case 3:
        case 4:
            return onTime ? QStringLiteral(" asymetric ON time") : QStringLiteral(" asymetric OFF time");
        case 5:
        case 6:
            return onTime ? QStringLiteral(" Cyclic ON time") : QStringLiteral(" Cyclic OFF time");
        case 7:
            return onTime ? QStringLiteral(" Delayed Impulse ON time")
                          : QStringLiteral(" Delayed Impulse OFF time");
        case 8:
            return QStringLiteral(" Leading Edge Impulse1 time");
        case 9:
            return QStringLiteral(" Leading Edge Impulse2 time");
        case 10:
            return QStringLiteral(" Trailing Edge Impulse1 time");
        case 11:
            return QStringLiteral(" Trailing Edge Impulse2 time");
        case 12:
            return QStringLiteral(" Signal OFF ON time");
        case 13:
            return QStringLiteral(" Impulse ON OFF");
        default:
            return {};
    }
}

}  // namespace bdx
