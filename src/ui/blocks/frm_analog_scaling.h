#pragma once

#include <QDialog>
#include <array>

#include "blocks/analog_record.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace bdx {

class LadderEditor;
class Prompter;

// Analog scaling of the eight inputs: per channel the engineering minimum, maximum and decimal
// point the 0-10 V input is mapped to, one tab per module. OK stores all eight channels as one
// edit; Cancel leaves the program as it was.
class frmAnalogScaling : public QDialog {
    Q_OBJECT
  public:
    frmAnalogScaling(LadderEditor& editor, Prompter& prompter, QWidget* parent = nullptr);

    QTabWidget* tabModule() const { return tabModule_; }
    // Channel 0..7 = V1..V8.
    QLineEdit* txtMin(int channel) const { return channels_.at(channel).minimum; }
    QLineEdit* txtMax(int channel) const { return channels_.at(channel).maximum; }
    QToolButton* UpDown1(int channel, bool up) const { return channels_.at(channel).minSteps[up ? 0 : 1]; }
    QToolButton* UpDown2(int channel, bool up) const { return channels_.at(channel).maxSteps[up ? 0 : 1]; }
    QComboBox* cboDecimalPoint(int channel) const { return channels_.at(channel).decimalPoint; }
    QPushButton* btnOK() const { return btnOK_; }
    QPushButton* Command2() const { return Command2_; }

  private:
    struct ChannelFields {
        QLineEdit* minimum = nullptr;
        QLineEdit* maximum = nullptr;
        std::array<QToolButton*, 2> minSteps{};  // up, down
        std::array<QToolButton*, 2> maxSteps{};
        QComboBox* decimalPoint = nullptr;
    };

    QWidget* buildModulePage(int module);
    QWidget* buildChannel(int channel, QWidget* parent);
    // A value field with its two step buttons; `steps` receives the buttons.
    QLineEdit* valueField(const QString& name, const QString& stepName, std::array<QToolButton*, 2>& steps,
                          QWidget* parent);
    void valueEdited(QLineEdit* field, const QString& typed);
    void step(QLineEdit* field, int by);
    void btnOK_Click();

    LadderEditor& editor_;
    Prompter& prompter_;
    QTabWidget* tabModule_;
    std::array<ChannelFields, kAnalogChannels> channels_{};
    QPushButton* btnOK_;
    QPushButton* Command2_;
};

}  // namespace bdx
