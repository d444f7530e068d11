#include "features/routing/core/ChannelLabel.h"

#include <algorithm>
#include <cctype>

#include "features/routing/core/ChannelNames.h"
#include "protocol/TextEncoding.h"

namespace velmar {
namespace {

const TextField<17>* LabelOf(const DeviceState& state, RouteSide side, std::int32_t channel) {
    if (channel < 1 || channel > static_cast<std::int32_t>(kChannelTableSize))
        return nullptr;
    const auto& labels = side == RouteSide::Input ? state.config.inputLabels : state.config.outputLabels;
    return &labels[static_cast<std::size_t>(channel - 1)];
}

char Folded(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

}  // namespace

std::string WithChannelLabel(std::string name, const DeviceState& state, RouteSide side,
                             std::int32_t channel) {
    const TextField<17>* label = LabelOf(state, side, channel);
    if (label == nullptr || label->Empty())
        return name;
    return name + "  " + DecodeFrameText(label->View());
}

std::string LabelledChannelName(const DeviceState& state, RouteSide side, std::int32_t channel) {
    return WithChannelLabel(ChannelText(channel), state, side, channel);
}

bool ChannelOrLabelMatches(const DeviceState& state, RouteSide side, std::int32_t channel,
                           std::string_view query) {
    if (ChannelMatches(channel, query))
        return true;
    const TextField<17>* label = LabelOf(state, side, channel);
    if (label == nullptr || label->Empty() || query.find_first_not_of(' ') == std::string_view::npos)
        return false;
    const std::string text = DecodeFrameText(label->View());
    return std::search(text.begin(), text.end(), query.begin(), query.end(),
                       [](char a, char b) { return Folded(a) == Folded(b); }) != text.end();
}

}  // namespace velmar
