#pragma once

#include <array>
#include <optional>

namespace bdx {

inline constexpr int kModelCount = 16;

enum class SupplyKind { AC, DC, ACDC };

struct DeviceModel {
    const char* displayName;
    SupplyKind supply;
    bool display;
    bool analog;
    int timeSwitchGeneration;  // 1 or 2
    const char* basePicture;
    const char* extensionPicture;
};

// One row per model index.
inline constexpr std::array<DeviceModel, kModelCount> kDeviceModels = {{
    {"110-240 V AC - Relaymaster R7-HA-8R-L", SupplyKind::AC, true, false, 1, "ZTQ_ACModelBase1",
     "ZTQ_ACModelExt1"},
    {"12-24 V DC - Relaymaster R7-HD-6A2T-L", SupplyKind::DC, true, true, 1, "ZTQ_DCModelBase1",
     "ZTQ_DCModelExt1"},
    {"110-240 V AC - Relaymaster R7-HA-8R-N", SupplyKind::AC, false, false, 1, "LED_ACModelBase",
     "ZTQ_ACModelExt1"},
    {"12-24 V DC - Relaymaster R7-HD-6A2T-N", SupplyKind::DC, false, true, 1, "LED_DCModelBase",
     "ZTQ_DCModelExt1"},
    {"24 V AC/DC - KX1D20", SupplyKind::ACDC, true, false, 1, "LCD_ACDCModelBase", "Marlo_ACDC_Ext1"},
    {"24 V AC/DC - KX1D20N", SupplyKind::ACDC, false, false, 1, "LED_ACDC_ModelBase", "Marlo_ACDC_Ext1"},
    {"24 V AC/DC Analog - KX1A20", SupplyKind::ACDC, true, true, 1, "24VACDC_Analog_DCBase1",
     "24VACDC_Analog_DCExt1"},
    {"24 V AC/DC Analog - KX1A20N", SupplyKind::ACDC, false, true, 1, "24VACDC_Analog_LED_DCBase",
     "24VACDC_Analog_DCExt1"},
    {"110-240 V AC - Relaymaster R7-HA-8R-L", SupplyKind::AC, true, false, 2, "ZTQ_ACModelBase1",
     "ZTQ_ACModelExt1"},
    {"12-24 V DC - Relaymaster R7-HD-6A2T-L", SupplyKind::DC, true, true, 2, "ZTQ_DCModelBase1",
     "ZTQ_DCModelExt1"},
    {"24 V AC/DC - KX1D30", SupplyKind::ACDC, true, false, 2, "LCD_ACDCModelBase", "Marlo_ACDC_Ext1"},
    {"24 V AC/DC Analog - KX1A30", SupplyKind::ACDC, true, true, 2, "24VACDC_Analog_DCBase1",
     "24VACDC_Analog_DCExt1"},
    {"110-240 V AC - Relaymaster R7-HA-8R-N", SupplyKind::AC, false, false, 2, "LED_ACModelBase",
     "ZTQ_ACModelExt1"},
    {"12-24 V DC - Relaymaster R7-HD-6A2T-N", SupplyKind::DC, false, true, 2, "LED_DCModelBase",
     "ZTQ_DCModelExt1"},
    {"24 V AC/DC - KX1D30N", SupplyKind::ACDC, false, false, 2, "LED_ACDC_ModelBase", "Marlo_ACDC_Ext1"},
    {"24 V AC/DC Analog - KX1A30N", SupplyKind::ACDC, false, true, 2, "24VACDC_Analog_LED_DCBase",
     "24VACDC_Analog_DCExt1"},
}};

constexpr bool IsValidModel(int index) {
    return index >= 0 && index < kModelCount;
}

// The only model questions the rest of the program asks. Indices outside 0..15 have no features.
constexpr bool HasDisplay(int index) {
    return IsValidModel(index) && kDeviceModels[index].display;
}
constexpr bool HasAnalog(int index) {
    return IsValidModel(index) && kDeviceModels[index].analog;
}
constexpr bool AdvancedTimeSwitch(int index) {
    return IsValidModel(index) && kDeviceModels[index].timeSwitchGeneration == 2;
}
std::optional<SupplyKind> ModelSupply(int index);
const char* SupplyText(SupplyKind kind);  // "AC", "DC", "AC/DC"
// Display models of the second generation open the other variant of the device utilities.
constexpr bool IsSecondGenerationDisplayModel(int index) {
    return index >= 8 && index <= 11;
}
// Empty for an index outside the table.
const char* ModelDisplayName(int index);

// The model dialog offers four models, one per grid row 1..4.
struct ModelDialogRow {
    int modelCodeId;  // text ids of the columns
    int lcdId;
    int supplyId;
    int digitalInputsId;
    int analogInputsId;
    int progLinesId;
    int selectsIndex;
};
inline constexpr std::array<ModelDialogRow, 4> kModelDialogRows = {{
    {164, 374, 139, 157, 159, 375, 8},
    {165, 374, 140, 158, 160, 375, 9},
    {190, 376, 139, 157, 159, 375, 12},
    {191, 376, 140, 158, 160, 375, 13},
}};
// Header text ids of the dialog's grid columns 1..5 ("LCD", "Supply", ...).
inline constexpr std::array<int, 5> kModelDialogHeaderIds = {346, 4106, 4107, 4108, 4109};

// Grid row (1..4) that shows a model; 0 when the dialog offers no row for it.
int ModelDialogRowForIndex(int index);
// Model index a grid row selects; nothing for a row outside 1..4.
std::optional<int> ModelIndexForDialogRow(int row);

}  // namespace bdx
