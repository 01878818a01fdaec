#include "ladder_view.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QToolTip>
#include <QUrl>
#include <QWheelEvent>

#include "ladder/grid.h"
#include "shell/language_table.h"
#include "shell/prompter.h"
#include "sim/scan_engine.h"
#include "ui/ladder/frm_all_comments.h"
#include "ui/ladder/operand_drag.h"

namespace bdx {

namespace {

// Own texts of the contact menu; the line commands come from the coil menu's fixed texts.
constexpr int kTextNormallyOpen = 8020;
constexpr int kTextNormallyClosed = 8021;
constexpr int kTextDeleteContact = 8022;
constexpr int kTextWrongDropFile = 4302;
constexpr int kTextErrorCaption = 8643;  // "Error"
constexpr int kTextComments = 4152;
constexpr int kScreenRateMs = 33;

enum class CursorGlyph { Contact, Coil };

// An arrow with a small contact or coil symbol beside it, drawn for the screen's pixel ratio.
QCursor ArrowWithGlyph(CursorGlyph glyph) {
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(32, 32) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath arrow;
    arrow.moveTo(1, 1);
    arrow.lineTo(1, 17);
    arrow.lineTo(5, 13.5);
    arrow.lineTo(8, 20);
    arrow.lineTo(10.5, 19);
    arrow.lineTo(7.5, 12.5);
    arrow.lineTo(12.5, 12.5);
    arrow.closeSubpath();
    p.setPen(QPen(Qt::white, 1.2));
    p.setBrush(Qt::black);
    p.drawPath(arrow);
    // The symbol on a white plate so it reads on any background.
    const QRectF plate(13, 18, 18, 11);
    p.setPen(QPen(QColor(0x3a, 0x45, 0x55), 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(plate, 2, 2);
    QPen ink(Qt::black, 1.2);
    ink.setCapStyle(Qt::FlatCap);
    p.setPen(ink);
    p.setBrush(Qt::NoBrush);
    const double y = plate.center().y();
    p.drawLine(QPointF(plate.left() + 1.5, y), QPointF(plate.left() + 6, y));
    p.drawLine(QPointF(plate.right() - 6, y), QPointF(plate.right() - 1.5, y));
    if (glyph == CursorGlyph::Contact) {
        p.drawLine(QPointF(plate.left() + 6.5, plate.top() + 2.5),
                   QPointF(plate.left() + 6.5, plate.bottom() - 2.5));
        p.drawLine(QPointF(plate.right() - 6.5, plate.top() + 2.5),
                   QPointF(plate.right() - 6.5, plate.bottom() - 2.5));
    } else {
        const QRectF circle(plate.center().x() - 3.5, y - 3.5, 7, 7);
        p.drawArc(circle, 100 * 16, 160 * 16);
        p.drawArc(circle, -80 * 16, 160 * 16);
    }
    p.end();
    return QCursor(pixmap, 1, 1);
}

QCursor CursorFor(PointerShape shape) {
    switch (shape) {
        case PointerShape::ArrowContact: {
            static const QCursor cursor = ArrowWithGlyph(CursorGlyph::Contact);
            return cursor;
        }
        case PointerShape::ArrowCoil: {
            static const QCursor cursor = ArrowWithGlyph(CursorGlyph::Coil);
            return cursor;
        }
        case PointerShape::HorizontalLine:
            return QCursor(Qt::SizeHorCursor);
        case PointerShape::VerticalLine:
            return QCursor(Qt::SizeVerCursor);
        case PointerShape::NotAllowed:
            return QCursor(Qt::ForbiddenCursor);
        case PointerShape::Properties:
            return QCursor(Qt::PointingHandCursor);
        case PointerShape::Arrow:
            break;
    }
    return QCursor(Qt::ArrowCursor);
}

bool IsProgramFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("h53") || suffix == QLatin1String("m53") || suffix == QLatin1String("t53");
}

// The caption of a coil menu entry of a given kind, in the language in force.
QString CommandCaption(CoilMenuEntry::Kind kind) {
    for (const CoilMenuEntry& entry : CoilMenuEntries('T', CurrentLanguageOffset())) {
        if (entry.kind == kind) {
            return entry.caption;
        }
    }
    return QString();
}

bool IsRetentive(std::uint16_t function) {
    return function == CoilImpulseRetentive || function == CoilSetRetentive || function == CoilResetRetentive;
}

}  // namespace

LadderView::LadderView(LadderEditor& editor, Prompter& prompter, QWidget* parent)
    : QAbstractScrollArea(parent), editor_(editor), prompter_(prompter) {
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFrameShape(QFrame::NoFrame);
    verticalScrollBar()->setRange(0, kLastTopLine);
    verticalScrollBar()->setPageStep(kShownLines);
    verticalScrollBar()->setSingleStep(1);
    // Every change of the program or of the selection, whoever made it, shows at once.
    connect(&editor_, &LadderEditor::gridChanged, this, &LadderView::refresh);
    connect(&editor_, &LadderEditor::selectionChanged, this, &LadderView::refresh);
    setMinimumSize(420, 240);
    followShownLines();
    liveTimer_.setInterval(kScreenRateMs);
    connect(&liveTimer_, &QTimer::timeout, viewport(), qOverload<>(&QWidget::update));
    syncScrollBar();
    lastLineSelected_ = editor_.LineSelected();
}

LadderView::~LadderView() {
    // The entry dies with the viewport, after the view: it must not call back into it then.
    if (operandEditor_ != nullptr) {
        operandEditor_->removeEventFilter(this);
    }
}

void LadderView::setDisplayStyle(int style) {
    if (style < 0 || style > static_cast<int>(DisplayStyle::Electrical)) {
        return;
    }
    style_ = static_cast<DisplayStyle>(style);
    viewport()->update();
}

void LadderView::setLivePaused(bool paused) {
    if (engine_ != nullptr) {
        paused ? liveTimer_.stop() : liveTimer_.start();
    }
    viewport()->update();
}

void LadderView::setLiveEngine(const ScanEngine* engine) {
    engine_ = engine;
    if (engine_) {
        if (!live_) {
            live_ = std::make_unique<LivePower>();
        }
        liveTimer_.start();
    } else {
        liveTimer_.stop();
        live_.reset();
    }
    viewport()->update();
}

void LadderView::refresh() {
    syncScrollBar();
    viewport()->update();
    const bool lineSelected = editor_.LineSelected();
    if (lineSelected != lastLineSelected_) {
        lastLineSelected_ = lineSelected;
        Q_EMIT lineSelectionChanged(lineSelected);
    }
}

void LadderView::syncScrollBar() {
    if (verticalScrollBar()->value() == editor_.TopLine()) {
        return;
    }
    syncingScrollBar_ = true;
    verticalScrollBar()->setValue(editor_.TopLine());
    syncingScrollBar_ = false;
}

LadderLayout LadderView::layout() const {
    return LadderLayout(viewport()->size(), zoomPercent_ / 100.0);
}

void LadderView::setZoomPercent(int percent) {
    if (percent == zoomPercent_ || percent <= 0) {
        return;
    }
    zoomPercent_ = percent;
    followShownLines();
    viewport()->update();
}

void LadderView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        wheelAngle_ = 0;
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    wheelAngle_ += event->angleDelta().y();
    const int steps = wheelAngle_ / QWheelEvent::DefaultDeltasPerStep;
    wheelAngle_ -= steps * QWheelEvent::DefaultDeltasPerStep;
    if (steps != 0) {
        Q_EMIT zoomRequested(steps);
    }
    event->accept();
}

LadderScene LadderView::scene() const {
    LadderScene scene;
    scene.program = &editor_.program();
    scene.topLine = editor_.TopLine();
    scene.selection = editor_.selection();
    scene.lineSelected = editor_.LineSelected();
    scene.rowCount = layout().paintedRows();
    if (editor_.LineSelected()) {
        scene.lineRangeFirst = editor_.FirstSelectedLine();
        scene.lineRangeLast = editor_.LastSelectedLine();
    }
    scene.focused = hasFocus();
    scene.style = style_;
    scene.live = engine_ ? live_.get() : nullptr;
    return scene;
}

QRect LadderView::positionRect(const GridPosition& position) const {
    const int row = position.line - editor_.TopLine();
    if (row < 0 || row >= editor_.ShownLines()) {
        return QRect();
    }
    return layout().cellRect(row, position).toRect();
}

QRect LadderView::lineNumberRect(int line) const {
    const int row = line - editor_.TopLine();
    if (row < 0 || row >= editor_.ShownLines()) {
        return QRect();
    }
    return layout().lineNumberRect(row).toRect();
}

QRect LadderView::labelRect(const GridPosition& position) const {
    const int row = position.line - editor_.TopLine();
    if (row < 0 || row >= editor_.ShownLines()) {
        return QRect();
    }
    return LabelRect(layout(), scene(), row, position).toRect();
}

LadderHit LadderView::hitAt(QPointF point) const {
    return HitTest(layout(), editor_.TopLine(), point);
}

bool LadderView::overLabel(const LadderHit& hit, QPointF point) const {
    if (hit.zone != LadderHit::Zone::Cell) {
        return false;
    }
    return LabelRect(layout(), scene(), hit.line - editor_.TopLine(), hit.position).contains(point);
}

void LadderView::paintEvent(QPaintEvent*) {
    if (engine_ && live_) {
        ComputeLivePower(editor_.program(), *engine_, *live_);
    }
    QPainter painter(viewport());
    PaintLadder(painter, layout(), scene());
}

void LadderView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    followShownLines();
    viewport()->update();
}

