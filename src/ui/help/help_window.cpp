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
#include <functional>

#include "shell/language_table.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

const char* const kHelpRoot = ":/help/";
constexpr int kHelpTitleId = 8064;
constexpr int kContentsId = 242;

// Hands every page it is asked to show through the window's language lookup first: links, the
// contents and the history alike.
class HelpBrowser : public QTextBrowser {
  public:
    HelpBrowser(QWidget* parent, std::function<QUrl(const QUrl&)> resolve)
        : QTextBrowser(parent), resolve_(std::move(resolve)) {}

  protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override {
        QTextBrowser::doSetSource(resolve_(name), type);
    }

  private:
    std::function<QUrl(const QUrl&)> resolve_;
};

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

QString HelpWindow::pagePath(const QString& page, int languageOffset) {
    const QString root = QString::fromLatin1(kHelpRoot);
    if (languageOffset != English) {
        QString translated = root + QLatin1String(LanguageCode(languageOffset)) + u'/' + page;
        if (QFile::exists(translated)) {
            return translated;
        }
    }
    return root + page;
}

QString HelpWindow::pagePath(const QString& page) {
    return pagePath(page, CurrentLanguageOffset());
}

QString HelpWindow::pageTitle(const QString& page) {
    QFile file(pagePath(page));
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

    browser_ = new HelpBrowser(this, [this](const QUrl& url) { return resolvedUrl(url); });
    browser_->setObjectName(QStringLiteral("txtPage"));
    browser_->setFrameShape(QFrame::NoFrame);
    browser_->setOpenExternalLinks(true);
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

void HelpWindow::showPage(const QString& page, const QString& anchor) {
    QUrl url(QStringLiteral("qrc") + pagePath(page));
    if (!anchor.isEmpty()) {
        url.setFragment(anchor);
    }
    browser_->setSource(url);
    syncContents(page);
}

QUrl HelpWindow::resolvedUrl(const QUrl& url) const {
    QUrl absolute = url.isRelative() ? browser_->source().resolved(url) : url;
    const QString path = absolute.path();
    if (absolute.scheme() != QLatin1String("qrc") || !path.startsWith(QLatin1String("/help/")) ||
        !path.endsWith(QLatin1String(".html"))) {
        return absolute;
    }
    QUrl resolved(QStringLiteral("qrc") + pagePath(QFileInfo(path).fileName()));
    resolved.setFragment(absolute.fragment());
    return resolved;
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

HelpWindow* ShowHelpPage(QWidget* frame, const QString& page, const QString& anchor) {
    auto* window = frame->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (window == nullptr) {
        window = new HelpWindow(frame);
        NameForAccessibility(window);
    }
    if (!page.isEmpty() && (window->currentPage() != page || window->browser()->source().fragment() != anchor)) {
        window->showPage(page, anchor);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace bdx
