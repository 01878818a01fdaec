#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTimer>

#include "app_rig.h"
#include "ui/help/help_window.h"
#include "ui/main/qt_prompter.h"

namespace bdx {
namespace {

constexpr std::array<std::pair<int, const char*>, 3> kTranslations = {
    {{Portuguese, "pt"}, {Polish, "pl"}, {Spanish, "es"}}};

QString readResource(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Page links (not the style sheet, not web addresses), in the order they appear.
QStringList pageLinks(const QString& html) {
    static const QRegularExpression href(QStringLiteral("<a [^>]*href=\"([^\"]*)\""));
    QStringList links;
    for (auto it = href.globalMatch(html); it.hasNext();) {
        const QString target = it.next().captured(1);
        if (!target.startsWith(QLatin1String("http"))) {
            links << target;
        }
    }
    return links;
}

QString sourcePath(const HelpWindow& help) {
    return help.browser()->source().path();
}

TEST(HelpLanguages, EveryPageIsTranslatedWithItsLanguageTagAndLinksThatStayInItsLanguage) {
    const QStringList english = QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")}, QDir::Files);
    ASSERT_GE(english.size(), 15);
    static const QRegularExpression langTag(QStringLiteral("<html lang=\"([a-z]+)\">"));
    static const QRegularExpression styleSheet(QStringLiteral("<link [^>]*href=\"([^\"]*)\""));

    for (const QString& page : english) {
        const QString original = readResource(QStringLiteral(":/help/") + page);
        for (const auto& [offset, code] : kTranslations) {
            const QString folder = QStringLiteral(":/help/") + QString::fromLatin1(code) + u'/';
            const std::string where = (QString::fromLatin1(code) + u'/' + page).toStdString();
            const QString html = readResource(folder + page);
            ASSERT_FALSE(html.isEmpty()) << "missing: " << where;
            EXPECT_EQ(langTag.match(html).captured(1), QString::fromLatin1(code)) << where;
            EXPECT_EQ(HelpWindow::pagePath(page, offset), folder + page);

            // The same links as the English page, each to a page of the same language.
            const QStringList links = pageLinks(html);
            EXPECT_EQ(links, pageLinks(original)) << where;
            for (const QString& link : links) {
                const QString target = link.section(u'#', 0, 0);
                EXPECT_TRUE(target.isEmpty() || QFile::exists(folder + target))
                    << where << " -> " << link.toStdString();
            }
            // The one style sheet is shared from the English folder.
            const QString css = styleSheet.match(html).captured(1);
            const QString cssPath = QUrl(QStringLiteral("qrc") + folder + page).resolved(QUrl(css)).path();
            EXPECT_TRUE(QFile::exists(QStringLiteral(":") + cssPath)) << where << " style sheet " << css.toStdString();
        }
    }
    // No translation is left without its English page either.
    for (const auto& [offset, code] : kTranslations) {
        for (const QString& page : QDir(QStringLiteral(":/help/") + QString::fromLatin1(code))
                                       .entryList({QStringLiteral("*.html")}, QDir::Files)) {
            EXPECT_TRUE(english.contains(page)) << code << '/' << page.toStdString();
        }
    }
}

TEST(HelpLanguages, AResourceMissingInALanguageComesFromTheEnglishFolder) {
    EXPECT_EQ(HelpWindow::pagePath(QStringLiteral("help.css"), Polish), QStringLiteral(":/help/help.css"));
    EXPECT_EQ(HelpWindow::pagePath(QStringLiteral("no_such_page.html"), Spanish),
              QStringLiteral(":/help/no_such_page.html"));
    EXPECT_EQ(HelpWindow::pagePath(QStringLiteral("editor.html"), English), QStringLiteral(":/help/editor.html"));
}

class HelpLanguageTest : public AppRig {};

TEST_F(HelpLanguageTest, HelpOpensInTheChosenLanguageAndItsLinksAndContentsStayThere) {
    writeSettings(Polish);
    start();
    command("mnuHelpContents")->trigger();
    auto* help = find<HelpWindow>("frmHelp");
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(sourcePath(*help), QStringLiteral("/help/pl/index.html"));
    EXPECT_EQ(help->contents()->item(0)->text(), QStringLiteral("Witamy"));
    EXPECT_EQ(help->windowTitle(), LoadText(8064, Polish));

    // A link followed, the contents list and the history all keep to the Polish pages.
    help->browser()->setSource(QUrl(QStringLiteral("editor.html")));
    EXPECT_EQ(sourcePath(*help), QStringLiteral("/help/pl/editor.html"));
    EXPECT_EQ(help->currentPage(), QStringLiteral("editor.html"));
    help->contents()->setCurrentRow(HelpWindow::pages().indexOf(QStringLiteral("transfer.html")));
    EXPECT_EQ(sourcePath(*help), QStringLiteral("/help/pl/transfer.html"));
    help->browser()->backward();
    EXPECT_EQ(sourcePath(*help), QStringLiteral("/help/pl/editor.html"));
    // An English address (an old bookmark, a link of an English page) is taken to the translation.
    help->browser()->setSource(QUrl(QStringLiteral("qrc:/help/timers.html")));
    EXPECT_EQ(sourcePath(*help), QStringLiteral("/help/pl/timers.html"));
    EXPECT_TRUE(help->browser()->toPlainText().contains(QStringLiteral("Parametry timera")));
}

TEST_F(HelpLanguageTest, AHelpButtonOpensItsTopicInTheChosenLanguage) {
    writeSettings(Portuguese);
    start();
    // The box's Help button, as the analog scaling question has it.
    QtPrompter boxes(window());
    Message message{MessageIcon::Warning, QStringLiteral("?"), {Reply::Yes, Reply::No, Reply::Help}};
    message.helpPage = QStringLiteral("analog.html");
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        box->button(QMessageBox::Help)->click();
    });
    EXPECT_EQ(boxes.show(message), Reply::Help);
    auto* help = find<HelpWindow>("frmHelp");
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(sourcePath(*help), QStringLiteral("/help/pt/analog.html"));
    EXPECT_TRUE(help->browser()->toPlainText().contains(QStringLiteral("Blocos analógicos e escala")));

    // F1 afterwards finds the same window, where the user left it.
    command("mnuHelpContents")->trigger();
    EXPECT_EQ(window()->findChildren<HelpWindow*>().size(), 1);
    EXPECT_EQ(help->currentPage(), QStringLiteral("analog.html"));
}

TEST(HelpLanguages, Screenshots) {
    if (qEnvironmentVariable("BDX_SCREENSHOT_DIR").isEmpty()) {
        GTEST_SKIP() << "BDX_SCREENSHOT_DIR not set";
    }
    for (const auto& [offset, code] : {std::pair{Portuguese, "pt"}, std::pair{Polish, "pl"}}) {
        SetLanguageOffset(offset);
        HelpWindow help;
        help.showPage(QStringLiteral("simulation.html"));
        Shoot(help, QStringLiteral("help-window-") + QString::fromLatin1(code));
    }
    SetLanguageOffset(English);
}

}  // namespace
}  // namespace bdx
