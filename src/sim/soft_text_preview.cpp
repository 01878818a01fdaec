#include "soft_text_preview.h"

namespace bdx {

SoftTextPreview::SoftTextPreview(const Program& program) : blocks_(clock_) {
    blocks_.PrepareRun(program);
}

}  // namespace bdx
