// The ladder window's keyboard drawing: operands typed into an entry over the cell, connections
// toggled with Shift and the arrow keys, and operands dropped from the function toolbox.
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>

#include "ladder_view.h"
#include "operand_drag.h"
#include "shell/language_table.h"

namespace bdx {

namespace {

constexpr int kTextEntryHint = 8017;

bool StartsOperand(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           c == QLatin1Char('/') || c == QLatin1Char('!') || c == QChar(0x00D8) || c == QChar(0x00F8);
}

bool IsMoveKey(int key) {
    switch (key) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            return true;
        default:
            return false;
    }
}

}  // namespace

bool LadderView::junctionKey(QKeyEvent* event) {
    // Shift and an arrow toggle that side of the selected junction cell, as a click there does.
    if (event->modifiers() != Qt::ShiftModifier || editor_.LineSelected() ||
        editor_.selection().kind != SelectionKinds::Junction) {
        return false;
    }
    JunctionArea area;
    switch (event->key()) {
        case Qt::Key_Up:
            area = JunctionArea::Up;
            break;
        case Qt::Key_Down:
            area = JunctionArea::Down;
            break;
        case Qt::Key_Left:
            area = JunctionArea::Left;
            break;
        case Qt::Key_Right:
            area = JunctionArea::Right;
            break;
        default:
            return false;
    }
    editor_.ToggleJunction(area);
    refresh();
    return true;
}

bool LadderView::typingKey(QKeyEvent* event) {
    if (event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) {
        return false;
    }
    const QString text = event->text();
    if (text.size() != 1 || !StartsOperand(text.front()) || editor_.SimulationActive() || editor_.LineSelected()) {
        return false;
    }
    openOperandEntry(text);
    return true;
}

void LadderView::openOperandEntry(const QString& typed) {
    finishLineComment(true);
    closeOperandEntry();
    if (editor_.SimulationActive()) {
        return;
    }
    const GridPosition target = LadderEditor::TypedTarget(editor_.selection(), false);
    QRect cell = positionRect(target);
    if (cell.isEmpty()) {
        editor_.select(editor_.selection());  // scrolled away: bring it back first
        cell = positionRect(target);
    }
    if (cell.isEmpty()) {
        return;
    }
    operandEditor_ = new QLineEdit(viewport());
    operandEditor_->setObjectName(QStringLiteral("txtTypedOperand"));
    operandEditor_->setAccessibleName(LoadText(kTextEntryHint));
    operandEditor_->setToolTip(LoadText(kTextEntryHint));
    operandEditor_->setMaxLength(8);
    const int width = std::max(cell.width(), operandEditor_->fontMetrics().horizontalAdvance(QStringLiteral("WRTC16")) + 16);
    const int height = std::min(cell.height(), operandEditor_->sizeHint().height());
    operandEditor_->setGeometry(cell.center().x() - width / 2, cell.center().y() - height / 2, width, height);
    operandEditor_->setText(typed);
    operandEditor_->installEventFilter(this);
    connect(operandEditor_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (TypedOperandComplete(text)) {
            commitOperandEntry();
        }
    });
    operandEditor_->show();
    operandEditor_->setFocus();
    if (TypedOperandComplete(typed)) {
        commitOperandEntry();
    }
}

void LadderView::closeOperandEntry() {
    QLineEdit* field = operandEditor_;
    if (field == nullptr) {
        return;
    }
    // Cleared first: hiding the field moves the focus, which would come back here.
    operandEditor_ = nullptr;
    const bool hadFocus = field->hasFocus();
    field->hide();
    field->deleteLater();
    if (hadFocus) {
        setFocus();
    }
}

bool LadderView::commitOperandEntry() {
    if (operandEditor_ == nullptr) {
        return true;
    }
    const QString text = operandEditor_->text().trimmed();
    if (text.isEmpty()) {
        closeOperandEntry();
        return true;
    }
    const TypedPlacement placement = editor_.PlaceTyped(text);
    if (!placement.placed && !placement.refusal.isEmpty()) {
        Q_EMIT statusMessage(placement.refusal);
        operandEditor_->selectAll();
        return false;
    }
    closeOperandEntry();
    refresh();
    return placement.placed;
}

bool LadderView::operandEntryEvent(QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // Moving elsewhere in the window places what was typed; a refused text is dropped, its
        // reason shown. Another window (or the frame closing) leaves the entry as it is.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && !commitOperandEntry()) {
            closeOperandEntry();
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
        case Qt::Key_Escape:
            closeOperandEntry();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            commitOperandEntry();
            return true;
        default:
            break;
    }
    if (IsMoveKey(key->key())) {
        // The operand goes in first; the key then moves on from where placing left the selection.
        if (commitOperandEntry()) {
            QKeyEvent forwarded(QEvent::KeyPress, key->key(), key->modifiers());
            keyPressEvent(&forwarded);
        }
        return true;
    }
    const QString text = key->text();
    if (text.size() == 1 && !(key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) &&
        !TypedOperandTakes(operandEditor_->text(), text.front())) {
        // The first character of the next operand ends this one.
        if (StartsOperand(text.front()) && commitOperandEntry()) {
            openOperandEntry(text);
        }
        return true;
    }
    return false;
}

bool LadderView::dropOperand(QDropEvent* event) {
    const std::optional<DraggedOperand> operand = OperandFromMimeData(event->mimeData());
    if (!operand) {
        return false;
    }
    event->acceptProposedAction();
    const LadderHit hit = hitAt(event->position());
    if (hit.zone != LadderHit::Zone::Cell || editor_.SimulationActive()) {
        return true;
    }
    // A drop is a click on the cell and then on the toolbox entry.
    editor_.select(hit.position);
    editor_.PlaceChosen(operand->code, operand->number);
    refresh();
    setFocus();
    return true;
}

}  // namespace bdx
