#include "frm_all_comments.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTabBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "editor/ladder_editor.h"
#include "ladder/cp1252.h"
#include "shell/language_table.h"
#include "ui/main/qt_prompter.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    CommentsTitle = 4152,
    UnsupportedCharacters = 8080,
    CommentsShortened = 8081,
    OkCaption = 8082,
    CancelCaption = 8083,
    ApplyCaption = 8084,
};

struct CommentGroup {
    int textId;
    char letter;  // fills the "%1" of the input and output captions
    Operand kind;
};

enum GroupTextId {
    InputGroup = 8209,   // "Input %1"
    OutputGroup = 8210,  // "Output %1"
    TimersGroup = 8026,
    CountersGroup = 8027,
    CompareGroup = 8211,  // the established caption, misspelling included, in English
    AuxiliaryGroup = 8212,
    AnalogGroup = 8029,
    TimeSwitchGroup = 8320,
    ZKeysGroup = 8031,
    SoftTextGroup = 8213,
    HourMeterGroup = 8033,
};

// The tabs in the order users know them, with their established English captions.
constexpr std::array<CommentGroup, kOperandKinds> kGroups = {{
    {InputGroup, 'I', Operand::I},
    {InputGroup, 'J', Operand::J},
    {InputGroup, 'K', Operand::K},
    {InputGroup, 'L', Operand::L},
    {OutputGroup, 'Q', Operand::Q},
    {OutputGroup, 'U', Operand::U},
    {OutputGroup, 'V', Operand::V},
    {OutputGroup, 'W', Operand::W},
    {TimersGroup, 0, Operand::T},
    {CountersGroup, 0, Operand::C},
    {CompareGroup, 0, Operand::P},
    {AuxiliaryGroup, 0, Operand::M},
    {AnalogGroup, 0, Operand::A},
    {TimeSwitchGroup, 0, Operand::Clock},
    {ZKeysGroup, 0, Operand::Z},
    {SoftTextGroup, 0, Operand::X},
    {HourMeterGroup, 0, Operand::H},
}};

constexpr int kGroupCount = static_cast<int>(kGroups.size());

QString rowLabel(Operand kind, int index) {
    const OperandInfo& info = operandInfo(kind);
    const QString prefix = info.letter != 0 ? QString(QLatin1Char(info.letter)) : QStringLiteral("RTC");
    return prefix + u' ' + QString::number(index + 1);
}

// The operand and number of a flat comment index.
QString labelOfComment(int commentIndex) {
    for (const OperandInfo& info : kOperandTable) {
        if (commentIndex >= info.commentIndex && commentIndex < info.commentIndex + info.count) {
            return rowLabel(info.kind, commentIndex - info.commentIndex);
        }
    }
    return QString();
}

bool fitsCodePage(QChar c) {
    return c == u'?' || ToCp1252(QStringView(&c, 1)) != "?";
}

bool fitsCodePage(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return fitsCodePage(c); });
}

QString withoutUnsupported(const QString& text) {
    QString kept;
    for (QChar c : text) {
        if (fitsCodePage(c)) {
            kept += c;
        }
    }
    return kept;
}

// A comment is one line of the program file.
QString singleLine(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(u'\r', u' ').replace(u'\n', u' ');
    return text;
}

}  // namespace

bool FitComment(QString& text, const QString& label, Prompter& prompter) {
    if (!fitsCodePage(text)) {
        if (!prompter.askYesNo(LoadText(UnsupportedCharacters), MessageIcon::Information)) {
            return false;
        }
        text = withoutUnsupported(text);
    }
    if (text.size() > kMaxOperandCommentLength) {
        text.truncate(kMaxOperandCommentLength);
        prompter.inform(LoadText(CommentsShortened).arg(kMaxOperandCommentLength) + label);
    }
    return true;
}

frmAllComments::frmAllComments(LadderEditor& editor, QWidget* parent)
    : QDialog(parent),
      editor_(editor),
      ownPrompter_(std::make_unique<QtPrompter>(this)),
      prompter_(*ownPrompter_) {
    build();
}

frmAllComments::frmAllComments(LadderEditor& editor, Prompter& prompter, QWidget* parent)
    : QDialog(parent), editor_(editor), prompter_(prompter) {
    build();
}

frmAllComments::~frmAllComments() = default;

