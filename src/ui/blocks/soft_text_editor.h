#pragma once

#include <functional>
#include <memory>

#include "blocks/soft_text_editing.h"
#include "ui/widgets/soft_text_grid.h"

namespace bdx {

// The message grid of the soft text dialog: the device's three rows of twelve characters,
// edited in place. Arrow keys, Home and End move the cursor, typing overwrites, Delete and
// Backspace blank, paste writes from the cursor; embedded fields show as their values do on
// the display and move and go as one block. Return, Escape and Tab are left to the dialog.
class SoftTextEditor : public SoftTextGrid {
    Q_OBJECT
  public:
    // How the text looks on the display (the run's own rendering).
    using Renderer = std::function<QStringList(const SoftTextRow&)>;

    SoftTextEditor(const Program& program, Renderer render, QWidget* parent = nullptr);

    void setText(const SoftTextRow& text);
    const SoftTextRow& text() const { return buffer_->text(); }
    SoftTextEditBuffer& buffer() { return *buffer_; }

    // Writes the field at the cursor; a refusal is reported, not shown.
    Refusal insertField(const EmbeddedField& field);
    // Pastes text from the cursor, as Ctrl+V does with the clipboard.
    Refusal paste(const QString& text);

  Q_SIGNALS:
    // The user changed the text.
    void edited();
    // A key or paste the message cannot take; the dialog shows why.
    void refused(const Message& message);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    // Shows the buffer again; `changed` when its text changed.
    void refresh(bool changed);
    void report(const Refusal& refusal, bool changed);

    const Program& program_;
    Renderer render_;
    std::unique_ptr<SoftTextEditBuffer> buffer_;
};

}  // namespace bdx
