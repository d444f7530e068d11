#include "features/eventlog/view/EventLogViews.h"

#include "console/ConsoleCore.h"
#include "console/FeatureViews.h"
#include "console/MainWindow.h"
#include "features/eventlog/view/EventLogDock.h"

namespace velmar {

EventLogDock& InstallEventLog(MainWindow& window, ConsoleCore& core) {
    auto* dock = new EventLogDock(core.GetSession(), &window);
    window.addDockWidget(Qt::BottomDockWidgetArea, dock);
    RoutingArea& routing = window.Routing();
    dock->AddButton(QStringLiteral("Undo routing"), [&routing] { routing.Undo(); });
    dock->AddButton(QStringLiteral("Redo routing"), [&routing] { routing.Redo(); });
    return *dock;
}

void EventLogInstallViews(MainWindow& window, ConsoleCore& core) {
    InstallEventLog(window, core);
}

}  // namespace velmar
