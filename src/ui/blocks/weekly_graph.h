#pragma once

#include <QStringList>
#include <QWidget>
#include <optional>

#include "blocks/time_switch_schedule.h"

class QPainter;

namespace bdx {

// A moment of the week: day 0..6 from Monday, minute of the day.
struct WeekMoment {
    int day = 0;
    int minute = 0;
    bool operator==(const WeekMoment&) const = default;
};

// Draws a week as seven day rows over a 24-hour scale, a bar wherever the switch is on and each
// day's on time at the row's end; `now` draws the current moment across it. Vector drawing, so
// it stays sharp at any size.
void PaintWeeklyGraph(QPainter& painter, const QRectF& area, const WeeklySchedule& schedule,
                      const QStringList& dayLabels, std::optional<WeekMoment> now = std::nullopt);

// The weekly display of the time switch dialog.
class WeeklyGraph : public QWidget {
    Q_OBJECT
  public:
    explicit WeeklyGraph(QWidget* parent = nullptr);

    const WeeklySchedule& schedule() const { return schedule_; }
    void setSchedule(const WeeklySchedule& schedule);
    void setNow(std::optional<WeekMoment> now);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    WeeklySchedule schedule_;
    std::optional<WeekMoment> now_;
};

}  // namespace bdx
