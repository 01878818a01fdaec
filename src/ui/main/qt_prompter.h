#pragma once

#include <QFileDialog>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "shell/prompter.h"

namespace bdx {

// The file dialog for a choice. It opens in the choice's folder, else in `startFolder`, else in
// the user's documents folder (the home folder when there is none), and is big enough for its columns to be
// read.
std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent, const FileChoice& choice,
                                            QFileDialog::AcceptMode mode, const QString& startFolder);

// Message boxes and file dialogs for the real application.
class QtPrompter : public Prompter {
  public:
    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    // The folder the file dialogs open in when the core names none: the open program's.
    void setStartFolder(std::function<QString()> folder) { startFolder_ = std::move(folder); }

    Reply show(const Message& message) override;
    QString chooseOpenFile(const FileChoice& choice) override;
    QString chooseSaveFile(const FileChoice& choice) override;
    std::optional<QString> askPassword(const QString& prompt) override;

  private:
    QString runFileDialog(const FileChoice& choice, QFileDialog::AcceptMode mode);

    QPointer<QWidget> parent_;
    std::function<QString()> startFolder_;
};

}  // namespace bdx
