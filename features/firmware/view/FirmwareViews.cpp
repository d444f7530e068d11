#include "console/FeatureViews.h"
#include "features/firmware/view/MaintenanceActions.h"

namespace velmar {

void FirmwareInstallViews(MainWindow& window, ConsoleCore& core) {
    InstallMaintenance(window, core);
}

}  // namespace velmar
