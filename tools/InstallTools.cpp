#include "tools/InstallTools.h"

#include "console/MainWindow.h"
#include "tools/EventLogDock.h"

namespace velmar {

EventLogDock& InstallEventLog(MainWindow& window, ConsoleCore& core) {
    auto* dock = new EventLogDock(core.GetSession(), &window);
    window.addDockWidget(Qt::BottomDockWidgetArea, dock);
    return *dock;
}

}  // namespace velmar
