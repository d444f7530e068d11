#include <array>

#include "console/DeviceMenu.h"
#include "features/channeltools/core/ChannelToolsGates.h"

namespace velmar {

namespace {

using C = MenuCommand;
using G = MenuGroup;

constexpr std::array kChannelToolsMenuRows{
    MenuRow{C::InputStatus, "Input status ...", G::Status, ChannelToolGate},
    MenuRow{C::ChannelLabels, "Channel labels ...", G::Labels, LabelsGate},
    MenuRow{C::GainSettings, "Gain settings ...", G::Labels, GainsGate},
};

}  // namespace

std::span<const MenuRow> ChannelToolsMenuRows() {
    return kChannelToolsMenuRows;
}

}  // namespace velmar
