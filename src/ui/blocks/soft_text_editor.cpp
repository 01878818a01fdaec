#include "soft_text_editor.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>

namespace bdx {

SoftTextEditor::SoftTextEditor(const Program& program, Renderer render, QWidget* parent)
    : SoftTextGrid(parent), program_(program), render_(std::move(render)) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    SoftTextRow blank;
    blank.fill(' ');
    setText(blank);
}

void SoftTextEditor::setText(const SoftTextRow& text) {
    buffer_ = std::make_unique<SoftTextEditBuffer>(program_, text);
    refresh(false);
}

void SoftTextEditor::refresh(bool changed) {
    setLines(render_(buffer_->text()));
    std::vector<Span> spans;
    for (const FieldSpan& span : buffer_->spans()) {
        spans.push_back({span.begin, span.end, EmbeddedFieldDescription(program_, span.field)});
    }
    setSpans(std::move(spans));
    setCursorCell(buffer_->cursor());
    if (changed) {
        Q_EMIT edited();
    }
}

void SoftTextEditor::report(const Refusal& refusal, bool changed) {
    refresh(changed && !refusal);
    if (refusal) {
        Q_EMIT refused(*refusal);
    }
}

Refusal SoftTextEditor::insertField(const EmbeddedField& field) {
    Refusal refusal = buffer_->insertField(field);
    refresh(!refusal);
    return refusal;
}

Refusal SoftTextEditor::paste(const QString& text) {
    Refusal refusal = buffer_->paste(text);
    refresh(!refusal);
    return refusal;
}

void SoftTextEditor::keyPressEvent(QKeyEvent* event) {
    SoftTextEditBuffer& b = *buffer_;
    if (event->matches(QKeySequence::Paste)) {
        report(b.paste(QGuiApplication::clipboard()->text()), true);
        return;
    }
    switch (event->key()) {
        case Qt::Key_Left:
            b.moveLeft();
            return refresh(false);
        case Qt::Key_Right:
            b.moveRight();
            return refresh(false);
        case Qt::Key_Up:
            b.moveUp();
            return refresh(false);
        case Qt::Key_Down:
            b.moveDown();
            return refresh(false);
        case Qt::Key_Home:
            b.moveHome();
            return refresh(false);
        case Qt::Key_End:
            b.moveEnd();
            return refresh(false);
        case Qt::Key_Delete:
            b.erase();
            return refresh(true);
        case Qt::Key_Backspace:
            b.backspace();
            return refresh(true);
        default:
            break;
    }
    const QString typed = event->text();
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    // Return, Escape and Tab belong to the dialog: its default button, Close and focus moves.
    if (typed.isEmpty() || command || typed == QLatin1String("\r") || typed == QLatin1String("\n") ||
        typed == QLatin1String("\x1b") || typed == QLatin1String("\t")) {
        event->ignore();
        return;
    }
    for (const QChar c : typed) {
        if (Refusal refusal = b.type(c)) {
            return report(refusal, true);
        }
    }
    refresh(true);
}

void SoftTextEditor::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    const int cell = cellAt(event->position().toPoint());
    if (cell >= 0) {
        buffer_->setCursor(cell);
        refresh(false);
    }
}

void SoftTextEditor::focusInEvent(QFocusEvent* event) {
    SoftTextGrid::focusInEvent(event);
    update();
}

void SoftTextEditor::focusOutEvent(QFocusEvent* event) {
    SoftTextGrid::focusOutEvent(event);
    update();
}

}  // namespace bdx
