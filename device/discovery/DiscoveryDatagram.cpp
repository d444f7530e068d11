#include "device/discovery/DiscoveryDatagram.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "protocol/Ipv4Address.h"

namespace velmar {

namespace {

constexpr std::size_t kMinimumAnswer = 7;
// ":edev,s," -- direction, word, comma, one-character status, comma.
constexpr std::size_t kAnswerHeader = 8;

}  // namespace

std::uint16_t DiscoveryPortFromEnvironment() {
    constexpr std::uint16_t kDefault = 10004;
    const char* text = std::getenv("VELMAR_DISCOVERY_PORT");
    if (text == nullptr)
        return kDefault;
    const std::string_view view{text};
    unsigned value = 0;
    const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value);
    if (error != std::errc{} || end != view.data() + view.size() || value < 1 || value > 65535)
        return kDefault;
    return static_cast<std::uint16_t>(value);
}

bool IsFrameSource(std::uint32_t sender, std::span<const std::uint32_t> localBroadcasts) {
    struct Block {
        std::uint32_t network;
        std::uint32_t mask;
    };
    static constexpr Block kNeverASource[] = {
        {0x00000000, 0xFF000000},  // 0.0.0.0/8, "this network", the unspecified address among them
        {0x7FFFFFFF, 0xFFFFFFFF},  // 127.255.255.255, the loopback network's broadcast
        {0xE0000000, 0xF0000000},  // 224.0.0.0/4, multicast
        {0xF0000000, 0xF0000000},  // 240.0.0.0/4, reserved, with the limited broadcast 255.255.255.255
    };
    for (const Block& block : kNeverASource) {
        if ((sender & block.mask) == block.network)
            return false;
    }
    return std::find(localBroadcasts.begin(), localBroadcasts.end(), sender) == localBroadcasts.end();
}

std::optional<std::string> AcceptDiscoveryAnswer(std::span<const char> datagram, std::string_view sender,
                                                 std::span<const std::uint32_t> localBroadcasts) {
    if (datagram.size() < kMinimumAnswer || datagram.size() > kMaxDiscoveryDatagram)
        return std::nullopt;
    const auto senderAddress = ParseIpv4(sender);
    if (!senderAddress || !IsFrameSource(*senderAddress, localBroadcasts))
        return std::nullopt;
    const char first = datagram.front();
    if ((first != ':' && first != '!') || datagram[1] != 'e' || datagram.back() != '\r')
        return std::nullopt;
    const auto body = datagram.first(datagram.size() - 1);
    // Control bytes never occur in a frame's answer; a datagram carrying them is someone else's
    // and would otherwise put unprintable text (or a cut-off name) into the device list.
    if (std::any_of(body.begin(), body.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
        return std::nullopt;
    }
    if (body.size() <= kAnswerHeader)
        return std::nullopt;
    std::string entry;
    entry.reserve(sender.size() + 1 + body.size() - kAnswerHeader + 1);
    entry.append(sender);
    entry.push_back(',');
    entry.append(body.begin() + kAnswerHeader, body.end());
    if (first == '!')
        entry.push_back(',');
    return entry;
}

}  // namespace velmar
