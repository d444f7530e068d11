#include "features/routing/core/CrosspointList.h"

#include <algorithm>

namespace velmar {
namespace {

constexpr std::int32_t kCardChannelsPerHalf = 64;
constexpr std::int32_t kSecondHalf = 1024;

std::int32_t InputOf(const CrosspointTable& crosspoints, std::int32_t output) {
    return crosspoints[static_cast<std::size_t>(output - 1)];
}

bool BoardPresent(const DeviceState& state, std::int32_t position) {
    return state.config.hwConf[static_cast<std::size_t>(position - 1)].boardType != 0;
}

}  // namespace

std::vector<CrosspointList::Range> CrosspointList::Ranges(std::int32_t channelCount) const {
    std::vector<Range> ranges;
    if (filter_ >= 1 && filter_ <= 8) {
        const std::int32_t first = kCardChannelsPerHalf * (filter_ - 1) + 1;
        ranges = {{first, first + kCardChannelsPerHalf - 1},
                  {kSecondHalf + first, kSecondHalf + first + kCardChannelsPerHalf - 1}};
    } else {
        static constexpr Range kInterfaces[] = {{513, 528}, {529, 592}, {593, 656},
                                                {657, 784}, {785, 912}, {913, 976}};
        ranges = {filter_ == 0 ? Range{1, channelCount} : kInterfaces[filter_ - 9]};
    }
    // Rows never name an output the frame does not have, whatever the tables hold beyond it.
    const std::int32_t limit =
        std::min<std::int32_t>(channelCount, static_cast<std::int32_t>(kChannelTableSize));
    for (Range& r : ranges)
        r.last = std::min(r.last, limit);
    std::erase_if(ranges, [](const Range& r) { return r.first > r.last; });
    return ranges;
}

CrosspointList::Change CrosspointList::Refresh(std::int32_t output, std::int32_t order,
                                               const CrosspointTable& crosspoints,
                                               std::int32_t channelCount) {
    order_ = order == order_ ? kRebuild : order;
    const std::vector<Range> ranges = Ranges(channelCount);

    Change change;
    if (output >= 1 && output <= channelCount) {
        for (const Range& r : ranges) {
            if (output < r.first || output > r.last)
                continue;
            if (const auto row = std::find(rows_.begin(), rows_.end(), output); row != rows_.end()) {
                change.removedRow = static_cast<std::size_t>(row - rows_.begin());
                rows_.erase(row);
            }
            if (InputOf(crosspoints, output) != 0) {
                rows_.push_back(output);
                change.appended = true;
            }
        }
        return change;
    }

    rows_.clear();
    for (const Range& r : ranges) {
        for (std::int32_t o = r.first; o <= r.last; ++o) {
            if (InputOf(crosspoints, o) > 0)
                rows_.push_back(o);
        }
    }
    if (InputOrder()) {
        std::stable_sort(rows_.begin(), rows_.end(), [&](std::int32_t a, std::int32_t b) {
            const std::int32_t inA = InputOf(crosspoints, a);
            const std::int32_t inB = InputOf(crosspoints, b);
            return inA != inB ? inA < inB : a < b;
        });
    }
    change.rebuilt = true;
    return change;
}

bool CrosspointList::FilterApplies(std::int32_t filter, const DeviceState& state,
                                   const FrameCapabilities& capabilities) {
    if (filter >= 1 && filter <= 8)
        return capabilities.cards && BoardPresent(state, filter + 8);
    if (filter == 12 || filter == 13) {
        const std::int32_t module = filter - 11;
        if (!capabilities.cards || state.config.optMode[static_cast<std::size_t>(module - 1)].mode == 0)
            return false;
        return module == 1 || state.config.redundancyEnable == 0;
    }
    return true;
}

bool CrosspointList::AdvanceFilter(const DeviceState& state, const FrameCapabilities& capabilities) {
    if (!capabilities.matrix)
        return false;
    do {
        filter_ = (filter_ + 1) % kFilterCount;
    } while (!FilterApplies(filter_, state, capabilities));
    return true;
}

std::string CrosspointList::FilterText() const {
    static constexpr const char* kNames[] = {"ALL", "AES", "PHD", "MADI", "SFP1", "SFP2", "IP"};
    if (filter_ >= 1 && filter_ <= 8)
        return "CARD" + std::to_string(filter_);
    return kNames[filter_ == 0 ? 0 : filter_ - 8];
}

}  // namespace velmar
