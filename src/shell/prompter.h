#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace bdx {

// The product title every message box carries.
inline constexpr const char* kProductTitle = "BRANTELDESK X";

enum class MessageIcon { None, Information, Warning, Critical, Question };
enum class Reply { Ok, Yes, No, Cancel, Help };

struct Message {
    MessageIcon icon = MessageIcon::Information;
    QString text;
    std::vector<Reply> buttons{Reply::Ok};
    QString caption = QString::fromLatin1(kProductTitle);
    // More about the cause, under the text: the box's details, a line of its own on a terminal.
    QString details = QString();
    // The help page a Help button opens ("analog.html"); the contents when empty.
    QString helpPage = QString();
};

struct FileChoice {
    QString caption;
    QString filter;         // Qt filter text, e.g. "h53 (*.h53)"
    QString defaultSuffix;  // without the dot
    QString directory;
    QString suggestedName;
};

// A refusal or failure told as a value: the box that shows it. Core functions return these;
// a thin wrapper shows them.
using Refusal = std::optional<Message>;
inline Message InformationBox(QString text) { return {MessageIcon::Information, std::move(text), {Reply::Ok}}; }
inline Message WarningBox(QString text) { return {MessageIcon::Warning, std::move(text), {Reply::Ok}}; }

// Everything the core has to tell or ask the user goes through this seam: message boxes,
// file choosers and the password prompt. The GUI answers with real dialogs, tests and the
// command-line tool with a scripted implementation.
class Prompter {
  public:
    virtual ~Prompter() = default;

    virtual Reply show(const Message& message) = 0;
    // Empty when the user cancels.
    virtual QString chooseOpenFile(const FileChoice& choice) = 0;
    virtual QString chooseSaveFile(const FileChoice& choice) = 0;
    virtual std::optional<QString> askPassword(const QString& prompt) = 0;

    void inform(const QString& text) { show({MessageIcon::Information, text, {Reply::Ok}}); }
    void warn(const QString& text) { show({MessageIcon::Warning, text, {Reply::Ok}}); }
    void critical(const QString& text) { show({MessageIcon::Critical, text, {Reply::Ok}}); }
    bool askYesNo(const QString& text, MessageIcon icon = MessageIcon::Question) {
        return show({icon, text, {Reply::Yes, Reply::No}}) == Reply::Yes;
    }
    Reply askYesNoCancel(const QString& text, MessageIcon icon = MessageIcon::Question) {
        return show({icon, text, {Reply::Yes, Reply::No, Reply::Cancel}});
    }
};

// Shows a refusal, if there is one; true when there was none.
inline bool Accepted(Prompter& prompter, const Refusal& refusal) {
    if (refusal) {
        prompter.show(*refusal);
    }
    return !refusal;
}

}  // namespace bdx
