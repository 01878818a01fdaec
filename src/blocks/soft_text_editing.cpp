#include "soft_text_editing.h"

#include <algorithm>

#include "blocks/device_model.h"
#include "shell/language_table.h"

namespace bdx {

namespace {

enum TextId {
    FirstModuleMissing = 4249,  // "Extension module A is not selected.", then B and C
    TextTooLong = 4294,
    CannotShow = 8450,
    NoAnalogInputs = 8451,
};

constexpr std::uint8_t kBlank = ' ';
constexpr int kLast = kSoftTextFields - 1;
constexpr int kTokenLength = 4;

int lineStart(int position) {
    return position - position % kSoftTextLineLength;
}

Refusal tooLong() {
    return InformationBox(LoadText(TextTooLong));
}

Refusal cannotShow(QChar c) {
    const QString shown =
        c.isPrint() ? QString(c) : QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    return InformationBox(LoadText(CannotShow).arg(shown));
}

}  // namespace

bool DisplayCanShow(QChar c) {
    return c.unicode() >= 32 && c.unicode() <= 126 && c != QChar(kEmbeddedTokenMarker);
}

std::vector<FieldSpan> FieldSpans(const Program& program, const SoftTextRow& text) {
    std::vector<FieldSpan> spans;
    for (const EmbeddedField& field : EmbeddedFields(text)) {
        const int width = std::max(EmbeddedFieldWidth(program, field), kTokenLength);
        const int lineEnd = lineStart(field.position) + kSoftTextLineLength;
        // A token stored across a line end still takes its four positions.
        const int end = std::max(std::min(field.position + width, lineEnd),
                                 std::min(field.position + kTokenLength, int(kSoftTextFields)));
        spans.push_back({field, field.position, end});
    }
    return spans;
}

SoftTextEditBuffer::SoftTextEditBuffer(const Program& program, const SoftTextRow& text)
    : program_(program), text_(text) {
    refreshSpans();
}

const FieldSpan* SoftTextEditBuffer::spanAt(int position) const {
    const auto found = std::find_if(spans_.begin(), spans_.end(),
                                    [position](const FieldSpan& s) { return s.covers(position); });
    return found == spans_.end() ? nullptr : &*found;
}

void SoftTextEditBuffer::setCursor(int position) {
    cursor_ = std::clamp(position, 0, kLast);
    if (const FieldSpan* span = spanAt(cursor_)) {
        cursor_ = span->begin;
    }
}

void SoftTextEditBuffer::moveLeft() {
    setCursor(cursor_ - 1);
}

void SoftTextEditBuffer::moveRight() {
    const FieldSpan* span = spanAt(cursor_);
    const int next = span ? span->end : cursor_ + 1;
    if (next <= kLast) {
        setCursor(next);
    }
}

void SoftTextEditBuffer::moveUp() {
    if (cursor_ >= kSoftTextLineLength) {
        setCursor(cursor_ - kSoftTextLineLength);
    }
}

void SoftTextEditBuffer::moveDown() {
    if (cursor_ + kSoftTextLineLength <= kLast) {
        setCursor(cursor_ + kSoftTextLineLength);
    }
}

void SoftTextEditBuffer::moveHome() {
    setCursor(lineStart(cursor_));
}

void SoftTextEditBuffer::moveEnd() {
    setCursor(lineStart(cursor_) + kSoftTextLineLength - 1);
}

void SoftTextEditBuffer::removeField(const FieldSpan& span) {
    const int end = std::min(span.begin + kTokenLength, int(kSoftTextFields));
    std::fill(text_.begin() + span.begin, text_.begin() + end, kBlank);
}

void SoftTextEditBuffer::removeFieldsIn(int begin, int end) {
    for (const FieldSpan& span : spans_) {
        if (span.begin < end && span.end > begin) {
            removeField(span);
        }
    }
    refreshSpans();
}

Refusal SoftTextEditBuffer::type(QChar c) {
    if (!DisplayCanShow(c)) {
        return cannotShow(c);
    }
    removeFieldsIn(cursor_, cursor_ + 1);
    text_[cursor_] = static_cast<std::uint8_t>(c.unicode());
    if (cursor_ < kLast) {
        setCursor(cursor_ + 1);
    }
    return std::nullopt;
}

Refusal SoftTextEditBuffer::paste(const QString& pasted) {
    QStringList lines = QString(pasted).remove(QLatin1Char('\r')).split(QLatin1Char('\n'));
    if (lines.size() > 1 && lines.back().isEmpty()) {
        lines.removeLast();  // a copied line usually ends with its line break
    }
    const int firstLine = cursor_ / kSoftTextLineLength;
    const int column = cursor_ % kSoftTextLineLength;
    if (firstLine + lines.size() > kSoftTextLines) {
        return tooLong();
    }
    for (qsizetype i = 0; i < lines.size(); ++i) {
        for (const QChar c : lines[i]) {
            if (!DisplayCanShow(c)) {
                return cannotShow(c);
            }
        }
        if (lines[i].size() > kSoftTextLineLength - (i == 0 ? column : 0)) {
            return tooLong();
        }
    }
    int end = cursor_;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int start = i == 0 ? cursor_ : (firstLine + int(i)) * kSoftTextLineLength;
        removeFieldsIn(start, start + int(lines[i].size()));
        for (int k = 0; k < lines[i].size(); ++k) {
            text_[start + k] = static_cast<std::uint8_t>(lines[i][k].unicode());
        }
        end = start + int(lines[i].size());
    }
    setCursor(std::min(end, kLast));
    return std::nullopt;
}

