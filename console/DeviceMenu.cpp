#include "console/DeviceMenu.h"

namespace velmar {

namespace {

constexpr std::int32_t kLabelsVersion = 1040001;     // labels and gains come after this one
constexpr std::int32_t kIpRoutingVersion = 1020002;  // IP routing from this one on
constexpr std::uint32_t kLevelDetectorFeature = 1u << 0;
constexpr std::uint32_t kGainFeature = 1u << 1;

using C = MenuCommand;
constexpr MenuEntry kSeparator{};

class MenuBuilder {
  public:
    MenuBuilder& Add(C command, std::string_view text, bool when = true) {
        if (when)
            entries_.push_back({command, text});
        return *this;
    }
    MenuBuilder& Separator(bool when = true) {
        if (when)
            entries_.push_back(kSeparator);
        return *this;
    }
    std::vector<MenuEntry> Take() { return std::move(entries_); }

  private:
    std::vector<MenuEntry> entries_;
};

void AddConnectedFrameItems(const DeviceMenuContext& c, MenuBuilder& menu) {
    const bool hasMatrix = c.capabilities.matrix;
    menu.Add(C::Close, "Close").Separator();
    if (c.mode != DeviceMode::Application) {
        menu.Add(C::HwConfiguration, "HW configuration ...", hasMatrix)
            .Add(C::NetworkSettings, "Network settings ...")
            .Separator()
            .Add(C::FirmwareUpdate, "Firmware update ...")
            .Add(C::SwitchFirmware,
                 c.mode == DeviceMode::Recovery ? "Load application mode" : "Load recovery mode");
    } else {
        if (!hasMatrix) {
            menu.Add(C::NetworkSettings, "Network settings ...").Separator();
        } else {
            menu.Add(C::InputStatus, "Input status ...").Separator();
            if (c.version > kLabelsVersion) {
                menu.Add(C::ChannelLabels, "Channel labels ...")
                    .Add(C::GainSettings, "Gain settings ...", (c.features & kGainFeature) != 0)
                    .Separator();
            }
            menu.Add(C::XyControl, "X-Y control ...", c.xyOption).Separator(c.xyOption);
            if (c.zelOption && c.capabilities.dante) {
                const bool levels = (c.features & kLevelDetectorFeature) != 0;
                menu.Add(C::LevelDetectors, "Level detectors ...", levels)
                    .Add(C::PpmStreams, "PPM streams ...", levels)
                    .Separator(levels);
                const bool ipRouting = c.version >= kIpRoutingVersion;
                menu.Add(C::ManualIpRouting, "Manual IP routing control ...", ipRouting)
                    .Add(C::AutoIpRouting, "Automatic IP routing control ...", ipRouting)
                    .Separator(ipRouting);
            }
        }
        menu.Add(C::FirmwareUpdate, "Firmware update ...")
            .Add(C::SwitchFirmware, "Load recovery mode")
            .Add(C::ClearSettings, "Clear settings", hasMatrix);
    }
    if (c.mode != DeviceMode::Recovery)
        menu.Separator().Add(C::Restart, "Restart");
}

}  // namespace

std::vector<MenuEntry> DeviceMenuEntries(const DeviceMenuContext& context) {
    MenuBuilder menu;
    if (context.rowSelected && !context.rowIsConnectedFrame) {
        menu.Add(C::Connect, "Connect")
            .Separator()
            .Add(C::RemoveFromList, "Remove from list", context.rowIsSavedDevice)
            .Separator(context.rowIsSavedDevice)
            .Add(C::NetworkSettings, "Change Network settings ...");
    } else if (context.rowSelected || context.connected) {
        AddConnectedFrameItems(context, menu);
    } else {
        menu.Add(C::Refresh, "Refresh");
    }
    return menu.Take();
}

}  // namespace velmar