void LadderView::scrollContentsBy(int, int) {
    finishLineComment(true);  // the field would no longer sit over its line
    closeOperandEntry();
    if (!syncingScrollBar_) {
        editor_.setTopLine(verticalScrollBar()->value());
    }
    viewport()->update();
}

void LadderView::click(const LadderHit& hit) {
    switch (hit.zone) {
        case LadderHit::Zone::LineNumber:
        case LadderHit::Zone::Comment:
            editor_.selectLine(hit.line);
            break;
        case LadderHit::Zone::Cell:
            editor_.select(hit.position);
            if (hit.position.kind == SelectionKinds::Junction) {
                editor_.ToggleJunction(JunctionAreaAt(hit.relative.x(), hit.relative.y()));
            } else if (hit.position.kind == SelectionKinds::Contact && editor_.EditTool() == kWireTool) {
                editor_.WireToolClick(hit.relative.y());
            }
            break;
        case LadderHit::Zone::Outside:
            return;
    }
    refresh();
}

void LadderView::mousePressEvent(QMouseEvent* event) {
    const LadderHit hit = hitAt(event->position());
    if (extendLinesByClick(hit, event)) {
        updatePointer(event->position());
        return;
    }
    if (event->button() == Qt::LeftButton) {
        click(hit);
    } else if (event->button() == Qt::RightButton && hit.zone == LadderHit::Zone::Cell) {
        editor_.select(hit.position);
        refresh();
    } else if (event->button() == Qt::RightButton && hit.zone == LadderHit::Zone::LineNumber) {
        selectLineForMenu(hit.line);
        refresh();
    }
    updatePointer(event->position());
}

