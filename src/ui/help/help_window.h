#pragma once

#include <QStringList>
#include <QWidget>

class QListWidget;
class QTextBrowser;
class QToolButton;
class QUrl;

namespace bdx {

// The help pages, built into the application, in a browser with their table of contents.
class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // The pages in contents order, as file names under the help resource ("index.html", ...).
    static const QStringList& pages();
    // The contents page is in place; when it is not, there is no help to show.
    static bool helpAvailable();
    // The resource a page is read from: the page in the language in force when it is translated
    // (":/help/pt/editor.html"), the English page otherwise.
    static QString pagePath(const QString& page, int languageOffset);
    static QString pagePath(const QString& page);
    // A page's title from its <title> element, in the language in force; the file name when it
    // has none.
    static QString pageTitle(const QString& page);

    // Shows a page by file name, optionally at an anchor, in the language in force.
    void showPage(const QString& page, const QString& anchor = QString());
    // File name of the page on show.
    QString currentPage() const;

    QTextBrowser* browser() const { return browser_; }
    QListWidget* contents() const { return contents_; }

  protected:
    // Esc closes the window, as it does a dialog.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // Every page shown, from the contents or by a link, is looked up by file name in the language
    // in force, so a translated page never leads into English while a translation exists.
    QUrl resolvedUrl(const QUrl& url) const;
    // Marks the page in the contents list.
    void syncContents(const QString& page);

    QListWidget* contents_;
    QTextBrowser* browser_;
    QToolButton* back_;
    QToolButton* forward_;
    QToolButton* home_;
};

// Opens the help window of `frame` (the main window; made on first use) at `page` in the language
// in force, for a Help button or F1. Returns the window.
HelpWindow* ShowHelpPage(QWidget* frame, const QString& page, const QString& anchor = QString());

}  // namespace bdx
