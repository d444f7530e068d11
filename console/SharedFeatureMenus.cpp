// The menu entries of the features whose windows still live in the shared folders; each moves
// to its feature's folder with the feature.
#include <array>

#include "console/DeviceMenu.h"
#include "device/features/SharedGates.h"

namespace velmar {

namespace {

using C = MenuCommand;
using G = MenuGroup;
using O = MenuRow::Option;

constexpr std::array kChannelTools{
    MenuRow{C::InputStatus, "Input status ...", G::Status, ChannelToolGate},
    MenuRow{C::ChannelLabels, "Channel labels ...", G::Labels, LabelsGate},
    MenuRow{C::GainSettings, "Gain settings ...", G::Labels, GainsGate},
};
constexpr std::array kRouting{MenuRow{C::XyControl, "X-Y control ...", G::XyControl, ChannelToolGate, O::Xy}};

}  // namespace

std::span<const MenuRow> IdentityMenuRows() {
    return {};
}
std::span<const MenuRow> ClockMenuRows() {
    return {};
}
std::span<const MenuRow> RoutingMenuRows() {
    return kRouting;
}
std::span<const MenuRow> FirmwareMenuRows() {
    return {};
}
std::span<const MenuRow> ChannelToolsMenuRows() {
    return kChannelTools;
}
std::span<const MenuRow> InterfacesMenuRows() {
    return {};
}
std::span<const MenuRow> SettingsMenuRows() {
    return {};
}

}  // namespace velmar
