#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "comm/program_transfer.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace bdx {

class CommLink;

// The busy line of a device window: what is going on, a progress bar (a moving one while the
// length is unknown) and Stop. While an action runs through it, the window's other controls are
// off, the link counts a device action (its errors come in a box), and Stop cancels the
// transaction that is waiting. It doubles as the transfer's progress sink.
class DeviceBusyBar : public QWidget, public TransferProgress {
    Q_OBJECT
  public:
    // `controls`: the widget whose children are switched off during an action (the dialog);
    // the bar itself stays on.
    DeviceBusyBar(CommLink& link, QWidget* controls, QWidget* parent = nullptr);

    // Runs `action` (a device conversation; it returns once done) with the bar showing `status`.
    // Returns what `action` returned. Not re-entrant: a second call while one runs returns false
    // without running.
    bool run(const QString& status, const std::function<bool()>& action);
    bool running() const { return running_; }

    // TransferProgress: a range of 0..0 makes the bar a moving one.
    void setRange(int minimum, int maximum) override;
    void setValue(int value) override;
    void setStatus(const QString& text) override;

    QPushButton* stopButton() const { return stop_; }
    QProgressBar* progressBar() const { return bar_; }
    QLabel* statusLabel() const { return status_; }

  Q_SIGNALS:
    // Stop was pressed; the link has been cancelled already.
    void stopRequested();
    // An action began or ended: the owner may refuse to close meanwhile.
    void runningChanged(bool running);

  private:
    void setControlsEnabled(bool enabled);
    void switchOff(QWidget* parent);

    CommLink& link_;
    QPointer<QWidget> controls_;
    QLabel* status_;
    QProgressBar* bar_;
    QPushButton* stop_;
    QList<QPointer<QWidget>> switchedOff_;
    bool running_ = false;
};

}  // namespace bdx
