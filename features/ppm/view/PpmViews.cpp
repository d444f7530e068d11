#include "console/ConsoleCore.h"
#include "console/FeatureViews.h"
#include "console/MainWindow.h"
#include "features/ppm/view/PpmDialog.h"

namespace velmar {

void PpmInstallViews(MainWindow& window, ConsoleCore& core) {
    window.SetMenuHandler(MenuCommand::PpmStreams, [&window, &core] {
        if (!window.TargetIsConnectedFrame())
            return;
        PpmDialog dialog(core.GetSession(), core.GetPrompter(), &window);
        dialog.exec();
    });
}

}  // namespace velmar
