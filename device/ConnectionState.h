#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include "device/DeviceState.h"
#include "device/FrameCapabilities.h"

namespace velmar {

// How the selected frame runs, from the first character of its device-list address.
enum class DeviceMode : std::int32_t { Recovery = 0, Application = 1, Mode2 = 2 };

// Command-line options of the console.
struct ConsoleOptions {
    bool telnet = false;
    bool xy = false;
    bool zel = false;
    // A watch connection: it reads only the frame's health and never its cards or settings.
    bool healthOnly = false;
};

// The connection fields kept beside DeviceState: they survive a reconnection and are not part of
// the frame's image.
struct ConnectionState {
    bool connected = false;
    std::uint32_t connectedIp = 0;  // host order, 0 when none
    std::int32_t linkPort = 10003;
    TextField<16> targetIpText;
    DeviceMode deviceMode = DeviceMode::Application;
    FrameCapabilities capabilities;  // from the device-list row, then from the frame itself
    bool receiveReady = true;
    std::int32_t aliveCounter = 0;
    ConsoleOptions options;
    TextField<17> deviceNameText;  // the frame name shown in the title
    // Set while the link is down because the frame went silent or closed it: when that was. The
    // frame's last known state (and its name) is kept for the windows until the next connect.
    std::optional<std::chrono::system_clock::time_point> lostSince;
};

}  // namespace velmar