void LadderView::mouseReleaseEvent(QMouseEvent* event) {
    // Everything happens on the press; the release is ours all the same.
    event->accept();
}

void LadderView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const LadderHit hit = hitAt(event->position());
    if (hit.zone == LadderHit::Zone::Comment && hit.line >= 0) {
        editLineComment(hit.line);
        return;
    }
    if (hit.zone == LadderHit::Zone::Cell && hit.position.kind != SelectionKinds::Junction) {
        editor_.select(hit.position);
        refresh();
        if (editor_.PropertiesTarget()) {
            Q_EMIT propertiesRequested();
            return;
        }
    }
    // Anywhere else the second click of a double click is just another click: it toggles a
    // connection or a wire back, as two single clicks would.
    if (hit.zone == LadderHit::Zone::Cell &&
        (hit.position.kind == SelectionKinds::Junction || editor_.EditTool() == kWireTool)) {
        click(hit);
    }
}

void LadderView::mouseMoveEvent(QMouseEvent* event) {
    updatePointer(event->position());
}

void LadderView::updatePointer(QPointF point) {
    const LadderHit hit = hitAt(point);
    PointerShape shape = PointerShape::Arrow;
    if (hit.zone == LadderHit::Zone::Cell) {
        std::optional<JunctionArea> area;
        if (hit.position.kind == SelectionKinds::Junction) {
            area = JunctionAreaAt(hit.relative.x(), hit.relative.y());
        }
        shape = editor_.pointerOver(hit.position, area, overLabel(hit, point));
    }
    viewport()->setCursor(CursorFor(shape));
}

