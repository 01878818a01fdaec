#pragma once

#include <QString>
#include <QWidget>

class QPushButton;
class QTextBrowser;

namespace bdx {

// The release notes: the project's NEWS, built into the application, in the language of the
// user interface where a translation exists.
class WhatsNewWindow : public QWidget {
    Q_OBJECT
  public:
    explicit WhatsNewWindow(QWidget* parent = nullptr);

    // The notes for a language offset (Markdown); the English ones when that language has none.
    static QString newsText(int languageOffset);

    QTextBrowser* browser() const { return txtNews_; }

  protected:
    // Esc closes the window, as it does a dialog.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QTextBrowser* txtNews_;
    QPushButton* cmdClose_;
};

}  // namespace bdx