void SoftTextEditBuffer::erase() {
    if (const FieldSpan* span = spanAt(cursor_)) {
        removeField(*span);
        refreshSpans();
    } else {
        text_[cursor_] = kBlank;
    }
}

void SoftTextEditBuffer::backspace() {
    if (cursor_ > 0) {
        moveLeft();
        erase();
    }
}

Refusal SoftTextEditBuffer::insertField(const EmbeddedField& field) {
    EmbeddedField placed = field;
    placed.position = cursor_;
    const int width = std::max(EmbeddedFieldWidth(program_, placed), kTokenLength);
    if (cursor_ % kSoftTextLineLength + width > kSoftTextLineLength) {
        return tooLong();
    }
    removeFieldsIn(cursor_, cursor_ + width);
    text_[cursor_] = kEmbeddedDataMarker;
    text_[cursor_ + 1] = static_cast<std::uint8_t>(placed.source);
    text_[cursor_ + 2] = static_cast<std::uint8_t>(placed.number);
    text_[cursor_ + 3] = static_cast<std::uint8_t>(placed.parameter);
    std::fill(text_.begin() + cursor_ + kTokenLength, text_.begin() + cursor_ + width, kBlank);
    refreshSpans();
    setCursor(std::min(cursor_ + width, kLast));
    return std::nullopt;
}

Refusal CheckSoftTextMessage(const Program& program, const SoftTextRow& text) {
    for (const EmbeddedField& field : EmbeddedFields(text)) {
        if (field.source != EmbeddedSource::AnalogInput) {
            continue;
        }
        if (!HasAnalog(program.ModelIndex)) {
            return InformationBox(LoadText(NoAnalogInputs).arg(field.number));
        }
        // Two inputs per module: V1 and V2 on the base, then two each on A, B and C.
        const int module = (field.number - 1) / 2 - 1;
        if (module >= 0 && module < 3 && program.ExtensionModules[module] == 0) {
            return InformationBox(LoadText(FirstModuleMissing + module));
        }
    }
    return std::nullopt;
}

Refusal SaveSoftTextMessage(Program& program, int message, const SoftTextRow& text) {
    if (Refusal refusal = CheckSoftTextMessage(program, text)) {
        return refusal;
    }
    program.SoftTextParams[message] = text;
    return std::nullopt;
}

}  // namespace bdx
