// The windows of the features that still live in the shared folders; each moves to its
// feature's folder with the feature.
#include "console/FeatureViews.h"
#include "settings/InstallSettings.h"
#include "tools/InstallChannelTools.h"
#include "tools/MaintenanceActions.h"

namespace velmar {

// The main window itself shows the frame's identity, clock and routing, and opens X-Y control.
void IdentityInstallViews(MainWindow&, ConsoleCore&) {}
void ClockInstallViews(MainWindow&, ConsoleCore&) {}
void RoutingInstallViews(MainWindow&, ConsoleCore&) {}

void FirmwareInstallViews(MainWindow& window, ConsoleCore& core) {
    InstallMaintenance(window, core);
}

void ChannelToolsInstallViews(MainWindow& window, ConsoleCore& core) {
    InstallChannelTools(window, core);
}

// The card pages belong to the settings editor.
void InterfacesInstallViews(MainWindow&, ConsoleCore&) {}

void SettingsInstallViews(MainWindow& window, ConsoleCore& core) {
    InstallSettings(window, core);
}

}  // namespace velmar
