#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTabBar>
#include <QTextDocument>

#include "block_dialog_rig.h"
#include "blocks/analog_record.h"
#include "blocks/soft_text_record.h"
#include "blocks/time_switch_record.h"
#include "print/comment_listing.h"
#include "print/parameter_listing.h"
#include "ui/blocks/block_dialog.h"

namespace bdx {
namespace {

// Texts shown in Portuguese must come from the language table. A shown text is at fault when it
// is the English text of an id whose Portuguese differs, or holds a word that only the English
// column uses ("the", "port", "value" ...): an English literal nobody routed through the table.
class EnglishLiteralFinder {
  public:
    EnglishLiteralFinder() {
        const LanguageTable& table = LanguageTable::builtIn();
        QSet<QString> portugueseWords;
        for (const int id : table.ids()) {
            if (!IsEnglishTextId(id)) {
                continue;
            }
            const QString english = table.text(id);
            const QString portuguese = table.text(id + Portuguese);
            words(portuguese, &portugueseWords);
            words(english, &englishWords_);
            if (!portuguese.isEmpty() && normalized(portuguese) != normalized(english)) {
                englishTexts_.insert(normalized(english));
            }
        }
        englishWords_.subtract(portugueseWords);
    }

    // Why `text` is English, or empty.
    QString fault(const QString& text) const {
        const QString plain = normalized(text);
        // The parity as the serial line names it: stored so and read back by its first letter.
        if (plain.isEmpty() || plain == QLatin1String("NONE")) {
            return QString();
        }
        if (englishTexts_.contains(plain)) {
            return QStringLiteral("English text of the table");
        }
        QSet<QString> shown;
        words(plain, &shown);
        for (const QString& word : shown) {
            if (englishWords_.contains(word)) {
                return QStringLiteral("English word \"%1\"").arg(word);
            }
        }
        return QString();
    }

