#include "console/DeviceMenu.h"

#include "device/FeatureGate.h"

namespace velmar {

namespace {

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
    const FrameFacts facts{c.mode, c.capabilities, c.version, c.features};
    const auto offers = [&](Feature feature) { return Offers(feature, facts); };
    menu.Add(C::Close, "Close").Separator();
    if (c.mode != DeviceMode::Application) {
        menu.Add(C::HwConfiguration, "HW configuration ...", offers(Feature::HwConfiguration))
            .Add(C::NetworkSettings, "Network settings ...")
            .Separator()
            .Add(C::FirmwareUpdate, "Firmware update ...")
            .Add(C::SwitchFirmware,
                 c.mode == DeviceMode::Recovery ? "Load application mode" : "Load recovery mode");
    } else {
        if (!offers(Feature::InputStatus)) {
            menu.Add(C::NetworkSettings, "Network settings ...").Separator();
        } else {
            menu.Add(C::InputStatus, "Input status ...").Separator();
            if (offers(Feature::ChannelLabels)) {
                menu.Add(C::ChannelLabels, "Channel labels ...")
                    .Add(C::GainSettings, "Gain settings ...", offers(Feature::GainSettings))
                    .Separator();
            }
            menu.Add(C::XyControl, "X-Y control ...", c.xyOption).Separator(c.xyOption);
            if (c.zelOption && c.capabilities.dante) {
                const bool levels = offers(Feature::LevelDetectors);
                menu.Add(C::LevelDetectors, "Level detectors ...", levels)
                    .Add(C::PpmStreams, "PPM streams ...", offers(Feature::PpmStreams))
                    .Separator(levels);
                const bool ipRouting = offers(Feature::IpFlows);
                menu.Add(C::ManualIpRouting, "Manual IP routing control ...", ipRouting)
                    .Add(C::AutoIpRouting, "Automatic IP routing control ...", offers(Feature::AutoRouting))
                    .Separator(ipRouting);
            }
        }
        menu.Add(C::FirmwareUpdate, "Firmware update ...")
            .Add(C::SwitchFirmware, "Load recovery mode")
            .Add(C::ClearSettings, "Clear settings", offers(Feature::FactoryClear));
    }
    if (offers(Feature::Restart))
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
