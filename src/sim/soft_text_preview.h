#pragma once

#include <QStringList>

#include "blocks/soft_text_record.h"
#include "sim/block_evaluation.h"
#include "sim/clock.h"

namespace bdx {

// Message texts as the display shows them outside a run, through the run's own rendering:
// presets as set, current values zero, the date and time of now.
class SoftTextPreview {
  public:
    // The program gives the fields' blocks and formats; it must outlive the preview.
    explicit SoftTextPreview(const Program& program);

    QStringList lines(const SoftTextRow& text) const { return blocks_.softTexts.RenderLines(text); }

  private:
    WallClock clock_;
    BlockEvaluation blocks_;
};

}  // namespace bdx
