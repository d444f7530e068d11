#include <QMenu>
#include <QMenuBar>

#include "console/ConsoleCore.h"
#include "console/DeviceMenu.h"
#include "console/FeatureViews.h"
#include "console/MainWindow.h"
#include "device/AddressText.h"
#include "features/watch/view/Rack.h"
#include "features/watch/view/RackDock.h"
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

// The rack is a dock, not an entry of the device menu.
std::span<const MenuRow> WatchMenuRows() {
    return {};
}

void WatchInstallViews(MainWindow& window, ConsoleCore& core) {
    Rack& rack = core.Keep<Rack>(core);
    auto focus = [&window](const std::string& addressText) {
        // As the device list's double-click: nothing for the frame already focused.
        const ConnectionState& connection = window.GetSession().Connection();
        if (connection.connected && ParseIpv4(AddressOfAddressText(addressText)) == connection.connectedIp)
            return;
        window.ConnectAddress(addressText);
    };
    auto* dock = new RackDock(rack, focus, &window);
    window.addDockWidget(Qt::LeftDockWidgetArea, dock);
    ViewMenu(window).addAction(dock->toggleViewAction());
}

}  // namespace velmar
