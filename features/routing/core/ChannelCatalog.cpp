#include "features/routing/core/ChannelCatalog.h"

#include <algorithm>

#include "features/routing/core/ChannelNames.h"

namespace velmar {
namespace {

constexpr std::int32_t kAesFirst = 513;
constexpr std::int32_t kPhd1First = 529;
constexpr std::int32_t kPhd2First = 561;
constexpr std::int32_t kMadiFirst = 593;
constexpr std::int32_t kSfpFirst = 657;
constexpr std::int32_t kSfpWidth = 128;
constexpr std::int32_t kIpFirst = 913;
constexpr std::int32_t kCardWidth = 64;
constexpr std::int32_t kCardSecondHalf = 1024;

// A MADI output in its 56-channel mode carries 8 channels fewer.
constexpr std::int32_t kMadi56 = 56;

const char* CardSuffix(CardType kind, RouteSide side) {
    switch (kind) {
        case CardType::Sdi:
            return " - SDI";
        case CardType::Aes:
            return " - AES";
        case CardType::MadiHotlink:
            return " - MADI";
        case CardType::Ad:
            return side == RouteSide::Input ? " - AD" : nullptr;
        case CardType::Da:
            return side == RouteSide::Output ? " - DA" : nullptr;
        case CardType::None:
            break;
    }
    return nullptr;
}

// "  -  Flow f-s" for the first existing flow that carries the IP channel in one of its slots.
template <typename Flows, typename Slots>
std::string FirstFlowCarrying(const Flows& flows, const Slots& slots, std::int32_t ipChannel) {
    for (std::size_t f = 0; f < flows.size(); ++f) {
        if (flows[f].flow == 0 || flows[f].exists == 0)
            continue;
        for (std::size_t s = 0; s < slots[f].size(); ++s) {
            if (slots[f][s].channel == ipChannel) {
                return "  -  Flow " + std::to_string(flows[f].flow) + "-" + std::to_string(s + 1);
            }
        }
    }
    return {};
}

}  // namespace

std::vector<TypeEntry> ChannelCatalog::Types(RouteSide side) const {
    std::vector<TypeEntry> types;
    if (!capabilities_.matrix)
        return types;
    types = {{RouteType::kAes, "AES"}, {RouteType::kPhd, "PHD"}, {RouteType::kMadi, "MADI"}};
    const bool sfp = capabilities_.optionalModule;
    if (sfp && state_.config.optMode[0].mode != 0)
        types.push_back({RouteType::kSfp1, "SFP 1"});
    if (sfp && state_.config.redundancyEnable == 0 && state_.config.optMode[1].mode != 0) {
        types.push_back({RouteType::kSfp2, "SFP 2"});
    }
    if (capabilities_.dante)
        types.push_back({RouteType::kIp, "IP"});
    if (!capabilities_.cards)
        return types;
    for (std::int32_t card = 1; card <= static_cast<std::int32_t>(kCardSlots); ++card) {
        const CardRecord& record = Card(card);
        const char* suffix = CardSuffix(record.kind, side);
        if (suffix == nullptr || (record.kind == CardType::MadiHotlink && record.mode == 0))
            continue;
        types.push_back({card - 1, "CARD " + std::to_string(card) + suffix});
    }
    return types;
}

std::vector<ChannelCatalog::Run> ChannelCatalog::CardRuns(RouteSide side, std::int32_t card) const {
    const CardRecord& record = Card(card);
    const std::int32_t first = kCardWidth * (card - 1) + 1;
    switch (record.kind) {
        case CardType::Sdi:
            return {{first, 32}};
        case CardType::Aes:
            return {{first, 16}};
        case CardType::Ad:
            return side == RouteSide::Input ? std::vector<Run>{{first, 8}} : std::vector<Run>{};
        case CardType::Da:
            return side == RouteSide::Output ? std::vector<Run>{{first, 8}} : std::vector<Run>{};
        case CardType::MadiHotlink: {
            if (record.mode == 0)
                return {};
            const bool wide = record.mode == 2 || (record.mode == 1 && record.madi.redundancyEnable == 0);
            if (!wide)
                return {{first, kCardWidth}};
            // The second 64 channels of a 128-channel card live above channel 1024 and keep counting.
            return {{first, kCardWidth}, {kCardSecondHalf + first, kCardWidth}};
        }
        case CardType::None:
            break;
    }
    return {};
}

std::vector<std::int32_t> ChannelCatalog::RoutableChannels(RouteSide side) const {
    std::vector<std::int32_t> channels;
    for (const TypeEntry& type : Types(side)) {
        for (const Run& run : Runs(side, type.type)) {
            for (std::int32_t channel = run.firstChannel; channel < run.firstChannel + run.count; ++channel)
                channels.push_back(channel);
        }
    }
    std::sort(channels.begin(), channels.end());
    channels.erase(std::unique(channels.begin(), channels.end()), channels.end());
    return channels;
}

std::vector<ChannelCatalog::Run> ChannelCatalog::Runs(RouteSide side, std::int32_t type) const {
    const bool output = side == RouteSide::Output;
    switch (type) {
        case RouteType::kAes:
            return {{kAesFirst, 16}};
        case RouteType::kPhd:
            if (state_.config.phd.portCfg == 0)
                return {{kPhd1First, 16}};
            return {{kPhd1First, 32}, {kPhd2First, 32}};
        case RouteType::kMadi:
            return {{kMadiFirst, output && state_.config.madiOut[0].mode == 0 ? kMadi56 : 64}};
        case RouteType::kSfp1:
        case RouteType::kSfp2: {
            const std::int32_t module = type - RouteType::kSfp1 + 1;
            const std::int32_t first = kSfpFirst + kSfpWidth * (module - 1);
            const std::int32_t mode = state_.config.optMode[static_cast<std::size_t>(module - 1)].mode;
            if (mode == 2)
                return {{first, 128}};
            if (mode != 1)
                return {};
            const bool madi56 = output && state_.config.madiOut[static_cast<std::size_t>(module)].mode == 0;
            return {{first, madi56 ? kMadi56 : 64}};
        }
        case RouteType::kIp:
            return {{kIpFirst, 64}};
        default:
            if (type >= 0 && type < static_cast<std::int32_t>(kCardSlots) && capabilities_.cards) {
                return CardRuns(side, type + 1);
            }
            return {};
    }
}

std::string ChannelCatalog::FlowMark(RouteSide side, std::int32_t ipChannel) const {
    return side == RouteSide::Input ? FirstFlowCarrying(flows_->rxFlows, flows_->rxFlowSlots, ipChannel)
                                    : FirstFlowCarrying(flows_->txFlows, flows_->txFlowSlots, ipChannel);
}

std::vector<ChannelEntry> ChannelCatalog::Channels(RouteSide side, std::int32_t type, bool stereo) const {
    std::vector<ChannelEntry> entries;
    if (!capabilities_.matrix)
        return entries;
    const std::int32_t step = stereo ? 2 : 1;
    for (const Run& run : Runs(side, type)) {
        for (std::int32_t i = 0; i < run.count; i += step) {
            const std::int32_t channel = run.firstChannel + i;
            std::string text = stereo ? PairText(channel) : ChannelText(channel);
            if (type == RouteType::kIp && flows_ != nullptr)
                text += FlowMark(side, channel - kIpFirst + 1);
            entries.push_back({channel, std::move(text)});
        }
    }
    return entries;
}

}  // namespace velmar