void frmAllComments::build() {
    setObjectName(QStringLiteral("frmAllComments"));
    SetTextId(this, CommentsTitle);
    setModal(true);

    const Program& program = editor_.program();
    for (const OperandInfo& info : kOperandTable) {
        for (int i = 0; i < info.count; ++i) {
            comments_[info.commentIndex + i] = program.comment(info.kind, i);
        }
    }

    tabComments_ = new QTabBar(this);
    tabComments_->setObjectName(QStringLiteral("tabComments"));
    tabComments_->setUsesScrollButtons(true);
    tabComments_->setExpanding(false);
    tabComments_->setDrawBase(false);
    for (const CommentGroup& group : kGroups) {
        const QString caption = LoadText(group.textId);
        tabComments_->addTab(group.letter != 0 ? caption.arg(QLatin1Char(group.letter)) : caption);
    }

    grdComment_ = new QTableWidget(0, 2, this);
    grdComment_->setObjectName(QStringLiteral("grdComment"));
    grdComment_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdComment_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdComment_->setSelectionMode(QAbstractItemView::SingleSelection);
    grdComment_->setAlternatingRowColors(true);
    grdComment_->setWordWrap(false);
    grdComment_->verticalHeader()->hide();
    grdComment_->horizontalHeader()->hide();
    grdComment_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
    grdComment_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    grdComment_->setColumnWidth(0,
                                grdComment_->fontMetrics().horizontalAdvance(QStringLiteral("RTC 16")) + 24);
    grdComment_->verticalHeader()->setDefaultSectionSize(grdComment_->fontMetrics().height() + 8);

    txtComment_ = new QLineEdit(this);
    txtComment_->setObjectName(QStringLiteral("txtComment"));
    txtComment_->installEventFilter(this);
    auto* commentLabel = new QLabel(this);
    SetTextId(commentLabel, CommentsTitle);
    commentLabel->setBuddy(txtComment_);

    OKButton_ = new QPushButton(this);
    OKButton_->setObjectName(QStringLiteral("OKButton"));
    SetTextId(OKButton_, OkCaption);
    OKButton_->setDefault(true);
    ApplyButton_ = new QPushButton(this);
    ApplyButton_->setObjectName(QStringLiteral("ApplyButton"));
    SetTextId(ApplyButton_, ApplyCaption);
    ApplyButton_->setAutoDefault(false);
    CancelButton_ = new QPushButton(this);
    CancelButton_->setObjectName(QStringLiteral("CancelButton"));
    SetTextId(CancelButton_, CancelCaption);
    CancelButton_->setAutoDefault(false);

    auto* editRow = new QHBoxLayout;
    editRow->addWidget(commentLabel);
    editRow->addWidget(txtComment_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton_);
    buttons->addWidget(ApplyButton_);
    buttons->addWidget(CancelButton_);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(6);
    layout->addWidget(tabComments_);
    layout->addWidget(grdComment_, 1);
    layout->addLayout(editRow);
    layout->addSpacing(4);
    layout->addLayout(buttons);

    connect(tabComments_, &QTabBar::currentChanged, this, &frmAllComments::showGroup);
    connect(grdComment_, &QTableWidget::itemSelectionChanged, this, &frmAllComments::rowChanged);
    connect(txtComment_, &QLineEdit::textEdited, this, &frmAllComments::commentEdited);
    connect(OKButton_, &QPushButton::clicked, this, &frmAllComments::OKButton_Click);
    connect(ApplyButton_, &QPushButton::clicked, this, &frmAllComments::apply);
    connect(CancelButton_, &QPushButton::clicked, this, &QDialog::reject);

    ApplyCaptions(this);
    resize(760, 520);
    showGroup(0);
    txtComment_->setFocus();
}

void frmAllComments::showGroup(int tab) {
    if (tab < 0 || tab >= kGroupCount) {
        return;
    }
    const Operand kind = kGroups[tab].kind;
    const OperandInfo& info = operandInfo(kind);
    const QSignalBlocker blocker(grdComment_);
    grdComment_->clearContents();
    grdComment_->setRowCount(info.count);
    for (int i = 0; i < info.count; ++i) {
        auto* label = new QTableWidgetItem(rowLabel(kind, i));
        label->setTextAlignment(Qt::AlignCenter);
        grdComment_->setItem(i, 0, label);
        grdComment_->setItem(i, 1, new QTableWidgetItem(comments_[info.commentIndex + i]));
    }
    grdComment_->selectRow(0);
    grdComment_->scrollToTop();
    rowChanged();
}

