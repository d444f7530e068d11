#include "console/DeviceMenu.h"

namespace velmar {

// The editor opens from the main window's Settings button, not from the device menu.
std::span<const MenuRow> SettingsMenuRows() {
    return {};
}

}  // namespace velmar
