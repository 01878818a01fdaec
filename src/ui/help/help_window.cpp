#include "help_window.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QRegularExpression>
#include <QSplitter>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "shell/language_table.h"

namespace bdx {

namespace {

const char* const kHelpRoot = ":/help/";
constexpr int kHelpTitleId = 8064;
constexpr int kContentsId = 242;

QUrl pageUrl(const QString& page) {
    return QUrl(QStringLiteral("qrc") + QString::fromLatin1(kHelpRoot) + page);
}

}  // namespace

const QStringList& HelpWindow::pages() {
    static const QStringList list = {
        QStringLiteral("index.html"),    QStringLiteral("getting_started.html"),
        QStringLiteral("editor.html"),   QStringLiteral("blocks.html"),
        QStringLiteral("checking.html"), QStringLiteral("simulation.html"),
        QStringLiteral("transfer.html"), QStringLiteral("usb_cable.html"),
    };
    return list;
}

bool HelpWindow::helpAvailable() {
    return QFile::exists(QString::fromLatin1(kHelpRoot) + pages().front());
}

QString HelpWindow::pageTitle(const QString& page) {
    QFile file(QString::fromLatin1(kHelpRoot) + page);
    if (file.open(QIODevice::ReadOnly)) {
        static const QRegularExpression title(QStringLiteral("<title>([^<]*)</title>"),
                                              QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch match = title.match(QString::fromUtf8(file.read(4096)));
        if (match.hasMatch()) {
            return match.captured(1).trimmed();
        }
    }
    return page;
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(LoadText(kHelpTitleId));
    resize(900, 640);

    contents_ = new QListWidget(this);
    contents_->setObjectName(QStringLiteral("lstContents"));
    contents_->setFrameShape(QFrame::NoFrame);
    contents_->setSpacing(4);
    contents_->setStyleSheet(
        QStringLiteral("QListWidget { background: #eef2f6; padding: 6px; }"
                       "QListWidget::item { color: #2b3640; }"
                       "QListWidget::item:selected { background: #d5e4f6; color: #14385f; }"));
    for (const QString& page : pages()) {
        auto* item = new QListWidgetItem(pageTitle(page), contents_);
        item->setData(Qt::UserRole, page);
    }

    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("txtPage"));
    browser_->setFrameShape(QFrame::NoFrame);
    browser_->setOpenExternalLinks(true);
    browser_->setSearchPaths({QString::fromLatin1(kHelpRoot)});
    browser_->document()->setDocumentMargin(24);

    back_ = new QToolButton(this);
    back_->setObjectName(QStringLiteral("cmdBack"));
    back_->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    back_->setAutoRaise(true);
    back_->setEnabled(false);
    forward_ = new QToolButton(this);
    forward_->setObjectName(QStringLiteral("cmdForward"));
    forward_->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    forward_->setAutoRaise(true);
    forward_->setEnabled(false);
    home_ = new QToolButton(this);
    home_->setObjectName(QStringLiteral("cmdHome"));
    home_->setText(LoadText(kContentsId).remove(QLatin1Char('&')));
    home_->setAutoRaise(true);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(6, 4, 6, 4);
    buttons->addWidget(back_);
    buttons->addWidget(forward_);
    buttons->addWidget(home_);
    buttons->addStretch();

    auto* splitter = new QSplitter(this);
    splitter->addWidget(contents_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 680});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);

    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(home_, &QToolButton::clicked, this, [this] { showPage(pages().front()); });
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this,
            [this](const QUrl& url) { syncContents(QFileInfo(url.path()).fileName()); });
    connect(contents_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item && item->data(Qt::UserRole).toString() != currentPage()) {
            showPage(item->data(Qt::UserRole).toString());
        }
    });

    showPage(pages().front());
}

void HelpWindow::showPage(const QString& page) {
    browser_->setSource(pageUrl(page));
    syncContents(page);
}

QString HelpWindow::currentPage() const {
    return QFileInfo(browser_->source().path()).fileName();
}

void HelpWindow::syncContents(const QString& page) {
    for (int row = 0; row < contents_->count(); ++row) {
        if (contents_->item(row)->data(Qt::UserRole).toString() == page) {
            if (contents_->currentRow() != row) {
                contents_->setCurrentRow(row);
            }
            return;
        }
    }
}

void HelpWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace bdx
