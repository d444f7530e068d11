#include "console/DeviceMenu.h"
#include "console/FeatureViews.h"

namespace velmar {

// The rack is watched from velmar-cli for now; the console has no window for it yet.
std::span<const MenuRow> WatchMenuRows() {
    return {};
}
void WatchInstallViews(MainWindow&, ConsoleCore&) {}

}  // namespace velmar
