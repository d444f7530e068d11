#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace velmar {

// The query every frame answers with its identity: "?edev" and a carriage return.
inline constexpr std::string_view kDiscoveryQuery = "?edev\r";
// Answers longer than this are foreign: a frame's answer always fits.
inline constexpr std::size_t kMaxDiscoveryDatagram = 256;

// The console's UDP port for discovery answers; VELMAR_DISCOVERY_PORT moves it.
std::uint16_t DiscoveryPortFromEnvironment();

// Turns one received datagram into a pending-answer entry: the sender's dotted address, a comma
// and the payload after ":edev,s," (one more comma at the end when the answer began with "!",
// which marks a frame that is going away). Nothing when the datagram is not a discovery answer or
// carries no payload.
std::optional<std::string> AcceptDiscoveryAnswer(std::span<const char> datagram, std::string_view sender);

}  // namespace velmar
