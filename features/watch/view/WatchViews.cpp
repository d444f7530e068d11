#include "console/ConsoleCore.h"
#include "console/FeatureViews.h"
#include "console/MainWindow.h"
#include "features/watch/view/TimelineWindow.h"
#include "platform/qt/FrameText.h"
#include "protocol/Ipv4Address.h"

namespace velmar {

void WatchInstallViews(MainWindow& window, ConsoleCore& core) {
    window.SetMenuHandler(MenuCommand::HealthTimeline, [&window, &core] {
        if (!window.TargetIsConnectedFrame())
            return;
        const ConnectionState& connection = core.GetSession().Connection();
        OpenHealthTimeline(&window, core, Ipv4Text(connection.connectedIp),
                           FrameTextToQString(connection.deviceNameText.View()));
    });
}

}  // namespace velmar
