#pragma once

#include <deque>
#include <vector>

#include "prompter.h"

namespace bdx {

// A Prompter that records every request and answers from queues. An unexpected question
// (nothing queued) is answered with its last button, the cautious choice (No, Cancel),
// and counted so that a test can fail on it.
class ScriptedPrompter : public Prompter {
  public:
    Reply show(const Message& message) override;
    QString chooseOpenFile(const FileChoice& choice) override;
    QString chooseSaveFile(const FileChoice& choice) override;
    std::optional<QString> askPassword(const QString& prompt) override;

    void queueReply(Reply reply) { replies_.push_back(reply); }
    void queueFile(const QString& path) { files_.push_back(path); }
    // A password the user types; std::nullopt stands for Cancel.
    void queuePassword(const std::optional<QString>& password) {
        passwords_.push_back({password.has_value(), password.value_or(QString())});
    }

    const std::vector<Message>& messages() const { return messages_; }
    QStringList texts() const;
    const std::vector<FileChoice>& fileRequests() const { return fileRequests_; }
    int unanswered() const { return unanswered_; }
    void clear();

  private:
    std::deque<Reply> replies_;
    std::deque<QString> files_;
    struct QueuedPassword {
        bool given;
        QString text;
    };
    std::deque<QueuedPassword> passwords_;
    std::vector<Message> messages_;
    std::vector<FileChoice> fileRequests_;
    int unanswered_ = 0;
};

}  // namespace bdx