    // Every text a window shows: titles, captions, tooltips, menu entries, tabs, list entries and
    // column headers, of the window and of every control in it, hidden ones included.
    void walk(QWidget* window, const QString& where) {
        QList<QWidget*> widgets = window->findChildren<QWidget*>();
        widgets.prepend(window);
        for (QWidget* w : widgets) {
            const QString name =
                where + u'/' + w->objectName() + u'(' + QLatin1String(w->metaObject()->className()) + u')';
            check(name + QStringLiteral(" title"), w->windowTitle());
            check(name + QStringLiteral(" tooltip"), w->toolTip());
            check(name + QStringLiteral(" accessible name"), w->accessibleName());
            if (auto* label = qobject_cast<QLabel*>(w)) {
                check(name, label->text());
            } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
                check(name, button->text());
            } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
                check(name, group->title());
            } else if (auto* text = qobject_cast<QPlainTextEdit*>(w)) {
                check(name, text->toPlainText());
            } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
                check(name + QStringLiteral(" placeholder"), edit->placeholderText());
            } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
                for (int i = 0; i < combo->count(); ++i) {
                    check(name + QStringLiteral(" item"), combo->itemText(i));
                }
            } else if (auto* tabs = qobject_cast<QTabBar*>(w)) {
                for (int i = 0; i < tabs->count(); ++i) {
                    check(name + QStringLiteral(" tab"), tabs->tabText(i));
                    check(name + QStringLiteral(" tab tooltip"), tabs->tabToolTip(i));
                }
            } else if (auto* view = qobject_cast<QAbstractItemView*>(w);
                       view && view->model() && !skipped(view)) {
                const QAbstractItemModel* model = view->model();
                for (int c = 0; c < model->columnCount(); ++c) {
                    check(name + QStringLiteral(" header"), model->headerData(c, Qt::Horizontal).toString());
                }
                for (int r = 0; r < std::min(model->rowCount(), 300); ++r) {
                    for (int c = 0; c < model->columnCount(); ++c) {
                        check(name + QStringLiteral(" cell"), model->index(r, c).data().toString());
                        check(name + QStringLiteral(" cell tooltip"),
                              model->index(r, c).data(Qt::ToolTipRole).toString());
                    }
                }
            }
            for (QAction* action : w->actions()) {
                const QString actionName = name + u'/' + action->objectName();
                check(actionName, action->text());
                check(actionName + QStringLiteral(" tooltip"), action->toolTip());
                check(actionName + QStringLiteral(" status tip"), action->statusTip());
            }
        }
    }
    // `where` is the step, then the control's path; a text is reported at the first step it shows.
    void check(const QString& where, const QString& text) {
        const QString why = fault(text);
        const QString control = where.section(u'/', 1) + u'\n' + text;
        if (!why.isEmpty() && !faults_.contains(control)) {
            faults_.insert(control,
                           where + QStringLiteral(": \"") + text + QStringLiteral("\" (") + why + u')');
        }
    }
    QStringList faults() const {
        QStringList list = faults_.values();
        list.sort();
        return list;
    }

  private:
    // The help pages' titles come with the pages, which follow the language where a translation
    // of the pages is built in.
    static bool skipped(const QWidget* view) {
        return view->objectName() == QLatin1String("lstContents") &&
               !QFile::exists(QStringLiteral(":/help/pt/index.html"));
    }
    // Without accelerator marks, markup, the ellipsis and a caption's colon.
    static QString normalized(QString text) {
        if (Qt::mightBeRichText(text)) {
            QTextDocument document;
            document.setHtml(text);
            text = document.toPlainText();
        }
        text.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(u'&').replace(u'\x01', u'&');
        text = text.simplified();
        while (text.endsWith(u'.') || text.endsWith(u':') || text.endsWith(u'?')) {
            text.chop(1);
        }
        return text.trimmed();
    }
    // Words of two letters or more, lower case; names with digits (I1, ttyUSB0) are no words.
    static void words(const QString& text, QSet<QString>* out) {
        static const QRegularExpression word(QStringLiteral("[\\p{L}\\p{N}_']+"));
        for (auto it = word.globalMatch(text); it.hasNext();) {
            const QString w = it.next().captured().toLower();
            static const QRegularExpression digit(QStringLiteral("\\d"));
            if (w.size() >= 2 && !w.contains(digit)) {
                out->insert(w);
            }
        }
    }

    QSet<QString> englishTexts_;
    QSet<QString> englishWords_;
    QMap<QString, QString> faults_;
};

class TranslationTest : public BlockDialogRig {
  protected:
    // Every window and the prompter's messages so far.
    void walkAll(const QString& step) {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->isVisible() || top == window()) {
                finder.walk(top, step + u':' + top->objectName());
            }
        }
        for (const Message& message : prompter.messages()) {
            finder.check(step + QStringLiteral(": message"), message.text);
            finder.check(step + QStringLiteral(": message caption"), message.caption);
            finder.check(step + QStringLiteral(": message details"), message.details);
        }
        prompter.clear();
    }
    // A command that opens a modal dialog, looked at before it is closed, or a window.
    void open(const char* commandName) {
        bool modal = false;
        expectDialog<QDialog>([&](QDialog& d) {
            modal = true;
            finder.walk(&d, QLatin1String(commandName));
            walkAll(QLatin1String(commandName));
        });
        command(commandName)->trigger();
        if (!modal) {
            dialogs.clear();
        }
        walkAll(QLatin1String(commandName));
    }

    EnglishLiteralFinder finder;
};

