#pragma once

#include <QPointer>
#include <QWidget>

#include "shell/prompter.h"

namespace bdx {

// Message boxes and file dialogs for the real application.
class QtPrompter : public Prompter {
  public:
    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    Reply show(const Message& message) override;
    QString chooseOpenFile(const FileChoice& choice) override;
    QString chooseSaveFile(const FileChoice& choice) override;
    std::optional<QString> askPassword(const QString& prompt) override;

  private:
    QPointer<QWidget> parent_;
};

}  // namespace bdx