void LadderView::addLineCommands(QMenu& menu) {
    const bool editable = !editor_.SimulationActive();
    QAction* deleteLine = menu.addAction(CommandCaption(CoilMenuEntry::Kind::DeleteLine), this, [this] {
        editor_.DeleteLine();
        refresh();
    });
    QAction* insertLine = menu.addAction(CommandCaption(CoilMenuEntry::Kind::InsertLine), this, [this] {
        editor_.InsertLine();
        refresh();
    });
    deleteLine->setEnabled(editable);
    insertLine->setEnabled(editable);
}

std::unique_ptr<QMenu> LadderView::contextMenuFor(const GridPosition& position) {
    editor_.select(position);
    refresh();
    auto menu = std::make_unique<QMenu>(this);
    const bool editable = !editor_.SimulationActive();
    const Program& program = editor_.program();

    if (position.kind == SelectionKinds::Coil && IsCoilLetter(program.word(position.line, kCoilLetterWord))) {
        const auto letter = static_cast<char>(program.word(position.line, kCoilLetterWord));
        const std::uint16_t function = program.word(position.line, kCoilFunctionWord);
        auto* functions = new QActionGroup(menu.get());
        for (const CoilMenuEntry& entry : CoilMenuEntries(letter, CurrentLanguageOffset())) {
            QAction* action = nullptr;
            switch (entry.kind) {
                case CoilMenuEntry::Kind::Separator:
                    menu->addSeparator();
                    continue;
                case CoilMenuEntry::Kind::Function: {
                    const std::uint16_t code = entry.code;
                    action = menu->addAction(entry.caption, this, [this, code] {
                        editor_.SetCoilFunction(code);
                        refresh();
                    });
                    action->setCheckable(true);
                    action->setChecked(function == code);
                    action->setActionGroup(functions);
                    break;
                }
                case CoilMenuEntry::Kind::Retentive:
                case CoilMenuEntry::Kind::NonRetentive: {
                    const bool retentive = entry.kind == CoilMenuEntry::Kind::Retentive;
                    action = menu->addAction(entry.caption, this, [this, retentive] {
                        editor_.SetRetentive(retentive);
                        refresh();
                    });
                    action->setCheckable(true);
                    action->setChecked(IsRetentive(function) == retentive);
                    break;
                }
                case CoilMenuEntry::Kind::DeleteCoil:
                    action = menu->addAction(entry.caption, this, [this] {
                        editor_.DeleteCoil();
                        refresh();
                    });
                    break;
                case CoilMenuEntry::Kind::DeleteLine:
                    action = menu->addAction(entry.caption, this, [this] {
                        editor_.DeleteLine();
                        refresh();
                    });
                    break;
                case CoilMenuEntry::Kind::InsertLine:
                    action = menu->addAction(entry.caption, this, [this] {
                        editor_.InsertLine();
                        refresh();
                    });
                    break;
                case CoilMenuEntry::Kind::Properties:
                    // Block dialogs stay available while a simulation runs.
                    menu->addAction(entry.caption, this, [this] { Q_EMIT propertiesRequested(); });
                    continue;
            }
            action->setEnabled(editable);
        }
        return menu;
    }

    if (position.kind == SelectionKinds::Contact) {
        const std::uint16_t code = program.word(position.line, kContactWord[position.column]);
        if (IsContactCode(code)) {
            const bool closed = IsNormallyClosedCode(code);
            QAction* open = menu->addAction(LoadText(kTextNormallyOpen), this, [this] {
                editor_.MakeNormallyOpen();
                refresh();
            });
            QAction* close = menu->addAction(LoadText(kTextNormallyClosed), this, [this] {
                editor_.MakeNormallyClosed();
                refresh();
            });
            auto* polarity = new QActionGroup(menu.get());
            for (QAction* action : {open, close}) {
                action->setCheckable(true);
                action->setEnabled(editable);
                action->setActionGroup(polarity);
            }
            open->setChecked(!closed);
            close->setChecked(closed);
            menu->addSeparator();
        }
        if (IsContactCode(code) || code == CellWire) {
            QAction* remove = menu->addAction(LoadText(kTextDeleteContact), this, [this] {
                editor_.DeleteElement();
                refresh();
            });
            remove->setEnabled(editable);
            menu->addSeparator();
        }
        addLineCommands(*menu);
        if (IsContactCode(code) && editor_.PropertiesTarget()) {
            menu->addSeparator();
            menu->addAction(CommandCaption(CoilMenuEntry::Kind::Properties), this,
                            [this] { Q_EMIT propertiesRequested(); });
        }
        return menu;
    }

    addLineCommands(*menu);
    return menu;
}

