#include "console/FeatureViews.h"
#include "features/channeltools/view/InstallChannelTools.h"

namespace velmar {

void ChannelToolsInstallViews(MainWindow& window, ConsoleCore& core) {
    InstallChannelTools(window, core);
}

}  // namespace velmar
