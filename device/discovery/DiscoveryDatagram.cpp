#include "device/discovery/DiscoveryDatagram.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

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

std::optional<std::string> AcceptDiscoveryAnswer(std::span<const char> datagram, std::string_view sender) {
    if (datagram.size() < kMinimumAnswer || datagram.size() > kMaxDiscoveryDatagram)
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