void LadderView::contextMenuEvent(QContextMenuEvent* event) {
    std::unique_ptr<QMenu> menu;
    QPoint at = event->globalPos();
    if (event->reason() == QContextMenuEvent::Mouse) {
        const LadderHit hit = hitAt(event->pos());
        if (hit.zone == LadderHit::Zone::Cell) {
            menu = contextMenuFor(hit.position);
        } else if (hit.zone == LadderHit::Zone::LineNumber) {
            selectLineForMenu(hit.line);
            refresh();
            menu = std::make_unique<QMenu>(this);
            addLineCommands(*menu);
        } else {
            return;
        }
    } else {
        // The menu key: the menu of the selection, beside it.
        const GridPosition position = editor_.selection();
        const QRect rect = positionRect(position);
        if (!rect.isEmpty()) {
            at = viewport()->mapToGlobal(rect.center());
        }
        if (editor_.LineSelected()) {
            menu = std::make_unique<QMenu>(this);
            addLineCommands(*menu);
        } else {
            menu = contextMenuFor(position);
        }
    }
    menu->exec(at);
}

void LadderView::keyPressEvent(QKeyEvent* event) {
    if (extendLinesByKey(event)) {
        return;
    }
    if (junctionKey(event) || typingKey(event)) {
        event->accept();
        return;
    }
    const bool control = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
        case Qt::Key_F2:
            editLineComment(editor_.selection().line);
            event->accept();
            return;
        case Qt::Key_Left:
            editor_.move(Move::Left);
            break;
        case Qt::Key_Right:
            editor_.move(Move::Right);
            break;
        case Qt::Key_Up:
            editor_.move(Move::Up);
            break;
        case Qt::Key_Down:
            editor_.move(Move::Down);
            break;
        case Qt::Key_PageUp:
            editor_.move(Move::PageUp);
            break;
        case Qt::Key_PageDown:
            editor_.move(Move::PageDown);
            break;
        case Qt::Key_Home:
            editor_.move(control ? Move::First : Move::Home);
            break;
        case Qt::Key_End:
            editor_.move(control ? Move::Last : Move::End);
            break;
        case Qt::Key_Delete:
            editor_.DeleteElement();
            break;
        case Qt::Key_Insert:
            editor_.InsertLine();
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Alt+Enter is the Properties key; should the menu's shortcut not catch it (no
            // active window), it still opens the block rather than placing an operand on it.
            if (event->modifiers() & Qt::AltModifier) {
                if (editor_.PropertiesTarget()) {
                    Q_EMIT propertiesRequested();
                }
                event->accept();
                return;
            }
            editor_.PlaceOperand();
            break;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
    }
    event->accept();
    refresh();
}

