#include "scripted_prompter.h"

namespace bdx {

Reply ScriptedPrompter::show(const Message& message) {
    messages_.push_back(message);
    if (message.buttons.size() <= 1) {
        return message.buttons.empty() ? Reply::Ok : message.buttons.front();
    }
    if (replies_.empty()) {
        ++unanswered_;
        return message.buttons.back();
    }
    const Reply reply = replies_.front();
    replies_.pop_front();
    return reply;
}

QString ScriptedPrompter::chooseOpenFile(const FileChoice& choice) {
    fileRequests_.push_back(choice);
    if (files_.empty()) {
        ++unanswered_;
        return QString();
    }
    QString path = files_.front();
    files_.pop_front();
    return path;
}

QString ScriptedPrompter::chooseSaveFile(const FileChoice& choice) {
    return chooseOpenFile(choice);
}

std::optional<QString> ScriptedPrompter::askPassword(const QString& prompt) {
    messages_.push_back({MessageIcon::Question, prompt, {Reply::Ok, Reply::Cancel}});
    if (passwords_.empty()) {
        ++unanswered_;
        return std::nullopt;
    }
    const QueuedPassword password = passwords_.front();
    passwords_.pop_front();
    if (!password.given) {
        return std::nullopt;
    }
    return password.text;
}

QStringList ScriptedPrompter::texts() const {
    QStringList list;
    for (const Message& m : messages_) {
        list << m.text;
    }
    return list;
}

void ScriptedPrompter::clear() {
    replies_.clear();
    files_.clear();
    passwords_.clear();
    messages_.clear();
    fileRequests_.clear();
    unanswered_ = 0;
}

}  // namespace bdx
