#pragma once

#include <cstdint>
#include <string>

namespace velmar {

enum class Interface : std::uint8_t { Card, Aes, Phd1, Phd2, Madi, Sfp1, Sfp2, Ip, None };

// Where a mono channel lives: the interface, the card number (cards only) and the channel within
// the interface (for None: the channel number itself).
struct ChannelLocation {
    Interface interface = Interface::None;
    std::int32_t card = 0;
    std::int32_t index = 0;
};

ChannelLocation LocateChannel(std::int32_t channel);

}  // namespace velmar
