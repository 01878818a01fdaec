#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>

#include "ladder/block_tables.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QSlider;

namespace bdx {

class PcSimulation;
struct Program;

inline constexpr int kPanelModules = 4;   // base, extension A, B, C
inline constexpr int kPanelInputs = 32;   // Check1: 8 per module
inline constexpr int kPanelOutputs = 16;  // Q, U, V, W: 4 per module

// The caption of an analog slider: "V1 = 05.00V", the point always a ".".
QString SliderCaption(int channel, int hundredths);

// A round indicator for one output, drawn by hand so that it needs no image files.
class OutputLamp : public QWidget {
    Q_OBJECT
  public:
    OutputLamp(const QString& name, QWidget* parent = nullptr);

    bool isOn() const { return on_; }
    void setOn(bool on);
    QString name() const { return name_; }

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString name_;
    bool on_ = false;
};

// The input/output panel of a simulation run: per module the input check boxes, the output
// lamps and, on models with analog inputs, the two sliders of inputs 7 and 8.
class I_O_form : public QWidget {
    Q_OBJECT
  public:
    I_O_form(PcSimulation& simulation, QWidget* parent = nullptr);

    // Frames of absent extension modules are disabled; sliders appear only on models with
    // analog inputs. Boxes and sliders show the simulation's kept values.
    void prepare(const Program& program);

    // Input k of the scan's order: 0-7 I1-I8, 8-15 J, 16-23 K, 24-31 L.
    QCheckBox* inputBox(int index) const { return valid(index, kPanelInputs) ? Check1_[index] : nullptr; }
    // Output k: 0-3 Q1-Q4, 4-7 U, 8-11 V, 12-15 W.
    OutputLamp* outputLamp(int index) const { return valid(index, kPanelOutputs) ? lamps_[index] : nullptr; }
    QSlider* slider(int channel) const {
        return valid(channel, kAnalogChannels) ? HScroll1_[channel] : nullptr;
    }
    QLabel* sliderLabel(int channel) const {
        return valid(channel, kAnalogChannels) ? sliderLabels_[channel] : nullptr;
    }
    QGroupBox* moduleFrame(int module) const {
        return valid(module, kPanelModules) ? frames_[module] : nullptr;
    }

    // Reads the outputs (and inputs changed elsewhere) into the panel; the panel's timer calls
    // it at screen rate while it is shown.
    void refresh();
    // A paused run changes only by a step: no refresh timer meanwhile.
    void setPaused(bool paused);

  Q_SIGNALS:
    // F5, or the panel closed: the run should end.
    void stopRequested();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    static bool valid(int index, int count) { return index >= 0 && index < count; }
    QGroupBox* buildModule(int module);
    void inputToggled(int index, bool on);
    void sliderMoved(int channel, int value);

    PcSimulation& simulation_;
    std::array<QGroupBox*, kPanelModules> frames_{};
    std::array<QCheckBox*, kPanelInputs> Check1_{};
    std::array<OutputLamp*, kPanelOutputs> lamps_{};
    std::array<QSlider*, kAnalogChannels> HScroll1_{};
    std::array<QLabel*, kAnalogChannels> sliderLabels_{};
    std::array<QWidget*, kPanelModules> analogSections_{};
    QTimer refreshTimer_;
    bool paused_ = false;
    // Set while the panel loads the kept values into its controls: no coupling, no writes back.
    bool loading_ = false;
};

}  // namespace bdx