int frmAllComments::commentIndexOfRow(int row) const {
    const int tab = tabComments_->currentIndex();
    if (tab < 0 || tab >= kGroupCount) {
        return -1;
    }
    const OperandInfo& info = operandInfo(kGroups[tab].kind);
    return row >= 0 && row < info.count ? info.commentIndex + row : -1;
}

void frmAllComments::rowChanged() {
    const QList<QTableWidgetItem*> selected = grdComment_->selectedItems();
    const int index = selected.isEmpty() ? -1 : commentIndexOfRow(selected.first()->row());
    txtComment_->setEnabled(index >= 0);
    txtComment_->setText(index >= 0 ? comments_[index] : QString());
}

void frmAllComments::commentEdited(const QString& text) {
    const QList<QTableWidgetItem*> selected = grdComment_->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    const int row = selected.first()->row();
    const int index = commentIndexOfRow(row);
    if (index < 0) {
        return;
    }
    comments_[index] = text;
    if (QTableWidgetItem* item = grdComment_->item(row, 1)) {
        item->setText(text);
    }
}

void frmAllComments::refreshTexts() {
    for (int row = 0; row < grdComment_->rowCount(); ++row) {
        const int index = commentIndexOfRow(row);
        if (QTableWidgetItem* item = grdComment_->item(row, 1); item && index >= 0) {
            item->setText(comments_[index]);
        }
    }
    rowChanged();
}

void frmAllComments::selectComment(int commentIndex) {
    for (int tab = 0; tab < kGroupCount; ++tab) {
        const OperandInfo& info = operandInfo(kGroups[tab].kind);
        if (commentIndex >= info.commentIndex && commentIndex < info.commentIndex + info.count) {
            tabComments_->setCurrentIndex(tab);  // fills the grid when the tab changes
            grdComment_->selectRow(commentIndex - info.commentIndex);
            txtComment_->setFocus();
            return;
        }
    }
}

bool frmAllComments::eventFilter(QObject* watched, QEvent* event) {
    // Up and Down in the comment box walk through the rows, so that a whole group can be
    // commented from the keyboard.
    if (watched == txtComment_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) && key->modifiers() == Qt::NoModifier) {
            const int row = grdComment_->currentRow() + (key->key() == Qt::Key_Up ? -1 : 1);
            if (row >= 0 && row < grdComment_->rowCount()) {
                grdComment_->selectRow(row);
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool frmAllComments::apply() {
    QList<int> unsupported;
    for (int i = 0; i < kOperandCommentCount; ++i) {
        comments_[i] = singleLine(comments_[i]);
        if (!fitsCodePage(comments_[i])) {
            unsupported << i;
        }
    }
    if (!unsupported.isEmpty()) {
        if (!prompter_.askYesNo(LoadText(UnsupportedCharacters), MessageIcon::Information)) {
            selectComment(unsupported.first());
            return false;
        }
        for (int i : unsupported) {
            comments_[i] = withoutUnsupported(comments_[i]);
        }
    }

    QStringList shortened;
    for (int i = 0; i < kOperandCommentCount; ++i) {
        if (comments_[i].size() > kMaxOperandCommentLength) {
            comments_[i].truncate(kMaxOperandCommentLength);
            shortened << labelOfComment(i);
        }
    }
    refreshTexts();
    if (!shortened.isEmpty()) {
        prompter_.inform(LoadText(CommentsShortened).arg(kMaxOperandCommentLength) +
                         shortened.join(QStringLiteral(", ")));
    }

    // Comments may be edited while a simulation runs, as block parameters may.
    editor_.applyEdit(
        [this](Program& program) {
            for (const OperandInfo& info : kOperandTable) {
                for (int i = 0; i < info.count; ++i) {
                    program.comment(info.kind, i) = comments_[info.commentIndex + i];
                }
            }
        },
        EditScope::Parameters);
    return true;
}

void frmAllComments::OKButton_Click() {
    if (apply()) {
        accept();
    }
}

}  // namespace bdx
