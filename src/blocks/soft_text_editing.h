#pragma once

#include <QChar>
#include <QString>
#include <optional>
#include <vector>

#include "blocks/soft_text_record.h"
#include "ladder/program.h"
#include "shell/prompter.h"

// Editing one soft text message as the device's display shows it: three lines of twelve
// positions, typing overwrites, and an embedded field is one block as wide as its value.
namespace bdx {

// Whether the device's display has a glyph for `c`: printable ASCII. The grave accent marks
// embedded data and is never typed.
bool DisplayCanShow(QChar c);

// An embedded field with the positions its value takes on its display line.
struct FieldSpan {
    EmbeddedField field;
    int begin = 0;
    int end = 0;  // one past the last position

    bool covers(int position) const { return position >= begin && position < end; }
};

// The spans of every field of `text`: the value's width (at least the token's four
// positions), never past the end of the field's line.
std::vector<FieldSpan> FieldSpans(const Program& program, const SoftTextRow& text);

class SoftTextEditBuffer {
  public:
    // `program` gives the fields' widths; it must outlive the buffer.
    SoftTextEditBuffer(const Program& program, const SoftTextRow& text);

    const SoftTextRow& text() const { return text_; }
    int cursor() const { return cursor_; }
    const std::vector<FieldSpan>& spans() const { return spans_; }
    // The field under `position`, if any.
    const FieldSpan* spanAt(int position) const;

    // The cursor rests on single positions or on the first position of a field.
    void setCursor(int position);
    void moveLeft();
    void moveRight();
    void moveUp();
    void moveDown();
    void moveHome();  // start of the cursor's line
    void moveEnd();   // end of the cursor's line

    // Overwrites the position under the cursor (a field there goes) and moves on.
    Refusal type(QChar c);
    // Overwrites from the cursor, one message line per text line. Text that does not fit from
    // there, or that holds a character the display cannot show, changes nothing.
    Refusal paste(const QString& pasted);
    // Blanks the position under the cursor, or removes the field there.
    void erase();
    void backspace();
    // Writes the field at the cursor with blanks up to its width; it must fit on the line.
    Refusal insertField(const EmbeddedField& field);

  private:
    void removeField(const FieldSpan& span);
    void removeFieldsIn(int begin, int end);
    void refreshSpans() { spans_ = FieldSpans(program_, text_); }

    const Program& program_;
    SoftTextRow text_;
    int cursor_ = 0;
    std::vector<FieldSpan> spans_;
};

// The checks before a message is stored: embedded analog inputs need a model with analog
// inputs and, for V3..V8, their extension module.
Refusal CheckSoftTextMessage(const Program& program, const SoftTextRow& text);
// Checks, then writes the text of message 0..15.
Refusal SaveSoftTextMessage(Program& program, int message, const SoftTextRow& text);

}  // namespace bdx
