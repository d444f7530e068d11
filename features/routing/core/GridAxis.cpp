#include "features/routing/core/GridAxis.h"

#include <algorithm>
#include <map>

#include "device/ChannelMap.h"

namespace velmar {
namespace {

// Groups in the order an engineer scans a frame: cards first, then the fixed interfaces.
std::pair<int, std::string> GroupKey(std::int32_t channel) {
    const ChannelLocation where = LocateChannel(channel);
    switch (where.interface) {
        case Interface::Card:
            return {where.card, "CARD" + std::to_string(where.card)};
        case Interface::Aes:
            return {20, "AES"};
        case Interface::Phd1:
        case Interface::Phd2:
            return {21, "PHD"};
        case Interface::Madi:
            return {22, "MADI"};
        case Interface::Sfp1:
            return {23, "SFP1"};
        case Interface::Sfp2:
            return {24, "SFP2"};
        case Interface::Ip:
            return {25, "IP"};
        case Interface::None:
            break;
    }
    return {30, "CHN"};
}

}  // namespace

void GridAxis::Build(std::int32_t channelCount) {
    std::vector<std::int32_t> channels;
    for (std::int32_t channel = 1; channel <= channelCount; ++channel)
        channels.push_back(channel);
    Build(channels);
}

void GridAxis::Build(std::span<const std::int32_t> channels) {
    std::map<std::string, bool> collapsed;
    for (const Group& g : groups_)
        collapsed[g.name] = g.collapsed;
    std::map<std::pair<int, std::string>, std::vector<std::int32_t>> byKey;
    std::int32_t last = 0;
    for (const std::int32_t channel : channels) {
        byKey[GroupKey(channel)].push_back(channel);
        last = std::max(last, channel);
    }
    groups_.clear();
    groupOf_.assign(static_cast<std::size_t>(last) + 1, -1);
    for (auto& [key, members] : byKey) {
        for (const std::int32_t channel : members)
            groupOf_[static_cast<std::size_t>(channel)] = static_cast<std::int32_t>(groups_.size());
        groups_.push_back({key.second, std::move(members), collapsed[key.second]});
    }
    Lay();
}

void GridAxis::SetCollapsed(std::int32_t group, bool collapsed) {
    if (group < 0 || group >= static_cast<std::int32_t>(groups_.size()))
        return;
    groups_[static_cast<std::size_t>(group)].collapsed = collapsed;
    Lay();
}

void GridAxis::Lay() {
    lines_.clear();
    lineOf_.assign(groupOf_.size(), -1);
    groupLine_.assign(groups_.size(), -1);
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        groupLine_[g] = static_cast<std::int32_t>(lines_.size());
        lines_.push_back({0, static_cast<std::int32_t>(g)});
        if (groups_[g].collapsed)
            continue;
        for (const std::int32_t channel : groups_[g].channels) {
            lineOf_[static_cast<std::size_t>(channel)] = static_cast<std::int32_t>(lines_.size());
            lines_.push_back({channel, static_cast<std::int32_t>(g)});
        }
    }
}

std::int32_t GridAxis::LineOf(std::int32_t channel) const {
    return channel >= 1 && channel < static_cast<std::int32_t>(lineOf_.size())
               ? lineOf_[static_cast<std::size_t>(channel)]
               : -1;
}

std::int32_t GridAxis::GroupLineOf(std::int32_t channel) const {
    if (channel < 1 || channel >= static_cast<std::int32_t>(groupOf_.size()))
        return -1;
    // A channel the frame does not offer has no group, even below the highest one it does.
    const std::int32_t group = groupOf_[static_cast<std::size_t>(channel)];
    return group < 0 ? -1 : groupLine_[static_cast<std::size_t>(group)];
}

}  // namespace velmar
