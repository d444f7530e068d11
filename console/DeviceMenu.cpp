#include "console/DeviceMenu.h"

#include <algorithm>

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

bool Shows(const MenuRow& row, const DeviceMenuContext& c) {
    if ((row.option == MenuRow::Option::Xy && !c.xyOption) ||
        (row.option == MenuRow::Option::Zel && !c.zelOption))
        return false;
    return row.gate == nullptr || row.gate({c.mode, c.capabilities, c.version, c.features}).empty();
}

// The features' tools, walked group by group in the list's order.
void AddFeatureRows(const DeviceMenuContext& c, MenuBuilder& menu) {
    static const std::vector<MenuRow> rows = [] {
        std::vector<MenuRow> all;
#define VELMAR_FEATURE(name)                    \
    for (const MenuRow& row : name##MenuRows()) \
        all.push_back(row);
#include "features/FeatureList.inc"
#undef VELMAR_FEATURE
        std::stable_sort(all.begin(), all.end(),
                         [](const MenuRow& a, const MenuRow& b) { return a.group < b.group; });
        return all;
    }();
    for (std::size_t i = 0; i < rows.size();) {
        bool shown = false;
        const MenuGroup group = rows[i].group;
        for (; i < rows.size() && rows[i].group == group; ++i) {
            if (Shows(rows[i], c)) {
                menu.Add(rows[i].command, rows[i].text);
                shown = true;
            }
        }
        menu.Separator(shown);
    }
}

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
            AddFeatureRows(c, menu);
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
