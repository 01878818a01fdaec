#include "help_controller.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "bdx_version.h"
#include "help_window.h"
#include "shell/language_table.h"
#include "shell/prompter.h"
#include "ui/main/app_context.h"
#include "ui/main/frm_main.h"
#include "ui/widgets/captions.h"
#include "whats_new_window.h"

namespace bdx {

namespace {

enum TextId {
    Version = 116,
    HelpAbout = 243,
    HelpMissing = 4212,
    AboutDescription = 8063,
};

}  // namespace

HelpController::HelpController(AppContext& context, frmMain& frame) : context_(context), frame_(frame) {
    frame_.registerCommand("mnuHelpContents", [this] { showHelp(); });
    frame_.registerCommand("mnuHelpAbout", [this] { showAbout(); });
    frame_.registerCommand("mnuHelpWhatsNew", [this] { showWhatsNew(); });
    // The CP210x driver is part of Linux: both cable commands open the page on connecting it.
    frame_.registerCommand("mnuOptionsUsbDrivers", [this] { showPage(QStringLiteral("usb_cable.html")); });
    frame_.registerCommand("mnuOptionsUsbVideo",
                           [this] { showPage(QStringLiteral("usb_cable.html"), QStringLiteral("check")); });
    connect(&frame_, &frmMain::closing, this, [this] {
        if (helpWindow_) {
            helpWindow_->close();
        }
        if (whatsNewWindow_) {
            whatsNewWindow_->close();
        }
    });
}

HelpWindow* HelpController::helpWindow() const {
    return helpWindow_.data();
}

WhatsNewWindow* HelpController::whatsNewWindow() const {
    return whatsNewWindow_.data();
}

HelpController::~HelpController() {
    delete helpWindow_.data();
    delete whatsNewWindow_.data();
}

void HelpController::showHelp() {
    showPage(QString());
}

void HelpController::showPage(const QString& page, const QString& anchor) {
    if (!HelpWindow::helpAvailable()) {
        context_.prompter().inform(LoadText(HelpMissing));
        return;
    }
    helpWindow_ = ShowHelpPage(&frame_, page, anchor);
}

void HelpController::showWhatsNew() {
    if (!whatsNewWindow_) {
        whatsNewWindow_ = new WhatsNewWindow(&frame_);
    }
    whatsNewWindow_->show();
    whatsNewWindow_->raise();
    whatsNewWindow_->activateWindow();
}

void HelpController::showAbout() {
    auto* dialog = new QDialog(&frame_);
    dialog->setObjectName(QStringLiteral("dlgAbout"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(WithoutAccelerators(LoadText(HelpAbout)));
    auto* layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(10);

    const auto addLabel = [dialog, layout](const char* name, const QString& text) {
        auto* label = new QLabel(text, dialog);
        label->setObjectName(QString::fromLatin1(name));
        layout->addWidget(label);
        return label;
    };
    QLabel* title = addLabel("lblTitle", QString::fromLatin1(kProductTitle));
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    title->setFont(titleFont);
    addLabel("lblVersion", LoadText(Version) + u' ' + QString::fromLatin1(kVersionText));
    QLabel* description = addLabel("lblDescription", LoadText(AboutDescription));
    description->setWordWrap(true);
    description->setMinimumWidth(340);
    layout->addSpacing(6);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    buttons->setObjectName(QStringLiteral("btnClose"));
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    NameForAccessibility(dialog);
    dialog->open();
}

}  // namespace bdx
