#include "console/ConsoleCore.h"
#include "console/FeatureViews.h"
#include "console/MainWindow.h"
#include "features/leveldetectors/view/LevelDetectorDialog.h"

namespace velmar {

void LevelDetectorsInstallViews(MainWindow& window, ConsoleCore& core) {
    window.SetMenuHandler(MenuCommand::LevelDetectors, [&window, &core] {
        Session& session = core.GetSession();
        if (session.IsReady())
            LevelDetectorDialog::RequestDetectors(session);
        LevelDetectorDialog dialog(session, core.GetPrompter(), &window);
        dialog.exec();
    });
}

}  // namespace velmar
