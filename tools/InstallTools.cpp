#include "tools/InstallTools.h"

#include "console/MainWindow.h"
#include "tools/EventLogDock.h"
#include "tools/WindowManners.h"

namespace velmar {

EventLogDock& InstallEventLog(MainWindow& window, ConsoleCore& core) {
    auto* dock = new EventLogDock(core.GetSession(), &window);
    window.addDockWidget(Qt::BottomDockWidgetArea, dock);
    RoutingArea& routing = window.Routing();
    dock->AddButton(QStringLiteral("Undo routing"), [&routing] { routing.Undo(); });
    dock->AddButton(QStringLiteral("Redo routing"), [&routing] { routing.Redo(); });
    return *dock;
}

void InstallWindowManners(MainWindow& window, ConsoleCore& core) {
    new WindowManners(window, core);  // owned by the window
}

}  // namespace velmar
