#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <memory>

#include "comm/device_utilities.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QPushButton;
class QLocale;
class QTimeEdit;

namespace bdx {

class CommLink;
class DeviceBusyBar;

// The device clock window: the device's date and time, read and set (also to the PC's clock),
// and its daylight-saving rule. The work is DeviceUtilities'; the window fills it in, runs each
// exchange behind the busy line with Stop and shows what came back.
class frmClockSettings : public QDialog {
    Q_OBJECT
  public:
    // `makeUtilities` gives the device steps of one exchange, wired to the application (settings
    // saver, communication settings, byte order, stop controls). A fresh one per exchange
    // follows a transport the user switched in between.
    using UtilitiesFactory = std::function<std::unique_ptr<DeviceUtilities>()>;
    frmClockSettings(CommLink& link, UtilitiesFactory makeUtilities, QWidget* parent = nullptr);
    ~frmClockSettings() override;

    QDateEdit* dtpDate() const { return dtpDate_; }
    QTimeEdit* dtpTime() const { return dtpTime_; }
    QPushButton* cmdReadClock() const { return cmdReadClock_; }
    QPushButton* cmdSetClock() const { return cmdSetClock_; }
    QPushButton* cmdSetSystemClock() const { return cmdSetSystemClock_; }
    QCheckBox* CheckDST() const { return CheckDST_; }
    QPushButton* CmdReadDst() const { return CmdReadDst_; }
    QPushButton* CmdSetDst() const { return CmdSetDst_; }
    QPushButton* cmdClose() const { return cmdClose_; }
    DeviceBusyBar* busyBar() const { return busy_; }

    // The rule as the fields show it, and the fields from a rule.
    DstRule dstRule() const;
    void showDstRule(const DstRule& rule);

    void cmdReadClock_Click();
    void cmdSetClock_Click();
    void cmdSetSystemClock_Click();
    void CmdReadDst_Click();
    void CmdSetDst_Click();

  public Q_SLOTS:
    // Refused while an exchange runs: Stop ends it first.
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // The start and end of the rule: week, weekday, month, hour, minute.
    struct DstPoint {
        QComboBox* week;
        QComboBox* weekday;
        QComboBox* month;
        QComboBox* hour;
        QComboBox* minute;
    };
    void buildLayout();
    DstPoint dstPoint(const char* prefix);
    void updateDstFields();
    bool run(int statusTextId, const std::function<bool(DeviceUtilities&)>& action);

    CommLink& link_;
    UtilitiesFactory makeUtilities_;
    QDateEdit* dtpDate_ = nullptr;
    QTimeEdit* dtpTime_ = nullptr;
    QPushButton* cmdReadClock_ = nullptr;
    QPushButton* cmdSetClock_ = nullptr;
    QPushButton* cmdSetSystemClock_ = nullptr;
    QCheckBox* CheckDST_ = nullptr;
    DstPoint start_{};
    DstPoint end_{};
    QComboBox* cmbDSTOffHr_ = nullptr;
    QComboBox* cmbDSTOffMin_ = nullptr;
    QPushButton* CmdReadDst_ = nullptr;
    QPushButton* CmdSetDst_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
    DeviceBusyBar* busy_ = nullptr;
};

// The user's short date format with a four-digit year (the device keeps 2000..2099), and the
// long time format without a time-zone name, which the device does not have.
QString ClockDateFormat(const QLocale& locale);
QString ClockTimeFormat(const QLocale& locale);

}  // namespace bdx
