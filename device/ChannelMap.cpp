#include "device/ChannelMap.h"

#include <array>

namespace velmar {

namespace {

struct Range {
    std::int32_t first;
    std::int32_t last;
    Interface interface;
    const char* prefix;
};

constexpr std::array<Range, 7> kFixedRanges{{
    {513, 528, Interface::Aes, "AES  "},
    {529, 560, Interface::Phd1, "PHD1  "},
    {561, 592, Interface::Phd2, "PHD2  "},
    {593, 656, Interface::Madi, "MADI  "},
    {657, 784, Interface::Sfp1, "SFP1  "},
    {785, 912, Interface::Sfp2, "SFP2  "},
    {913, 976, Interface::Ip, "IP  "},
}};

std::string TwoDigits(std::int32_t value) {
    return (value >= 0 && value < 10 ? "0" : "") + std::to_string(value);
}

}  // namespace

ChannelLocation LocateChannel(std::int32_t channel) {
    if (channel >= 1 && channel <= 512)
        return {Interface::Card, (channel - 1) / 64 + 1, (channel - 1) % 64 + 1};
    if (channel >= 1025 && channel <= 1536) {
        return {Interface::Card, (channel - 1025) / 64 + 1, (channel - 1025) % 64 + 65};
    }
    for (const Range& range : kFixedRanges) {
        if (channel >= range.first && channel <= range.last) {
            return {range.interface, 0, channel - range.first + 1};
        }
    }
    return {Interface::None, 0, channel};
}

std::string ChannelName(std::int32_t channel) {
    const ChannelLocation where = LocateChannel(channel);
    if (where.interface == Interface::Card) {
        return "CARD" + std::to_string(where.card) + "  " + TwoDigits(where.index);
    }
    if (where.interface == Interface::None)
        return "CHN  " + TwoDigits(channel);
    return kFixedRanges[static_cast<std::size_t>(where.interface) - 1].prefix + TwoDigits(where.index);
}

}  // namespace velmar
