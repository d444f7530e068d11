#include "device/ChannelMap.h"

#include <array>

namespace velmar {

namespace {

struct Range {
    std::int32_t first;
    std::int32_t last;
    Interface interface;
};

constexpr std::array<Range, 7> kFixedRanges{{
    {513, 528, Interface::Aes},
    {529, 560, Interface::Phd1},
    {561, 592, Interface::Phd2},
    {593, 656, Interface::Madi},
    {657, 784, Interface::Sfp1},
    {785, 912, Interface::Sfp2},
    {913, 976, Interface::Ip},
}};

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

}  // namespace velmar
