#include "device_model.h"

namespace bdx {

std::optional<SupplyKind> ModelSupply(int index) {
    if (!IsValidModel(index)) {
        return std::nullopt;
    }
    return kDeviceModels[index].supply;
}

const char* SupplyText(SupplyKind kind) {
    switch (kind) {
        case SupplyKind::AC:
            return "AC";
        case SupplyKind::DC:
            return "DC";
        case SupplyKind::ACDC:
            return "AC/DC";
    }
    return "";
}

const char* ModelDisplayName(int index) {
    return IsValidModel(index) ? kDeviceModels[index].displayName : "";
}

int ModelDialogRowForIndex(int index) {
    for (std::size_t row = 0; row < kModelDialogRows.size(); ++row) {
        if (kModelDialogRows[row].selectsIndex == index) {
            return static_cast<int>(row) + 1;
        }
    }
    return 0;
}

std::optional<int> ModelIndexForDialogRow(int row) {
    if (row < 1 || row > static_cast<int>(kModelDialogRows.size())) {
        return std::nullopt;
    }
    return kModelDialogRows[static_cast<std::size_t>(row - 1)].selectsIndex;
}

}  // namespace bdx
