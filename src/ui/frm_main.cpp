#include "frm_main.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>

#include "bdx_version.h"
#include "blocks/device_model.h"
#include "captions.h"
#include "shell/language_table.h"
#include "shell/prompter.h"
#include "shell/window_caption.h"

namespace bdx {

namespace {

enum TextId {
    MenuFile = 101,
    FileExit = 114,
    Version = 116,
    MenuHelp = 241,
    HelpAbout = 243,
    MenuOptions = 261,
    OptionsLanguage = 262,
    LanguageEnglish = 263,
    LanguagePortuguese = 264,
    LanguagePolish = 267,
    LanguageChangeNote = 4213,
};

// The Spanish entry has no text of its own in the table.
constexpr int kSpanishMenuNoId = 0;

QAction* addMenuEntry(QMenu* menu, const char* objectName, int textId, const QString& fallback = QString()) {
    QAction* action = menu->addAction(fallback);
    action->setObjectName(QString::fromLatin1(objectName));
    if (textId > 0) {
        SetTextId(action, textId);
    }
    return action;
}

}  // namespace

frmMain::frmMain(ProgramDocument& document, AppSettings& settings, QString settingsPath, Prompter& prompter,
                 QWidget* parent)
    : QMainWindow(parent),
      document_(document),
      program_(document.program()),
      settings_(settings),
      settingsPath_(std::move(settingsPath)),
      prompter_(prompter) {
    setObjectName(QStringLiteral("frmMain"));
    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName(QStringLiteral("mdiArea"));
    setCentralWidget(mdiArea_);

    statusBar()->setObjectName(QStringLiteral("sbStatusBar"));
    sbModelPanel_ = new QLabel(this);
    sbModelPanel_->setObjectName(QStringLiteral("sbStatusBarModel"));
    statusBar()->addPermanentWidget(sbModelPanel_);

    buildMenus();
    resize(1000, 700);
    updateCaption();
    UpdateModelDisplay();
}

void frmMain::buildMenus() {
    QMenu* file = menuBar()->addMenu(QString());
    file->setObjectName(QStringLiteral("mnuFile"));
    SetTextId(file, MenuFile);
    QAction* exit = addMenuEntry(file, "mnuFileExit", FileExit);
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* options = menuBar()->addMenu(QString());
    options->setObjectName(QStringLiteral("mnuOptions"));
    SetTextId(options, MenuOptions);
    QMenu* language = options->addMenu(QString());
    language->setObjectName(QStringLiteral("mnuOptionsLanguage"));
    SetTextId(language, OptionsLanguage);
    auto* group = new QActionGroup(this);
    const std::array<std::pair<const char*, int>, 4> entries = {{
        {"mnuLanguageEnglish", LanguageEnglish},
        {"mnuLanguagePortuguese", LanguagePortuguese},
        {"mnuLanguagePolish", LanguagePolish},
        {"mnuLanguageSpanish", kSpanishMenuNoId},
    }};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        QAction* action = addMenuEntry(language, entries[i].first, entries[i].second,
                                       QString::fromUtf8(kLanguages[i].name));
        action->setCheckable(true);
        action->setChecked(kLanguages[i].offset == settings_.LanguageOffset);
        group->addAction(action);
        const int offset = kLanguages[i].offset;
        connect(action, &QAction::triggered, this, [this, offset] { setLanguage(offset); });
        languageActions_[i] = action;
    }

    QMenu* help = menuBar()->addMenu(QString());
    help->setObjectName(QStringLiteral("mnuHelp"));
    SetTextId(help, MenuHelp);
    QAction* about = addMenuEntry(help, "mnuHelpAbout", HelpAbout);
    connect(about, &QAction::triggered, this, [this] {
        prompter_.inform(QString::fromLatin1(kProductTitle) + QStringLiteral("\r\n") + LoadText(Version) +
                         u' ' + QString::fromLatin1(kVersionText));
    });
}

QAction* frmMain::languageAction(int offset) const {
    for (std::size_t i = 0; i < kLanguages.size(); ++i) {
        if (kLanguages[i].offset == offset) {
            return languageActions_[i];
        }
    }
    return nullptr;
}

void frmMain::updateCaption() {
    setWindowTitle(MainWindowCaption(program_.ProgramFileName, program_.ProgramFilePath));
}

void frmMain::UpdateModelDisplay() {
    if (!IsValidModel(program_.ModelIndex)) {
        return;
    }
    sbModelPanel_->setText(QString::fromLatin1(ModelDisplayName(program_.ModelIndex)));
}

void frmMain::setLanguage(int offset) {
    settings_.LanguageOffset = offset;
    for (std::size_t i = 0; i < kLanguages.size(); ++i) {
        languageActions_[i]->setChecked(kLanguages[i].offset == offset);
    }
    QString error;
    if (!WriteSettings(settingsPath_, settings_, &error)) {
        prompter_.warn(QStringLiteral("The settings could not be saved to %1: %2").arg(settingsPath_, error));
    }
    prompter_.inform(LoadText(LanguageChangeNote, offset));
}

}  // namespace bdx

namespace bdx {

void frmMain::closeEvent(QCloseEvent* event) {
    if (document_.QueryClose()) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace bdx
