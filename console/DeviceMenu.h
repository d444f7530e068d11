#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "device/ConnectionState.h"
#include "device/FrameCapabilities.h"
#include "device/features/FrameFacts.h"

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
    HealthTimeline = 1523,
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

// The groups of the tools of a connected frame in application mode, in the menu's order.
enum class MenuGroup : std::uint8_t { Status, Labels, XyControl, Meters, IpRouting };

// A feature's entry among the tools of a connected frame in application mode. The entries are
// shown by group, in the list's order within a group, with a separator after every group that
// shows one.
struct MenuRow {
    enum class Option : std::uint8_t { None, Xy, Zel };  // the option word the entry needs

    MenuCommand command = MenuCommand::Separator;
    std::string_view text;
    MenuGroup group = MenuGroup::Status;
    FeatureGate gate = nullptr;  // null: every frame with a matrix has it
    Option option = Option::None;
};

// Each feature's menu entries, defined in its own folder (empty for a feature without any).
#define VELMAR_FEATURE(name) std::span<const MenuRow> name##MenuRows();
#include "features/FeatureList.inc"
#undef VELMAR_FEATURE

// The items of the device context menu, in order; separators are entries with Separator.
std::vector<MenuEntry> DeviceMenuEntries(const DeviceMenuContext& context);

}  // namespace velmar
