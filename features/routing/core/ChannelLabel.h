#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "device/DeviceState.h"
#include "features/routing/core/ChannelCatalog.h"

namespace velmar {

// A channel's name in the routing views with its label beside it when it has one, so that
// 1536 channels can be told apart by what they carry: "CARD2  76  Stage box 3".
std::string WithChannelLabel(std::string name, const DeviceState& state, RouteSide side,
                             std::int32_t channel);
// ChannelText(channel) with its label; channel 0 (nothing) has none.
std::string LabelledChannelName(const DeviceState& state, RouteSide side, std::int32_t channel);
// A find box's rule with labels: the channel's name or number (ChannelMatches), or a label that
// holds the query, whatever its case ("stage" finds "Stage box 3").
bool ChannelOrLabelMatches(const DeviceState& state, RouteSide side, std::int32_t channel,
                           std::string_view query);

}  // namespace velmar
