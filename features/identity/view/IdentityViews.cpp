#include "console/DeviceMenu.h"
#include "console/FeatureViews.h"

namespace velmar {

// The main window itself shows the frame's identity.
std::span<const MenuRow> IdentityMenuRows() {
    return {};
}
void IdentityInstallViews(MainWindow&, ConsoleCore&) {}

}  // namespace velmar