TEST_F(TranslationTest, NoEnglishLiteralInThePortugueseUserInterface) {
    writeSettings(Portuguese);
    start();
    load(AllBlocksDrawing());
    walkAll(QStringLiteral("main window"));

    for (const char* name :
         {"mnuHelpContents", "mnuHelpAbout", "mnuHelpWhatsNew", "mnuOptionsCommPort", "mnuConfigModel",
          "mnuEditFind", "mnuFilePrintFooter", "mnuViewComments", "mnuViewCrossReference",
          "mnuTransferProgram", "mnuConfigUtilities", "mnuTransferClock"}) {
        SCOPED_TRACE(name);
        open(name);
    }
    // The block dialogs, each on its own line: contact or coil.
    const std::pair<int, bool> blocks[] = {{0, false}, {1, false}, {2, true}, {3, false},
                                           {4, true},  {5, true},  {6, false}};
    for (const auto& block : blocks) {
        openBlock<QDialog>(block.first, block.second, [&](QDialog& d) {
            finder.walk(&d, d.objectName());
            if (auto* insertData = d.findChild<QAbstractButton*>(QStringLiteral("cmdInsertData"))) {
                // The embedded data of a text message, with the words naming T1's time.
                expectDialog<QDialog>([&](QDialog& data) {
                    data.findChild<QAbstractButton*>(QStringLiteral("optTimer"))->click();
                    finder.walk(&data, data.objectName());
                });
                insertData->click();
            }
        });
    }
    // A run with the PC and its windows.
    startRun();
    for (const char* name : {"mnuViewParameters", "mnuViewTrend", "mnuViewTextDisplay", "mnuViewZKeys"}) {
        command(name)->trigger();
    }
    scan();
    walkAll(QStringLiteral("run"));
    stopRun();

    EXPECT_TRUE(finder.faults().isEmpty()) << finder.faults().size() << " English texts shown:\n"
                                           << finder.faults().join(u'\n').toStdString();
}

// Texts the core makes up on its own, away from any window: block messages, the analog scaling
// question, the embedded data's names and the printouts.
TEST_F(TranslationTest, NoEnglishLiteralInPortugueseMessagesAndPrintouts) {
    SetLanguageOffset(Portuguese);
    Ladder ladder = AllBlocksDrawing();
    Program& p = ladder.p;
    p.comment(Operand::I, 0) = QStringLiteral("Sensor");
    p.LineComments[0] = QStringLiteral("Partida");

    ScriptedPrompter messages;
    CorrectSecondsEntry(QStringLiteral("1234.5"), u'.', messages);
    // V1 and V2 scaled differently: the question whether to go on, answered No.
    WriteAnalogScaling(p, 1, {1, 0, 100});
    messages.queueReply(Reply::No);
    EXPECT_FALSE(SaveAnalog(p, 0, AnalogRecord{0, 1, 0, 5, 0, false}, QStringLiteral("5"), QString(), false,
                            messages));
    std::vector<Message> shown = messages.messages();
    ASSERT_EQ(shown.size(), 2U);
    shown.push_back(*CheckIfStartAndEndDaySelected(TimeSwitchRecord{}, true));
    for (const Message& message : shown) {
        finder.check(QStringLiteral("message"), message.text);
        finder.check(QStringLiteral("message caption"), message.caption);
    }
    EXPECT_EQ(shown[1].text.count(QStringLiteral("'V1'")) + shown[1].text.count(QStringLiteral("'V2'")), 2)
        << shown[1].text.toStdString();
    for (int source : {EmbeddedSource::Timer, EmbeddedSource::Counter, EmbeddedSource::HourMeter}) {
        for (int parameter : {0, 1, 2}) {
            finder.check(QStringLiteral("embedded data"),
                         EmbeddedFieldDescription(p, EmbeddedField{0, source, 1, parameter}));
        }
    }
    int lines = 0;
    for (const PrintPages& pages : {CommentListing(p), ParameterListing(p)}) {
        for (const QStringList& page : pages) {
            for (const QString& line : page) {
                finder.check(QStringLiteral("printout"), line);
                ++lines;
            }
        }
    }
    EXPECT_GT(lines, 30);
    SetLanguageOffset(English);
    EXPECT_TRUE(finder.faults().isEmpty()) << finder.faults().size() << " English texts:\n"
                                           << finder.faults().join(u'\n').toStdString();
}

}  // namespace
}  // namespace bdx
