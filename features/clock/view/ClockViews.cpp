#include "console/DeviceMenu.h"
#include "console/FeatureViews.h"

namespace velmar {

// The main window's status panel shows the clock.
std::span<const MenuRow> ClockMenuRows() {
    return {};
}
void ClockInstallViews(MainWindow&, ConsoleCore&) {}

}  // namespace velmar
