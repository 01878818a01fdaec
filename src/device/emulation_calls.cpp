#include "emulation_calls.h"

#include "blocks/device_model.h"

namespace bdx {

EmulationVariant EmulationVariantOf(int model) {
    return AdvancedTimeSwitch(model) ? EmulationVariant::NewTimeSwitch : EmulationVariant::Plain;
}

const char* EmulationSuffix(EmulationVariant variant) {
    return variant == EmulationVariant::NewTimeSwitch ? "_New_TimeSwitch" : "";
}

}  // namespace bdx
