#include <QMenu>
#include <QMenuBar>

#include "console/ConsoleCore.h"
#include "console/FeatureViews.h"
#include "console/MainWindow.h"
#include "device/AddressText.h"
#include "features/watch/view/Rack.h"
#include "features/watch/view/RackDock.h"
#include "features/watch/view/TimelineWindow.h"
#include "platform/qt/FrameText.h"
#include "protocol/Ipv4Address.h"

namespace velmar {

namespace {

// The main window's View menu, made by the first dock that needs it.
QMenu& ViewMenu(MainWindow& window) {
    for (QAction* action : window.menuBar()->actions()) {
        if (action->menu() != nullptr && action->objectName() == QStringLiteral("viewMenu"))
            return *action->menu();
    }
    QMenu* menu = window.menuBar()->addMenu(QStringLiteral("&View"));
    menu->menuAction()->setObjectName(QStringLiteral("viewMenu"));
    return *menu;
}

}  // namespace

void WatchInstallViews(MainWindow& window, ConsoleCore& core) {
    window.SetMenuHandler(MenuCommand::HealthTimeline, [&window, &core] {
        if (!window.TargetIsConnectedFrame())
            return;
        const ConnectionState& connection = core.GetSession().Connection();
        OpenHealthTimeline(&window, core, Ipv4Text(connection.connectedIp),
                           FrameTextToQString(connection.deviceNameText.View()));
    });
    Rack& rack = core.Keep<Rack>(core);
    auto focus = [&window](const std::string& addressText) {
        // As the device list's double-click: nothing for the frame already focused.
        const ConnectionState& connection = window.GetSession().Connection();
        if (connection.connected && ParseIpv4(AddressOfAddressText(addressText)) == connection.connectedIp)
            return;
        window.ConnectAddress(addressText);
    };
    auto* dock = new RackDock(rack, focus, &window);
    dock->SetTimelineOpener([&window, &core](const std::string& address, const QString& name) {
        OpenHealthTimeline(&window, core, address, name);
    });
    window.addDockWidget(Qt::LeftDockWidgetArea, dock);
    ViewMenu(window).addAction(dock->toggleViewAction());
}

}  // namespace velmar
