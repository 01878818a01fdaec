#pragma once

#include <QDialog>
#include <functional>

#include "ui/main/app_context.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace bdx {

class CommLink;
class DeviceBusyBar;
class DevicePasswordPanel;
class DeviceUtilities;
class Prompter;

// What the utility windows need from the application: the link, how a DeviceUtilities is
// wired to the rest of the application (settings saver, comm settings, byte order, the stop
// controls), the modal dialog seam and the program's model.
struct UtilitiesWiring {
    CommLink* link = nullptr;
    std::function<void(DeviceUtilities&)> configure;
    DialogRunner runDialog;
    int modelIndex = 0;

    Prompter& prompter() const;
    // Models with a level-2 password (and the reset-menu password).
    bool hasLevel2() const;
};

// A device window: its controls above a busy line with Stop. While an exchange runs, the
// window cannot be closed (Stop ends the exchange first).
class UtilitiesWindow : public QDialog {
    Q_OBJECT
  public:
    UtilitiesWindow(const UtilitiesWiring& wiring, const char* objectName, int titleId, QWidget* parent);

    DeviceBusyBar* busyBar() const { return busy_; }
    void reject() override;

  protected:
    DevicePasswordPanel* passwordPanel();
    // One exchange with the device under the busy line: a fresh DeviceUtilities on the link's
    // current transport, wired as the application wants.
    bool act(const QString& status, const std::function<bool(DeviceUtilities&)>& action);
    // Puts the window's own controls above the busy line and a Close button.
    void finishLayout(QLayout* controls);
    void closeEvent(QCloseEvent* event) override;

    UtilitiesWiring wiring_;

  private:
    DeviceBusyBar* busy_;
};

// Level-1 and level-2 password boxes with Change / Save / Remove. Change picks the level
// (frmPasswordSelection on models with a level-2 password) and opens that level's boxes.
class DevicePasswordPanel : public QWidget {
    Q_OBJECT
  public:
    using Act = std::function<bool(const QString& status, const std::function<bool(DeviceUtilities&)>&)>;
    DevicePasswordPanel(const UtilitiesWiring& wiring, Act act, QWidget* parent);

    void SetPasswordButton_Click();
    void OKPasswordButton_Click();
    void RemovePassswordButton_Click();

    // 0 until Change picked a level.
    int level() const { return level_; }
    void selectLevel(int level);

  private:
    struct Boxes {
        QGroupBox* group;
        QLineEdit* oldPass;
        QLineEdit* newPass;
        QLineEdit* confirmPass;
    };
    Boxes addLevel(QVBoxLayout* layout, int level);
    const Boxes& boxes(int level) const { return level == 2 ? level2_ : level1_; }
    void clearBoxes();

    UtilitiesWiring wiring_;
    Act act_;
    Boxes level1_{};
    Boxes level2_{};
    QLabel* hint_;
    QPushButton* okButton_;
    QPushButton* removeButton_;
    int level_ = 0;
};

// Small builders the utility windows share.
QLineEdit* PasswordBox(QWidget* parent, const QString& objectName);

}  // namespace bdx
