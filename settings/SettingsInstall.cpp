#include "settings/SettingsInstall.h"

#include "console/ConsoleCore.h"
#include "console/MainWindow.h"
#include "settings/HwConfigWindow.h"

namespace velmar {

void InstallHardwareView(MainWindow& window, ConsoleCore& core) {
    window.SetMenuHandler(MenuCommand::HwConfiguration, [&window, &core] {
        if (!window.TargetIsConnectedFrame())
            return;
        HwConfigWindow dialog(core.GetSession().State().config, &window);
        dialog.exec();
    });
}

}  // namespace velmar
