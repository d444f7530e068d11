#include "tools/InstallTools.h"

#include "console/MainWindow.h"
#include "tools/WindowManners.h"

namespace velmar {

void InstallWindowManners(MainWindow& window, ConsoleCore& core) {
    new WindowManners(window, core);  // owned by the window
}

}  // namespace velmar
