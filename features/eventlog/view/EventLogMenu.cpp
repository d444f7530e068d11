#include "console/DeviceMenu.h"

namespace velmar {

// The log is a dock of the main window, not an entry of the device menu.
std::span<const MenuRow> EventLogMenuRows() {
    return {};
}

}  // namespace velmar
