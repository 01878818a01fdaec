#include "trend_controller.h"

#include <QAction>

#include "trend_dock.h"
#include "ui/main/frm_main.h"

namespace bdx {

TrendController::TrendController(AppContext& context, frmMain& frame)
    : dock_(new TrendDock(context, &frame)) {
    frame.addDockWidget(Qt::BottomDockWidgetArea, dock_);
    dock_->hide();
    QAction* command = frame.registerCommand("mnuViewTrend");
    command->setCheckable(true);
    connect(command, &QAction::triggered, dock_, [this](bool checked) {
        dock_->setVisible(checked);
        if (checked) {
            dock_->raise();
        }
    });
    connect(dock_, &QDockWidget::visibilityChanged, command, [this, command] {
        command->setChecked(dock_->isVisible());
    });
    connect(&frame, &frmMain::captionsApplied, dock_, &TrendDock::retranslate);
}

TrendDock* TrendController::dock() const {
    return dock_.data();
}

TrendController::~TrendController() {
    delete dock_.data();
}

}  // namespace bdx
