#pragma once

#include <QDockWidget>
#include <QTimer>

#include "sim/trend_export.h"
#include "sim/trend_recorder.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace bdx {

class AppContext;
class TrendView;

// The trend view: records the operands the user names while a simulation with the PC runs and
// shows them as a timing diagram, with export to VCD and CSV. Each run starts a new recording
// and keeps it after the run for reading and export. The time axis counts scans of 10 ms from
// the start of the run; the dock samples after every turn of the runner, which is one scan
// unless the run had to catch up.
class TrendDock : public QDockWidget {
    Q_OBJECT
  public:
    static constexpr int kRefreshMilliseconds = 33;

    TrendDock(AppContext& context, QWidget* parent = nullptr);

    // The operands by name, separated by spaces or commas. False, with the reason on the
    // status line and the traces as they were, when a name is unknown or there are too many.
    bool setOperands(const QString& text);
    // Texts of the current language on what ApplyCaptions does not reach.
    void retranslate();
    // Asks for a file through the prompter and writes the recording to it; a failure is told.
    void exportRecording(TrendFormat format);

    const TrendRecorder& recorder() const { return recorder_; }
    TrendView* view() const { return view_; }
    QLineEdit* operandsEdit() const { return txtOperands_; }
    QLabel* statusLabel() const { return lblStatus_; }

  private:
    void onStarted();
    void onScanMade();
    void onScanned();
    void onEnded();
    void showSummary();

    AppContext& context_;
    TrendRecorder recorder_;
    TrendView* view_ = nullptr;
    QLineEdit* txtOperands_ = nullptr;
    QPushButton* cmdRecord_ = nullptr;
    QPushButton* cmdExportVcd_ = nullptr;
    QPushButton* cmdExportCsv_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QTimer repaint_;
};

}  // namespace bdx
