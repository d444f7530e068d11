#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "device/DeviceState.h"

namespace velmar {

// Why a fixed address choice cannot be sent, or nothing. An address or mask of 0.0.0.0 or
// 255.255.255.255 (or none at all) would leave the frame unreachable; a gateway may be 0.0.0.0
// (no gateway) but not 255.255.255.255. `where` names the interface: "the frame", "the Dante
// primary interface".
std::optional<std::string> FixedAddressProblem(std::string_view ip, std::string_view mask,
                                               std::string_view gateway, std::string_view where);

// The checks the edits must pass before anything is sent: the fixed addresses of the frame and,
// when it has one, of its Dante interfaces, each only where `edited` changes it from `opened` (an
// address the frame already holds is not sent again). Ranges and texts are checked where the
// values are taken (pages, file).
std::optional<std::string> NetworkSettingsProblem(const ConfigBlock& opened, const ConfigBlock& edited,
                                                  bool dante);

}  // namespace velmar