void LadderView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void LadderView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void LadderView::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* data = event->mimeData();
    if (OperandFromMimeData(data)) {
        event->acceptProposedAction();
        return;
    }
    if (data && data->hasUrls() && !data->urls().isEmpty() && data->urls().front().isLocalFile()) {
        event->acceptProposedAction();
    }
}

void LadderView::dragMoveEvent(QDragMoveEvent* event) {
    event->acceptProposedAction();
}

void LadderView::dropEvent(QDropEvent* event) {
    if (dropOperand(event)) {
        return;
    }
    const QMimeData* data = event->mimeData();
    if (!data || !data->hasUrls() || data->urls().isEmpty() || !data->urls().front().isLocalFile()) {
        return;
    }
    event->acceptProposedAction();
    const QString path = data->urls().front().toLocalFile();
    if (IsProgramFile(path)) {
        Q_EMIT fileDropped(path);
        return;
    }
    Message message;
    message.icon = MessageIcon::Critical;
    message.text = LoadText(kTextWrongDropFile);
    message.caption = LoadText(kTextErrorCaption);
    prompter_.show(message);
}

void LadderView::editLineComment(int line) {
    finishLineComment(true);
    const int row = line - editor_.TopLine();
    if (editor_.SimulationActive() || row < 0 || row >= editor_.ShownLines()) {
        return;
    }
    const QRect cell = layout().commentRect(row).toRect();
    if (cell.isEmpty()) {
        return;
    }
    commentLine_ = line;
    commentEditor_ = new QLineEdit(viewport());
    commentEditor_->setObjectName(QStringLiteral("txtLineComment"));
    commentEditor_->setAccessibleName(LoadText(kTextComments));
    commentEditor_->setText(editor_.program().LineComments[line]);
    commentEditor_->setGeometry(cell);
    commentEditor_->installEventFilter(this);
    commentEditor_->show();
    commentEditor_->selectAll();
    commentEditor_->setFocus();
}

void LadderView::finishLineComment(bool store) {
    QLineEdit* field = commentEditor_;
    if (!field) {
        return;
    }
    // Cleared first: hiding the field moves the focus, which would finish it a second time.
    commentEditor_ = nullptr;
    const int line = commentLine_;
    QString text = field->text();
    const bool hadFocus = field->hasFocus();  // not when the user moved on to another widget
    field->hide();
    field->deleteLater();
    if (hadFocus) {
        setFocus();
    }
    if (!store || text == editor_.program().LineComments[line]) {
        return;
    }
    if (!FitComment(text, QString::number(line + 1), prompter_)) {
        return;
    }
    editor_.applyEdit([line, text](Program& program) { program.LineComments[line] = text; });
    refresh();
}

