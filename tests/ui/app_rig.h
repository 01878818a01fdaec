#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <deque>
#include <functional>
#include <memory>

#include "../editor/editor_fixture.h"
#include "ladder/grid.h"
#include "shell/language_table.h"
#include "shell/scripted_prompter.h"
#include "ui/main/app_context.h"
#include "ui/main/application.h"
#include "ui/main/frm_main.h"
#include "ui/sim/pc_simulation_runner.h"

namespace bdx {

// Turns the event loop until `done` holds (scans, refreshes and deferred deletes run there);
// false when it never does within `milliseconds`.
inline bool LoopUntil(const std::function<bool()>& done, int milliseconds = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return done();
}

// Pictures for the documentation, made only when BDX_SCREENSHOT_DIR names a folder (else the
// test is skipped): `take` runs once in English and once in Portuguese, with "en" or "pt" to end
// the file names with.
inline void InScreenshotLanguages(const std::function<void(const QString& language)>& take) {
    if (qEnvironmentVariable("BDX_SCREENSHOT_DIR").isEmpty()) {
        GTEST_SKIP() << "BDX_SCREENSHOT_DIR not set";
    }
    for (const auto& [offset, language] : {std::pair{English, "en"}, std::pair{Portuguese, "pt"}}) {
        SetLanguageOffset(offset);
        take(QLatin1String(language));
    }
    SetLanguageOffset(English);
}
// Shows `window` and writes it to the screenshot folder as `name`.png.
inline void Shoot(QWidget& window, const QString& name) {
    window.show();
    QTest::qWait(0);
    window.grab().save(qEnvironmentVariable("BDX_SCREENSHOT_DIR") + u'/' + name + QStringLiteral(".png"));
}

// Clicks a check box on its indicator, where a user aims.
inline void ClickCheckBox(QCheckBox* box) {
    ASSERT_NE(box, nullptr);
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, indicator.center());
}

// The whole application for a GUI test: settings, data and window settings in a temporary
// folder, a scripted prompter, and modal dialogs handed to the test in turn.
class AppRig : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override {
        // A run left going by the test ends as the user would end it, before the frame goes.
        if (app && runner().running()) {
            command("mnuSimulationStop")->trigger();
        }
        app.reset();
        SetLanguageOffset(English);
        EXPECT_TRUE(dialogs.empty()) << dialogs.size() << " expected dialog(s) never opened";
    }

    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QString settingsPath() const { return path("Config.ini"); }
    QString windowSettingsPath() const { return path("window.ini"); }

    void writeSettings(int languageOffset, int languageDlg = 1) {
        AppSettings s;
        s.LanguageOffset = languageOffset;
        s.LanguageDlg = static_cast<std::uint8_t>(languageDlg);
        ASSERT_TRUE(WriteSettings(settingsPath(), s));
    }

    StartupOptions options(const QString& programPath = QString()) {
        StartupOptions o;
        o.settingsPath = settingsPath();
        o.dataFolder = path("data");
        o.programPath = programPath;
        o.windowSettingsPath = windowSettingsPath();
        o.prompter = &prompter;
        o.dialogRunner = [this](QDialog& dialog) { return runDialog(dialog); };
        return o;
    }
    // Starts an application, which becomes the one the helpers below look at.
    Application& start(const QString& programPath = QString()) { return start(options(programPath)); }
    // Without settings of its own a test runs in English, without the language dialog.
    Application& start(const StartupOptions& o) {
        if (!QFile::exists(o.settingsPath)) {
            writeSettings(English);
        }
        app = std::make_unique<Application>(o);
        app->start();
        return *app;
    }

    // The next modal dialog must be a `Dialog`; `fill` answers it as the user would.
    template <class Dialog>
    void expectDialog(std::function<void(Dialog&)> fill) {
        dialogs.push_back([fill](QDialog& dialog) {
            auto* typed = qobject_cast<Dialog*>(&dialog);
            EXPECT_NE(typed, nullptr) << "another dialog opened: " << dialog.objectName().toStdString();
            if (typed != nullptr) {
                fill(*typed);
            }
        });
    }

    // Runs the command `name`, whose modal dialog must be a `Dialog`; `fill` answers it.
    template <class Dialog>
    void openFrom(const char* name, std::function<void(Dialog&)> fill) {
        expectDialog<Dialog>(std::move(fill));
        command(name)->trigger();
    }

    frmMain* window() const { return app->mainWindow(); }
    LadderEditor& editor() const { return app->context().editor(); }
    PcSimulationRunner& runner() const { return app->context().simulation(); }
    Program& program() const { return app->program(); }
    QAction* command(const char* name) const {
        QAction* action = window()->findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(action, nullptr) << name;
        return action;
    }
    QToolButton* button(const char* key) const {
        auto* found = window()->findChild<QToolButton*>(QStringLiteral("tb") + QString::fromLatin1(key));
        EXPECT_NE(found, nullptr) << key;
        return found;
    }
    template <class T>
    T* find(const char* name) const {
        return window()->findChild<T*>(QString::fromLatin1(name));
    }

    QTemporaryDir dir;
    ScriptedPrompter prompter;
    std::deque<std::function<void(QDialog&)>> dialogs;
    std::unique_ptr<Application> app;

  private:
    DialogResult runDialog(QDialog& dialog) {
        if (dialogs.empty()) {
            ADD_FAILURE() << "unexpected dialog " << dialog.objectName().toStdString();
            return DialogResult::Rejected;
        }
        const auto fill = std::move(dialogs.front());
        dialogs.pop_front();
        dialog.show();
        fill(dialog);
        const bool accepted = dialog.result() == QDialog::Accepted;
        dialog.hide();
        return accepted ? DialogResult::Accepted : DialogResult::Rejected;
    }
};

}  // namespace bdx
