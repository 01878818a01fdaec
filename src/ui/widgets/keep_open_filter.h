#pragma once

#include <QEvent>
#include <QObject>

namespace bdx {

// Refuses every close of the watched window (the editor window stays while the application runs:
// closing it would leave nothing to edit).
class KeepOpenFilter : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace bdx
