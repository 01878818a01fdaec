#pragma once

#include <array>

#include "block_dialog.h"
#include "blocks/hour_meter_record.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace bdx {

// Three option buttons choosing a resolution: 36 seconds, 6 minutes or 1 hour per count.
using ResolutionOptions = std::array<QRadioButton*, kHourMeterResolutions>;

// The hour meter dialog: preset and its resolution, lock and comment of one meter, H1..H4 chosen
// in Combo1. During a run it also shows the accumulated Operate and Maintenance Time, each in a
// resolution of the user's choice, and the live state of the meter's inputs and output.
class HourMeterFrm : public BlockDialog {
    Q_OBJECT
  public:
    // `meter` is 0-based; `run` as for BlockDialog.
    HourMeterFrm(LadderEditor& editor, Prompter& prompter, int meter, PcSimulationRunner* run = nullptr,
                 QWidget* parent = nullptr);

    int meter() const { return number(); }
    // The chosen resolution of the preset.
    int resolution() const;

    QComboBox* Combo1() const { return Combo1_; }
    const ResolutionOptions& presetResolution() const { return presetOptions_; }
    const ResolutionOptions& operateResolution() const { return operateOptions_; }
    const ResolutionOptions& maintenanceResolution() const { return maintenanceOptions_; }
    QLineEdit* Text1() const { return Text1_; }
    QLabel* lblOperateTime() const { return lblOperateTime_; }
    QLabel* lblMaintenanceTime() const { return lblMaintenanceTime_; }
    QCheckBox* chkUsed() const { return chkUsed_; }
    QLabel* lblEnable() const { return lblEnable_; }
    QLabel* lblReset() const { return lblReset_; }
    QLabel* lblResetAll() const { return lblResetAll_; }
    QLabel* lblOutput() const { return lblOutput_; }
    QRadioButton* optLocked() const { return optLocked_; }
    QRadioButton* optNotLocked() const { return optNotLocked_; }
    QLineEdit* Text2() const { return Text2_; }
    QPushButton* Command3() const { return saveButton(); }
    QPushButton* Command4() const { return closeButton(); }

  protected:
    void refreshLive() override;

  private:
    QWidget* buildPresetColumn();
    QWidget* buildStatusColumn();
    QGroupBox* makeTimeFrame(int textId, const char* name, const char* prefix, ResolutionOptions& options,
                             QLabel** value);
    void Form_Activate();
    void Combo1_Click(int index);
    void Text1_Change(const QString& typed);
    void resolutionChosen(int resolution);
    void setPresetValidator(int resolution);
    bool save() override;

    QString separator() const;

    QComboBox* Combo1_;
    ResolutionOptions presetOptions_{};
    ResolutionOptions operateOptions_{};
    ResolutionOptions maintenanceOptions_{};
    QLineEdit* Text1_;
    QGroupBox* fraOperateTime_;
    QGroupBox* fraMaintenanceTime_;
    QLabel* lblOperateTime_;
    QLabel* lblMaintenanceTime_;
    QCheckBox* chkUsed_;
    QCheckBox* chkEnable_;
    QCheckBox* chkReset_;
    QCheckBox* chkResetAll_;
    QGroupBox* fraCurrentStatus_;
    QLabel* lblEnable_;
    QLabel* lblReset_;
    QLabel* lblResetAll_;
    QLabel* lblOutput_;
    QRadioButton* optLocked_;
    QRadioButton* optNotLocked_;
    QLineEdit* Text2_;
    // The resolution the preset text is written in.
    int shownResolution_ = Resolution36Sec;
};

}  // namespace bdx
