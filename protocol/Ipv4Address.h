#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmar {

// The one reading of an IPv4 address text, for every window, file and command: four decimal
// numbers 0..255 joined by dots, nothing else. Blanks, signs, a missing or extra part and leading
// zeros are refused: "010" is eight to some tools and ten to others, so it is refused rather than
// guessed at. Every text taken is the very text Ipv4Text gives back for it, so an address is
// never altered on its way to a frame or a file.
std::optional<std::uint32_t> ParseIpv4(std::string_view text);

// The same reading, with the reason when the text is not an address: the first part that is out
// of range or written with a leading zero, a character that has no place in an address, or the
// wrong number of parts, as one sentence for the operator.
struct Ipv4Reading {
    std::optional<std::uint32_t> address;
    std::string problem;
};
Ipv4Reading ReadIpv4(std::string_view text);

// The dotted text of a host-order address.
std::string Ipv4Text(std::uint32_t address);

}  // namespace velmar
