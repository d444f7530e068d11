#include "console/FeatureViews.h"

#include <string>
#include <vector>

#include "console/ConsoleCore.h"
#include "console/MainWindow.h"
#include "features/networkaudio/view/AutoIpRoutingDialog.h"
#include "features/networkaudio/view/ManualIpRoutingDialog.h"
#include "protocol/Ipv4Address.h"

namespace velmar {

namespace {

std::vector<std::string> ListedAddresses(const DeviceFinder& finder) {
    std::vector<std::string> addresses;
    for (const DeviceRow& row : finder.List().Rows())
        addresses.push_back(Ipv4Text(row.address));
    return addresses;
}

}  // namespace

void NetworkAudioInstallViews(MainWindow& window, ConsoleCore& core) {
    window.SetMenuHandler(MenuCommand::ManualIpRouting, [&window, &core] {
        if (!window.TargetIsConnectedFrame())
            return;
        ManualIpRoutingDialog dialog(
            core.GetSession(), core.GetPrompter(), [&core] { return ListedAddresses(core.Finder()); },
            &window);
        dialog.exec();
    });
    window.SetMenuHandler(MenuCommand::AutoIpRouting, [&window, &core] {
        if (!window.TargetIsConnectedFrame())
            return;
        AutoIpRoutingDialog dialog(core.GetSession(), core.GetPrompter(), &window);
        dialog.exec();
    });
}

}  // namespace velmar
