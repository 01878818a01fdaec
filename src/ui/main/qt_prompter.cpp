#include "qt_prompter.h"

#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTreeView>

#include "ui/comm/frm_password_dialogs.h"
#include "ui/help/help_window.h"

namespace bdx {

namespace {

QMessageBox::Icon toIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::None:
            return QMessageBox::NoIcon;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton toButton(Reply reply) {
    switch (reply) {
        case Reply::Ok:
            return QMessageBox::Ok;
        case Reply::Yes:
            return QMessageBox::Yes;
        case Reply::No:
            return QMessageBox::No;
        case Reply::Cancel:
            return QMessageBox::Cancel;
        case Reply::Help:
            return QMessageBox::Help;
    }
    return QMessageBox::Ok;
}

}  // namespace

std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent, const FileChoice& choice,
                                            QFileDialog::AcceptMode mode, const QString& startFolder) {
    QString folder = choice.directory;
    if (folder.isEmpty() || !QDir(folder).exists()) {
        folder = startFolder;
    }
    if (folder.isEmpty() || !QDir(folder).exists()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    }
    if (!QDir(folder).exists()) {
        folder = QDir::homePath();
    }
    auto dialog = std::make_unique<QFileDialog>(parent, choice.caption, folder, choice.filter);
    dialog->setObjectName(mode == QFileDialog::AcceptOpen ? QStringLiteral("dlgOpenFile")
                                                          : QStringLiteral("dlgSaveFile"));
    dialog->setAcceptMode(mode);
    dialog->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog->setDefaultSuffix(choice.defaultSuffix);
    if (!choice.suggestedName.isEmpty()) {
        dialog->selectFile(choice.suggestedName);
    }
    // Qt's own dialog opens narrow, with the name column squeezed to a few letters; a native one
    // keeps its own size.
    dialog->setViewMode(QFileDialog::Detail);
    dialog->resize(860, 520);
    if (auto* view = dialog->findChild<QTreeView*>(QStringLiteral("treeView"))) {
        view->header()->resizeSection(0, 380);
    }
    return dialog;
}

Reply QtPrompter::show(const Message& message) {
    QMessageBox box(toIcon(message.icon), message.caption, message.text, QMessageBox::NoButton, parent_);
    if (!message.details.isEmpty()) {
        box.setDetailedText(message.details);
    }
    for (Reply reply : message.buttons) {
        box.addButton(toButton(reply));
    }
    if (!message.buttons.empty()) {
        box.setDefaultButton(toButton(message.buttons.front()));
        box.setEscapeButton(toButton(message.buttons.back()));
    }
    const int pressed = box.exec();
    for (Reply reply : message.buttons) {
        if (pressed == toButton(reply)) {
            if (reply == Reply::Help && parent_) {
                ShowHelpPage(parent_->window(), message.helpPage);
            }
            return reply;
        }
    }
    return message.buttons.empty() ? Reply::Ok : message.buttons.back();
}

QString QtPrompter::runFileDialog(const FileChoice& choice, QFileDialog::AcceptMode mode) {
    const std::unique_ptr<QFileDialog> dialog =
        MakeFileDialog(parent_, choice, mode, startFolder_ ? startFolder_() : QString());
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return QString();
    }
    return dialog->selectedFiles().front();
}

QString QtPrompter::chooseOpenFile(const FileChoice& choice) {
    return runFileDialog(choice, QFileDialog::AcceptOpen);
}

QString QtPrompter::chooseSaveFile(const FileChoice& choice) {
    return runFileDialog(choice, QFileDialog::AcceptSave);
}

std::optional<QString> QtPrompter::askPassword(const QString& prompt) {
    // frmPasswordCheck itself refuses anything but four digits, with this prompter's box.
    frmPasswordCheck dialog(*this, prompt, parent_);
    if (dialog.exec() != QDialog::Accepted || dialog.cancelled()) {
        return std::nullopt;
    }
    return dialog.password();
}

}  // namespace bdx
