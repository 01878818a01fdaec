#include "blocks/soft_text_editing.h"

#include <gtest/gtest.h>

#include <functional>

#include "shell/language_table.h"

namespace bdx {
namespace {

const QString kTooLong = QStringLiteral("String Length  is more than Characters available");

SoftTextRow Blank() {
    SoftTextRow row;
    row.fill(' ');
    return row;
}

// The message as three lines, embedded data shown as "<source,number,parameter>" in the place
// of its marker and the three data positions.
QStringList Lines(const SoftTextRow& row) {
    QString text;
    for (int i = 0; i < kSoftTextFields; ++i) {
        if (row[i] == kEmbeddedDataMarker && i + 3 < kSoftTextFields) {
            text += QStringLiteral("<%1,%2,%3>").arg(row[i + 1]).arg(row[i + 2]).arg(row[i + 3]);
            i += 3;
        } else {
            text += QChar(row[i]);
        }
        if ((i + 1) % kSoftTextLineLength == 0 && i + 1 < kSoftTextFields) {
            text += u'|';
        }
    }
    return text.split(u'|');
}

QString RightTrimmed(QString s) {
    while (s.endsWith(u' ')) {
        s.chop(1);
    }
    return s;
}

const EmbeddedField kCounter5Count{0, EmbeddedSource::Counter, 5, 1};
const EmbeddedField kDate{0, EmbeddedSource::DateTime, 0, 0};
const EmbeddedField kTimer3Preset{0, EmbeddedSource::Timer, 3, 0};

class SoftTextEditingTest : public ::testing::Test {
  protected:
    Program program;
};

// One step of a user at the grid.
using Step = std::function<Refusal(SoftTextEditBuffer&)>;
Step Type(const char* text) {
    return [text](SoftTextEditBuffer& b) -> Refusal {
        for (const QChar c : QString::fromUtf8(text)) {
            if (Refusal r = b.type(c)) {
                return r;
            }
        }
        return std::nullopt;
    };
}
Step Move(void (SoftTextEditBuffer::*move)()) {
    return [move](SoftTextEditBuffer& b) -> Refusal {
        (b.*move)();
        return std::nullopt;
    };
}
Step At(int cell) {
    return [cell](SoftTextEditBuffer& b) -> Refusal {
        b.setCursor(cell);
        return std::nullopt;
    };
}
Step Insert(EmbeddedField field) {
    return [field](SoftTextEditBuffer& b) { return b.insertField(field); };
}
Step Paste(const char* text) {
    return [text](SoftTextEditBuffer& b) { return b.paste(QString::fromUtf8(text)); };
}

TEST_F(SoftTextEditingTest, KeysTypingFieldsAndPasteShapeTheMessage) {
    const auto right = Move(&SoftTextEditBuffer::moveRight);
    const auto left = Move(&SoftTextEditBuffer::moveLeft);
    const auto down = Move(&SoftTextEditBuffer::moveDown);
    const auto end = Move(&SoftTextEditBuffer::moveEnd);
    const auto erase = Move(&SoftTextEditBuffer::erase);
    const auto backspace = Move(&SoftTextEditBuffer::backspace);
    const struct Case {
        const char* name;
        std::vector<Step> steps;
        QStringList lines;
        int cursor;
        QString refusal;  // of the last step
    } cases[] = {
        {"typing overwrites and wraps to the next line",
         {Type("Hello world!?")},
         {"Hello world!", "?           ", "            "},
         13,
         {}},
        {"the last cell keeps the cursor", {At(35), Type("ab")}, {"", "", "           b"}, 35, {}},
        {"arrows stop at the edges",
         {left, Move(&SoftTextEditBuffer::moveUp), Type("x")},
         {"x", "", ""},
         1,
         {}},
        {"down, end and backspace", {down, end, Type("z"), backspace}, {"", "            ", ""}, 23, {}},
        {"a field takes its value's width and the cursor jumps it",
         {Type("C"), Insert(kCounter5Count), Type("pcs")},
         {"C<2,5,1> pcs", "", ""},
         9,
         {}},
        {"the date needs eight cells: refused near the line end",
         {At(5), Insert(kDate)},
         {"", "", ""},
         5,
         kTooLong},
        {"the date fits from column 4", {At(4), Insert(kDate)}, {"    <7,0,0>    ", "", ""}, 12, {}},
        {"arrows move over a field as one block",
         {At(2), Insert(kTimer3Preset), At(0), right, right, right, Type("!")},
         {"  <1,3,0> !", "", ""},
         8,
         {}},
        {"a cursor inside a field rests on its first cell",
         {At(2), Insert(kTimer3Preset), At(4)},
         {"  <1,3,0>", "", ""},
         2,
         {}},
        {"typing over a field removes all of it",
         {At(2), Insert(kTimer3Preset), At(3), Type("a")},
         {"  a", "", ""},
         3,
         {}},
        {"delete removes the whole field", {Insert(kTimer3Preset), At(0), erase}, {"", "", ""}, 0, {}},
        {"a new field replaces one it overlaps",
         {At(2), Insert(kTimer3Preset), At(0), Insert(kCounter5Count)},
         {"<2,5,1>", "", ""},
         5,
         {}},
        {"paste writes line by line from the cursor",
         {At(8), Paste("abcd\r\nline two\n")},
         {"        abcd", "line two", ""},
         20,
         {}},
        {"too many pasted lines change nothing", {down, Paste("a\nb\nc")}, {"", "", ""}, 12, kTooLong},
        {"pasted text over a field removes it",
         {Insert(kTimer3Preset), At(0), Paste("xy")},
         {"xy", "", ""},
         2,
         {}},
        {"the grave accent is no character to type",
         {Type("`")},
         {"", "", ""},
         0,
         QStringLiteral("The display cannot show the character \"`\".")},
        {"a tab is named by its code",
         {Paste("a\tb")},
         {"", "", ""},
         0,
         QStringLiteral("The display cannot show the character \"U+0009\".")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SoftTextEditBuffer b(program, Blank());
        Refusal last;
        for (const Step& step : c.steps) {
            last = step(b);
        }
        const QStringList shown = Lines(b.text());
        for (int i = 0; i < kSoftTextLines; ++i) {
            EXPECT_EQ(RightTrimmed(shown[i]), RightTrimmed(c.lines[i])) << "line " << i;
        }
        EXPECT_EQ(b.cursor(), c.cursor);
        EXPECT_EQ(last ? last->text : QString(), c.refusal);
    }
}

// The width follows the block's settings, so a field placed for it leaves room for its value.
TEST_F(SoftTextEditingTest, FieldWidthsFollowTheBlockSettings) {
    const struct {
        EmbeddedField field;
        std::function<void(Program&)> set;
        int width;
    } cases[] = {
        {kTimer3Preset, {}, 5},
        {kCounter5Count, {}, 5},
        {kCounter5Count, [](Program& p) { p.CounterParams[4][CounterField::Flags] = 1 << 5; }, 6},
        {{0, EmbeddedSource::HourMeter, 1, 2}, {}, 6},
        {{0, EmbeddedSource::HourMeter, 1, 2},
         [](Program& p) { p.HourMeterParams[0][HourMeterField::Flags] = 2 << 2; },
         5},
        {{0, EmbeddedSource::AnalogInput, 2, 0}, {}, 6},
        {{0, EmbeddedSource::AnalogInput, 2, 0},
         [](Program& p) { p.AnalogScalingParams[1][AnalogScalingField::DecimalPoint] = 2; },
         7},
        {kDate, {}, 8},
        {{0, EmbeddedSource::DateTime, 1, 1}, {}, 5},
    };
    for (const auto& c : cases) {
        Program p;
        if (c.set) {
            c.set(p);
        }
        SoftTextEditBuffer b(p, Blank());
        b.setCursor(12);
        ASSERT_FALSE(b.insertField(c.field));
        ASSERT_EQ(b.spans().size(), 1u);
        EXPECT_EQ(b.spans()[0].end - b.spans()[0].begin, c.width) << c.field.source;
        // One column further than the width allows is refused.
        SoftTextEditBuffer late(p, Blank());
        late.setCursor(24 + kSoftTextLineLength - c.width + 1);
        EXPECT_EQ(late.insertField(c.field).value_or(Message{}).text, kTooLong);
    }
}

TEST(SoftTextSaveTest, AnalogInputsNeedTheModelAndTheirExtensionModule) {
    const struct {
        int model;
        std::array<std::uint16_t, 3> modules;
        int input;
        QString refusal;
    } cases[] = {
        {9, {0, 0, 0}, 2, {}},
        {9, {0, 0, 0}, 3, QStringLiteral("Extension module A is not selected.")},
        {9, {1, 0, 0}, 4, {}},
        {9, {1, 0, 0}, 6, QStringLiteral("Extension module B is not selected.")},
        {9, {1, 1, 0}, 8, QStringLiteral("Extension module C is not selected.")},
        {9, {1, 1, 1}, 8, {}},
        {8, {1, 1, 1}, 1, QStringLiteral("This device model has no analog inputs: V1 cannot be shown.")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        Program p;
        p.ModelIndex = std::uint16_t(c.model);
        p.ExtensionModules = c.modules;
        SoftTextRow text = Blank();
        text[20] = kEmbeddedDataMarker;
        text[21] = EmbeddedSource::AnalogInput;
        text[22] = std::uint8_t(c.input);
        text[23] = 0;
        const Program before = p;
        const Refusal refusal = SaveSoftTextMessage(p, 6, text);
        EXPECT_EQ(refusal ? refusal->text : QString(), c.refusal);
        EXPECT_EQ(p.SoftTextParams[6] == text, c.refusal.isEmpty());
        if (refusal) {
            EXPECT_EQ(p, before);
        }
    }
}

}  // namespace
}  // namespace bdx
