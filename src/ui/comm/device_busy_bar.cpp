#include "device_busy_bar.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "comm/comm_link.h"
#include "shell/language_table.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {
constexpr int kTextStop = 8100;
}

DeviceBusyBar::DeviceBusyBar(CommLink& link, QWidget* controls, QWidget* parent)
    : QWidget(parent), link_(link), controls_(controls) {
    setObjectName(QStringLiteral("deviceBusyBar"));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblBusyStatus"));
    status_->setWordWrap(true);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("prgBusy"));
    bar_->setTextVisible(false);
    stop_ = new QPushButton(LoadText(kTextStop), this);
    stop_->setObjectName(QStringLiteral("cmdBusyStop"));
    SetTextId(stop_, kTextStop);
    stop_->setEnabled(false);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(status_, 1);
    layout->addWidget(bar_, 1);
    layout->addWidget(stop_);

    connect(stop_, &QPushButton::clicked, this, [this] {
        link_.cancel();
        Q_EMIT stopRequested();
    });
    bar_->hide();
}

bool DeviceBusyBar::run(const QString& status, const std::function<bool()>& action) {
    if (running_) {
        return false;
    }
    running_ = true;
    const CommLink::Action deviceAction(link_);
    link_.state().CommCancelled = false;
    setControlsEnabled(false);
    setRange(0, 0);
    setStatus(status);
    bar_->show();
    stop_->setEnabled(true);
    stop_->setFocus();
    QApplication::setOverrideCursor(Qt::BusyCursor);
    Q_EMIT runningChanged(true);

    const bool result = action();

    QApplication::restoreOverrideCursor();
    stop_->setEnabled(false);
    bar_->hide();
    bar_->reset();
    setControlsEnabled(true);
    running_ = false;
    Q_EMIT runningChanged(false);
    return result;
}

void DeviceBusyBar::setRange(int minimum, int maximum) {
    bar_->setRange(minimum, maximum);
}

void DeviceBusyBar::setValue(int value) {
    bar_->setValue(value);
}

void DeviceBusyBar::setStatus(const QString& text) {
    status_->setText(text);
}

void DeviceBusyBar::switchOff(QWidget* parent) {
    for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child == this || child->isWindow() || !child->isEnabled()) {
            continue;
        }
        if (child->isAncestorOf(this)) {
            switchOff(child);  // the bar's own container stays on, its other controls go off
        } else {
            child->setEnabled(false);
            switchedOff_ << child;
        }
    }
}

void DeviceBusyBar::setControlsEnabled(bool enabled) {
    if (!enabled) {
        switchedOff_.clear();
        if (controls_) {
            switchOff(controls_);
        }
        return;
    }
    for (const QPointer<QWidget>& child : std::as_const(switchedOff_)) {
        if (child) {
            child->setEnabled(true);
        }
    }
    switchedOff_.clear();
}

}  // namespace bdx
