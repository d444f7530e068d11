#pragma once

#include <string>
#include <string_view>

#include "device/ConnectionState.h"

namespace velmar {

// How a frame runs, from the address text the device list writes ('*' recovery, '#' mode 2).
inline DeviceMode ModeOfAddressText(std::string_view text) {
    return text.starts_with('*')   ? DeviceMode::Recovery
           : text.starts_with('#') ? DeviceMode::Mode2
                                   : DeviceMode::Application;
}
// The address of such a text, without its mode mark.
inline std::string_view AddressOfAddressText(std::string_view text) {
    return ModeOfAddressText(text) == DeviceMode::Application ? text : text.substr(1);
}
// The text the device list writes for a frame at `address` in `mode`.
inline std::string AddressTextOf(std::string_view address, DeviceMode mode) {
    const std::string_view mark = mode == DeviceMode::Recovery ? "*" : mode == DeviceMode::Mode2 ? "#" : "";
    return std::string(mark) + std::string(address);
}

}  // namespace velmar