bool LadderView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == operandEditor_ && operandEditor_ != nullptr) {
        return operandEntryEvent(event) || QAbstractScrollArea::eventFilter(watched, event);
    }
    // Keys are taken here so that Enter does not travel on to the ladder; Enter and a focus
    // change keep the text, Escape drops it. The field's own context menu is no focus change.
    if (watched == commentEditor_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
            finishLineComment(key != Qt::Key_Escape);
            return true;
        }
    }
    if (watched == commentEditor_ && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        finishLineComment(true);
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

QString LadderView::toolTipAt(QPointF point) const {
    const LadderHit hit = hitAt(point);
    if (hit.line < 0) {
        return QString();
    }
    const Program& program = editor_.program();
    if (hit.zone == LadderHit::Zone::LineNumber || hit.zone == LadderHit::Zone::Comment) {
        return program.LineComments[hit.line].trimmed();
    }
    if (hit.zone != LadderHit::Zone::Cell || hit.position.kind == SelectionKinds::Junction) {
        return QString();
    }
    std::uint16_t code = 0;
    std::uint16_t number = 0;
    QString function;
    if (hit.position.kind == SelectionKinds::Coil) {
        code = program.word(hit.line, kCoilLetterWord);
        number = program.word(hit.line, kCoilNumberWord);
        if (!IsCoilLetter(code)) {
            return QString();
        }
        const std::uint16_t kind = program.word(hit.line, kCoilFunctionWord);
        for (const CoilMenuEntry& entry : CoilMenuEntries(static_cast<char>(code), CurrentLanguageOffset())) {
            if (entry.kind == CoilMenuEntry::Kind::Function && entry.code == kind) {
                function = QString(entry.caption).remove(QLatin1Char('&'));
                if (IsRetentive(kind)) {
                    function += QStringLiteral(" (M)");
                }
            }
        }
    } else {
        code = program.word(hit.line, kContactWord[hit.position.column]);
        number = program.word(hit.line, kContactWord[hit.position.column] + kNumberWordOffset);
        if (!IsContactCode(code)) {
            return QString();
        }
    }
    QString text = ElementLabel(code, number);
    if (!function.isEmpty()) {
        text += QStringLiteral("  ·  ") + function;
    }
    const std::optional<Operand> kind = OperandForCode(code);
    const int index = DecodeOperandNumber(number);
    if (kind && index >= 0 && index < operandInfo(*kind).count) {
        const QString comment = program.comment(*kind, index).trimmed();
        if (!comment.isEmpty()) {
            text += QLatin1Char('\n') + comment;
        }
    }
    return text;
}

bool LadderView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = toolTipAt(help->pos());
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            const LadderHit hit = hitAt(help->pos());
            QRect area;
            const int row = hit.line - editor_.TopLine();
            if (hit.zone == LadderHit::Zone::Cell) {
                area = layout().cellRect(row, hit.position).toRect();
            } else {
                area = layout().rowRect(row).toRect();
            }
            QToolTip::showText(help->globalPos(), text, viewport(), area);
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

// ---- several lines, and the lines in view ----

void LadderView::followShownLines() {
    const int lines = layout().shownRows();
    syncingScrollBar_ = true;
    verticalScrollBar()->setRange(0, kLadderLines - lines);
    verticalScrollBar()->setPageStep(lines);
    syncingScrollBar_ = false;
    editor_.setShownLines(lines);
    syncScrollBar();
}

void LadderView::selectLineForMenu(int line) {
    // The line commands of the menu then work on all the selected lines.
    const bool inRange = editor_.LineSelected() && line >= editor_.FirstSelectedLine() &&
                         line <= editor_.LastSelectedLine();
    if (!inRange) {
        editor_.selectLine(line);
    }
}

bool LadderView::extendLinesByClick(const LadderHit& hit, QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !(event->modifiers() & Qt::ShiftModifier) ||
        hit.zone != LadderHit::Zone::LineNumber) {
        return false;
    }
    editor_.extendLineSelection(hit.line);
    refresh();
    return true;
}

bool LadderView::extendLinesByKey(QKeyEvent* event) {
    if (!editor_.LineSelected() || (event->modifiers() & ~Qt::KeypadModifier) != Qt::ShiftModifier) {
        return false;
    }
    const int line = editor_.selection().line;
    int target = line;
    switch (event->key()) {
        case Qt::Key_Up:
            target = line - 1;
            break;
        case Qt::Key_Down:
            target = line + 1;
            break;
        case Qt::Key_PageUp:
            target = line - editor_.ShownLines();
            break;
        case Qt::Key_PageDown:
            target = line + editor_.ShownLines();
            break;
        default:
            return false;
    }
    editor_.extendLineSelection(std::clamp(target, 0, kLadderLines - 1));
    event->accept();
    refresh();
    return true;
}

}  // namespace bdx
