#include "whats_new_window.h"

#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "shell/language_table.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    WhatsNewTitle = 138,
    CloseCaption = 4086,
};

// NEWS beside its translations NEWS.pt, NEWS.pl, NEWS.es.
QString newsResource(int languageOffset) {
    const QString english = QStringLiteral(":/news/NEWS");
    return languageOffset == English ? english
                                     : english + u'.' + QLatin1String(LanguageCode(languageOffset));
}

QString readText(const QString& resource) {
    QFile file(resource);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

QString WhatsNewWindow::newsText(int languageOffset) {
    const QString translated = readText(newsResource(languageOffset));
    return translated.isEmpty() ? readText(newsResource(English)) : translated;
}

WhatsNewWindow::WhatsNewWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmWhatsNew"));
    setWindowTitle(LoadText(WhatsNewTitle));
    resize(720, 620);

    txtNews_ = new QTextBrowser(this);
    txtNews_->setObjectName(QStringLiteral("txtNews"));
    txtNews_->setFrameShape(QFrame::NoFrame);
    txtNews_->setOpenExternalLinks(true);
    txtNews_->document()->setDocumentMargin(20);
    txtNews_->setMarkdown(newsText(CurrentLanguageOffset()));

    cmdClose_ = CommandButton(this, "cmdClose", CloseCaption);
    connect(cmdClose_, &QPushButton::clicked, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(10, 6, 10, 10);
    buttons->addStretch();
    buttons->addWidget(cmdClose_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(txtNews_, 1);
    layout->addLayout(buttons);
    ApplyCaptions(this);
}

void WhatsNewWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace bdx
