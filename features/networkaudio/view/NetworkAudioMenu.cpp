#include <array>

#include "console/DeviceMenu.h"
#include "features/networkaudio/core/NetworkAudioModule.h"

namespace velmar {

namespace {

constexpr std::array kNetworkAudioMenuRows{
    MenuRow{MenuCommand::ManualIpRouting, "Manual IP routing control ...", MenuGroup::IpRouting,
            NetworkAudioGate, MenuRow::Option::Zel},
    MenuRow{MenuCommand::AutoIpRouting, "Automatic IP routing control ...", MenuGroup::IpRouting,
            NetworkAudioGate, MenuRow::Option::Zel},
};

}  // namespace

std::span<const MenuRow> NetworkAudioMenuRows() {
    return kNetworkAudioMenuRows;
}

}  // namespace velmar
