#pragma once

namespace velmar {

class ConsoleCore;
class MainWindow;
// Minimum and first size, remembered geometry, docks and splitter, Enter on a device row. After
// every dock is installed, so that their places are restored too.
void InstallWindowManners(MainWindow& window, ConsoleCore& core);

}  // namespace velmar
