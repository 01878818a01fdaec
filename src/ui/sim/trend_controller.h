#pragma once

#include <QObject>
#include <QPointer>

namespace bdx {

class AppContext;
class TrendDock;
class frmMain;

// The trend view in the frame: View / Trend View shows and hides its dock, docked under the
// editor.
class TrendController : public QObject {
    Q_OBJECT
  public:
    TrendController(AppContext& context, frmMain& frame);
    ~TrendController() override;

    TrendDock* dock() const;

  private:
    QPointer<TrendDock> dock_;
};

}  // namespace bdx
