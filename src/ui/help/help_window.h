#pragma once

#include <QStringList>
#include <QWidget>

class QListWidget;
class QTextBrowser;
class QToolButton;

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
    // A page's title from its <title> element; the file name when it has none.
    static QString pageTitle(const QString& page);

    void showPage(const QString& page);
    // File name of the page on show.
    QString currentPage() const;

    QTextBrowser* browser() const { return browser_; }
    QListWidget* contents() const { return contents_; }

  protected:
    // Esc closes the window, as it does a dialog.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // Marks the page in the contents list.
    void syncContents(const QString& page);

    QListWidget* contents_;
    QTextBrowser* browser_;
    QToolButton* back_;
    QToolButton* forward_;
    QToolButton* home_;
};

}  // namespace bdx
