#include "device/DeviceState.h"

namespace velmar {

void DeviceState::ResetState() {
    config = ConfigBlock{};
    live = LiveBlock{};
    for (std::size_t i = 0; i < kMadiPorts; ++i) {
        config.madiIn[i].port = static_cast<std::int32_t>(i + 1);
        config.madiOut[i].port = static_cast<std::int32_t>(i + 1);
    }
    for (std::size_t i = 0; i < kOptionalModules; ++i) {
        config.optMode[i].index = static_cast<std::int32_t>(i + 1);
    }
}

}  // namespace velmar
