#pragma once

namespace velmar {

class ConsoleCore;
class MainWindow;

// Plugs the hardware view into the main window's device menu.
void InstallHardwareView(MainWindow& window, ConsoleCore& core);

}  // namespace velmar
