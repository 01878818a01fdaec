#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

#include "blocks/timer_record.h"
#include "ladder/operands.h"
#include "ladder/program.h"

// What the parameter monitor shows of a running simulation: one tab per block kind, one row
// per block in use, each cell as the monitor's grid shows it. The window and the command-line
// `parameters` line both print these rows, so they always agree.
namespace bdx {

class PcSimulation;

// The tabs in the monitor's order.
enum class MonitorTab { Timers, Counters, Analog, Compare, TimeSwitches, HourMeters };
inline constexpr int kMonitorTabs = 6;
inline constexpr std::array<MonitorTab, kMonitorTabs> kMonitorTabOrder = {
    MonitorTab::Timers,  MonitorTab::Counters,     MonitorTab::Analog,
    MonitorTab::Compare, MonitorTab::TimeSwitches, MonitorTab::HourMeters};

// Text id of the tab's caption ("Timers", "Counters", ...).
int MonitorTabTextId(MonitorTab tab);
// The tab's name on the command line: "timers", "counters", "analog", "compare",
// "timeswitches", "hourmeters".
QString MonitorTabKey(MonitorTab tab);
std::optional<MonitorTab> MonitorTabOfKey(const QString& key);

// A block as its row names it.
struct MonitorBlock {
    Operand kind = Operand::T;
    int number = 0;  // 0-based

    bool operator==(const MonitorBlock&) const = default;
};
// "T 3" for timer 2, "RTC 1" for time switch 0 ...
QString MonitorBlockName(const MonitorBlock& block);
// The block a row's name cell names; nothing for any other text.
std::optional<MonitorBlock> MonitorBlockOfName(const QString& name);

// "Yes" / "No" in the current language.
QString YesNoText(bool yes);
// A timer value in `unit` with the unit after it, as the monitor shows presets and current
// values: "004.9 s", "01:30 m:s", "02:05 h:m". Time is cut, never rounded up, and held to the
// largest value the unit can show.
QString TimerValueText(double seconds, TimeUnit unit);

struct MonitorRow {
    MonitorBlock block;
    QStringList cells;  // the name cell first
};

// The monitor's grids for one program and its running simulation. A tab's table is filled once
// (`rows`); after a scan `refresh` puts in only the cells that change while the program runs:
// inputs, outputs and current values.
class ParameterMonitor {
  public:
    // Both must outlive the monitor.
    ParameterMonitor(const Program& program, const PcSimulation& simulation);

    // Column heading ids of a tab; the time switch columns follow the model's generation.
    std::vector<int> headerTextIds(MonitorTab tab) const;
    // One row per block of the tab's kind in use, in block order, every cell filled.
    std::vector<MonitorRow> rows(MonitorTab tab) const;
    // Puts the live cells of `rows` (made by rows() for the same tab) up to date.
    void refresh(MonitorTab tab, std::vector<MonitorRow>& rows) const;

  private:
    enum class Field;
    struct Column {
        int textId;
        Field field;
    };
    std::vector<Column> columns(MonitorTab tab) const;
    QString cell(Field field, const MonitorBlock& block) const;
    static bool isLive(Field field);

    const Program& program_;
    const PcSimulation& simulation_;
};

}  // namespace bdx
