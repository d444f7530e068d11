#include "console/FeatureViews.h"
#include "features/settings/view/InstallSettings.h"

namespace velmar {

void SettingsInstallViews(MainWindow& window, ConsoleCore& core) {
    InstallSettings(window, core);
}

}  // namespace velmar
