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

// Whether an answer from `sender` (host order) can come from a frame: not from an unspecified,
// multicast, reserved or broadcast address (the limited broadcast, the loopback network's, or
// one of `localBroadcasts`, the directed broadcasts of this machine's networks). Such a source
// is forged or looped back, and a row for it would be a frame nobody can connect to.
bool IsFrameSource(std::uint32_t sender, std::span<const std::uint32_t> localBroadcasts);

// Turns one received datagram into a pending-answer entry: the sender's dotted address, a comma
// and the payload after ":edev,s," (one more comma at the end when the answer began with "!",
// which marks a frame that is going away). Nothing when the datagram is not a discovery answer,
// carries no payload, or its sender is not a frame's address (IsFrameSource).
std::optional<std::string> AcceptDiscoveryAnswer(std::span<const char> datagram, std::string_view sender,
                                                 std::span<const std::uint32_t> localBroadcasts = {});

}  // namespace velmar
