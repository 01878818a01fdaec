#pragma once

#include <cstdint>
#include <memory>
#include <optional>

class QMimeData;

namespace bdx {

// An operand dragged from the function toolbox to the ladder: its contact code or coil letter
// and its number word, in a format of our own so that nothing else dropped is taken for one.
struct DraggedOperand {
    std::uint16_t code = 0;
    std::uint16_t number = 0;
};

inline constexpr const char* kOperandMimeType = "application/x-branteldesk-operand";

std::unique_ptr<QMimeData> OperandMimeData(const DraggedOperand& operand);
// Nothing when the data holds no operand or a damaged one.
std::optional<DraggedOperand> OperandFromMimeData(const QMimeData* data);

}  // namespace bdx
