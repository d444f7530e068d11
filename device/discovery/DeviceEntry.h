#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmar {

// The five device-list columns, in display order.
enum class DeviceColumn : std::uint8_t { Address = 0, Id = 1, Name = 2, Type = 3, Serial = 4 };
inline constexpr std::size_t kDeviceColumnCount = 5;

// One frame as the device list shows it. The texts are UTF-8: the frame's 8-bit texts decoded by
// the one rule of protocol/TextEncoding.h.
struct DeviceRow {
    std::uint32_t address = 0;  // host order; rows are matched by it
    std::array<std::string, kDeviceColumnCount> columns{};

    const std::string& Column(DeviceColumn column) const { return columns[static_cast<std::size_t>(column)]; }
    std::string& Column(DeviceColumn column) { return columns[static_cast<std::size_t>(column)]; }
};

// A pending-answer or saved-device entry read into a row: "address,mode,id,'name','type','serial'"
// with a trailing comma when the frame is going away. Reading stops at the first field that lacks
// its comma; the row keeps what was read up to there.
struct DeviceEntry {
    DeviceRow row;
    bool valid = false;      // the address text is a dotted IPv4 address
    bool goingAway = false;  // the serial number was followed by a comma ("!" answer)

    static DeviceEntry Parse(std::string_view entry);
};

}  // namespace velmar
