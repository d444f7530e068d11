#include "features/routing/core/RouteChanges.h"

#include <algorithm>

#include "features/routing/core/ChannelNames.h"

namespace velmar {

std::int32_t LiveInput(const CrosspointTable& live, std::int32_t channelCount, std::int32_t output) {
    const std::int32_t limit =
        std::min<std::int32_t>(channelCount, static_cast<std::int32_t>(kChannelTableSize));
    return output >= 1 && output <= limit ? live[static_cast<std::size_t>(output - 1)] : 0;
}

RouteComparison CompareWithLive(std::span<const Crosspoint> crosspoints, const CrosspointTable& live,
                                std::int32_t channelCount) {
    RouteComparison comparison;
    for (const Crosspoint& c : crosspoints) {
        const std::int32_t now = LiveInput(live, channelCount, c.output);
        if (now == c.input) {
            comparison.unchanged.push_back(c);
        } else {
            comparison.changes.push_back({c.output, now, c.input});
        }
    }
    return comparison;
}

std::string DisconnectQuestion(std::span<const Crosspoint> crosspoints) {
    std::vector<std::int32_t> outputs;
    for (const Crosspoint& c : crosspoints)
        outputs.push_back(c.output);
    std::sort(outputs.begin(), outputs.end());
    return "Disconnect " + std::to_string(outputs.size()) +
           (outputs.size() == 1 ? " crosspoint: " : " crosspoints: ") + ChannelListText(outputs) + "?";
}

std::string ChangeText(const RouteChange& change) {
    return ChannelText(change.output) + ": " + SourceText(change.from) + " \u2192 " + SourceText(change.to);
}

}  // namespace velmar
