#pragma once

#include <string_view>

namespace velmar::sim {

// An address as frames carry it: four decimal octets 0..255 joined by dots, nothing else.
bool IsIpv4Text(std::string_view text);
// An address one host can have or send to: neither "no address" nor the broadcast address.
bool IsHostAddressText(std::string_view text);

}  // namespace velmar::sim
