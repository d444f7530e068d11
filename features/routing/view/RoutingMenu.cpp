#include <array>

#include "console/ConsoleCore.h"
#include "console/DeviceMenu.h"
#include "console/FeatureViews.h"
#include "console/MainWindow.h"
#include "features/routing/view/XyControlWindow.h"

namespace velmar {

namespace {

constexpr std::array kRoutingMenuRows{MenuRow{MenuCommand::XyControl, "X-Y control ...", MenuGroup::XyControl,
                                              ChannelToolGate, MenuRow::Option::Xy}};

}  // namespace

std::span<const MenuRow> RoutingMenuRows() {
    return kRoutingMenuRows;
}

// The routing area is part of the main window; the device menu opens X-Y control.
void RoutingInstallViews(MainWindow& window, ConsoleCore& core) {
    window.SetMenuHandler(MenuCommand::XyControl, [&window, &core] {
        if (!window.TargetIsConnectedFrame())
            return;
        XyControlWindow dialog(RoutingContext{core.GetSession(), core.GetPrompter(), core.GetFilePicker()},
                               &window);
        dialog.exec();
    });
}

}  // namespace velmar
