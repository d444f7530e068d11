#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "device/ConnectionState.h"
#include "device/FrameCapabilities.h"

namespace velmar {

// The device context menu's command ids.
enum class MenuCommand : std::uint16_t {
    Separator = 0,
    Restart = 1501,
    ClearSettings = 1502,
    NetworkSettings = 1503,
    Refresh = 1505,
    Connect = 1506,
    Close = 1507,
    XyControl = 1508,
    FirmwareUpdate = 1509,
    SwitchFirmware = 1510,
    RemoveFromList = 1511,
    HwConfiguration = 1512,
    InputStatus = 1513,
    ManualIpRouting = 1517,
    AutoIpRouting = 1518,
    ChannelLabels = 1519,
    GainSettings = 1520,
    PpmStreams = 1521,
    LevelDetectors = 1522,
};

struct MenuEntry {
    MenuCommand command = MenuCommand::Separator;
    std::string_view text;
    friend bool operator==(const MenuEntry&, const MenuEntry&) = default;
};

// What the menu depends on: the selection, the connection and what the connected frame reported.
struct DeviceMenuContext {
    bool rowSelected = false;
    bool rowIsConnectedFrame = false;
    bool rowIsSavedDevice = false;  // the row's address text is one of the saved devices
    bool connected = false;
    DeviceMode mode = DeviceMode::Application;
    FrameCapabilities capabilities;
    std::int32_t version = 0;  // main software version number
    std::uint32_t features = 0;
    bool xyOption = false;
    bool zelOption = false;
};

// The items of the device context menu, in order; separators are entries with Separator.
std::vector<MenuEntry> DeviceMenuEntries(const DeviceMenuContext& context);

}  // namespace velmar
