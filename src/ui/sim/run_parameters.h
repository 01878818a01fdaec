#pragma once

#include <QWidget>
#include <array>
#include <vector>

#include "sim/parameter_monitor.h"

class QTabWidget;
class QTableWidget;

namespace bdx {

class LadderEditor;
class PcSimulationRunner;

// The parameter monitor of a simulation run: a tab per block kind, a row per block in use.
// After each turn of scans only the tab in view is brought up to date; the others catch up
// when they are shown. A click on a row, or Enter, asks for that block's dialog. The window
// closes when the run ends; closing it runs the rule check, as the parameters may have changed.
class run_parameters : public QWidget {
    Q_OBJECT
  public:
    run_parameters(LadderEditor& editor, PcSimulationRunner& runner, QWidget* parent = nullptr);

    QTabWidget* tabs() const { return tabs_; }
    QTableWidget* grid(MonitorTab tab) const { return grids_[static_cast<std::size_t>(tab)]; }

    // Every tab filled again from the program: parameters stored during the run.
    void reload();
    // The live cells of the tab in view.
    void refresh();

  Q_SIGNALS:
    void blockChosen(Operand kind, int number);
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void fill(MonitorTab tab);
    void fitWidth();
    void refreshTab(MonitorTab tab);
    void rowClicked(MonitorTab tab, int row);

    LadderEditor& editor_;
    PcSimulationRunner& runner_;
    ParameterMonitor monitor_;
    QTabWidget* tabs_ = nullptr;
    std::array<QTableWidget*, kMonitorTabs> grids_{};
    std::array<std::vector<MonitorRow>, kMonitorTabs> rows_{};
};

}  // namespace bdx
