#pragma once

#include <array>

#include "block_dialog.h"
#include "blocks/time_switch_record.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace bdx {

class WeeklyGraph;

// The time switch dialog: days, ON and OFF times, lock and comment of one clock block, RTC1..RTC16
// chosen in Combo3. The model's generation decides the days: a range "Day 1" to "Day 2", or a
// set of ON days and a set of OFF days. The weekly display and the daily on time follow the
// fields as they are edited. During a run the dialog stays open after Update and shows whether
// the block is on.
class frmTimeswitchBlock : public BlockDialog {
    Q_OBJECT
  public:
    // `block` is 0-based; `run` as for BlockDialog.
    frmTimeswitchBlock(LadderEditor& editor, Prompter& prompter, int block, PcSimulationRunner* run = nullptr,
                       QWidget* parent = nullptr);

    bool advanced() const { return advanced_; }
    // The record as the fields hold it.
    TimeSwitchRecord fieldsRecord() const;

    QComboBox* Combo3() const { return Combo3_; }
    QComboBox* Combo1() const { return Combo1_; }
    QComboBox* Combo2() const { return Combo2_; }
    QGroupBox* frameOldTimeSwitch() const { return frameOld_; }
    QGroupBox* frameNewTimeSwitch() const { return frameNew_; }
    QCheckBox* chkStartDay(int day) const { return chkStartDay_[day]; }
    QCheckBox* chkSelectEndDay(int day) const { return chkSelectEndDay_[day]; }
    // Text1 ON hour, Text2 ON minute, Text3 OFF hour, Text4 OFF minute.
    QLineEdit* timeField(int index) const { return timeFields_[index]; }
    QLabel* lblDailyDuration() const { return lblDailyDuration_; }
    QLabel* lblStatus() const { return lblStatus_; }
    WeeklyGraph* picWeek() const { return picWeek_; }
    QRadioButton* optLocked() const { return optLocked_; }
    QRadioButton* optNotLocked() const { return optNotLocked_; }
    QLineEdit* Text20() const { return Text20_; }
    QPushButton* Command2() const { return saveButton(); }
    QPushButton* Command1() const { return closeButton(); }

  private:
    QGroupBox* buildDayFrameOld(QWidget* parent);
    QGroupBox* buildDayFrameNew(QWidget* parent);
    QLayout* buildTimeFields(QWidget* parent);
    QWidget* buildStatus();
    void Form_Load();
    void Combo3_Click(int index);
    // A typed value above the largest hour or minute is corrected at once.
    void timeEdited(int index);
    void fieldsChanged();
    void update_graph();
    bool save() override { return save_clock_params(); }
    bool save_clock_params();
    void refreshLive() override;

    bool advanced_;
    QComboBox* Combo3_;
    QComboBox* Combo1_ = nullptr;
    QComboBox* Combo2_ = nullptr;
    QGroupBox* frameOld_;
    QGroupBox* frameNew_;
    std::array<QCheckBox*, kDaysPerWeek> chkStartDay_{};
    std::array<QCheckBox*, kDaysPerWeek> chkSelectEndDay_{};
    std::array<QLineEdit*, 4> timeFields_{};
    QLabel* lblDailyDuration_;
    WeeklyGraph* picWeek_;
    QRadioButton* optLocked_;
    QRadioButton* optNotLocked_;
    QLineEdit* Text20_;
    QLabel* lblStatus_ = nullptr;
};

}  // namespace bdx
