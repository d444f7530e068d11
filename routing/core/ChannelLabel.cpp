#include "routing/core/ChannelLabel.h"

#include "device/ChannelMap.h"
#include "device/FrameText.h"

namespace velmar {

std::string WithChannelLabel(std::string name, const DeviceState& state, RouteSide side,
                             std::int32_t channel) {
    if (channel < 1 || channel > static_cast<std::int32_t>(kChannelTableSize))
        return name;
    const auto& labels = side == RouteSide::Input ? state.config.inputLabels : state.config.outputLabels;
    const TextField<17>& label = labels[static_cast<std::size_t>(channel - 1)];
    if (label.Empty())
        return name;
    return name + "  " + FrameTextToUtf8(label.View());
}

std::string LabelledChannelName(const DeviceState& state, RouteSide side, std::int32_t channel) {
    return WithChannelLabel(ChannelName(channel), state, side, channel);
}

}  // namespace velmar
