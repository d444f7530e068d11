#include "console/DeviceMenu.h"
#include "console/FeatureViews.h"

namespace velmar {

// The card pages belong to the settings editor.
std::span<const MenuRow> InterfacesMenuRows() {
    return {};
}
void InterfacesInstallViews(MainWindow&, ConsoleCore&) {}

}  // namespace velmar
