#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "device/DeviceState.h"

namespace velmar {

// A frame's address settings as the network settings dialog and `netset` edit them.
struct NetworkChoice {
    bool automatic = false;  // obtain the address automatically (DHCP)
    std::string address, mask, gateway;

    friend bool operator==(const NetworkChoice&, const NetworkChoice&) = default;
};

// Why the choice cannot be given to a frame, or nothing. With the automatic choice the fields do
// not matter. A fixed address or mask of 0.0.0.0 or 255.255.255.255 would leave the frame
// unreachable, so it is refused; a gateway of 0.0.0.0 means "no gateway" and is allowed.
std::optional<std::string> NetworkChoiceProblem(const NetworkChoice& choice);

// The choice as the frame is to be given it: dotted texts in their plain form, and "0.0.0.0" for
// the three with the automatic choice. Only for a choice without a problem.
NetworkChoice NormalisedChoice(const NetworkChoice& choice);

// The frame's current settings.
NetworkChoice ChoiceOf(const LanSettings& lan);
// Stores a normalised choice into the frame image's settings, for the set request.
void StoreChoice(const NetworkChoice& choice, LanSettings& lan);

// Why a serial number from discovery cannot be quoted in the settings message, or nothing: it
// must be printable ASCII of 1 to 16 characters without a comma, a quote or a start character.
std::optional<std::string> SerialProblem(std::string_view serial);

// The UDP settings message for the frame with that serial number, ending in a carriage return.
struct SettingsMessage {
    std::string datagram;  // empty when refused
    std::string problem;
};
SettingsMessage BuildSettingsMessage(std::string_view serial, const NetworkChoice& choice);

}  // namespace velmar
