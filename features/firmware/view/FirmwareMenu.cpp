#include "console/DeviceMenu.h"

namespace velmar {

// Its entries (restart, modes, factory reset, flash, network) are the device menu's own rows.
std::span<const MenuRow> FirmwareMenuRows() {
    return {};
}

}  // namespace velmar
