#pragma once

namespace velmar {

class ConsoleCore;
class MainWindow;

// Plugs the maintenance items of the device menu into the main window: "Restart", the firmware
// mode switch, "Clear settings", "Network settings ..." (also for a listed frame that is not
// connected, by the UDP settings message) and "Firmware update ...".
void InstallMaintenance(MainWindow& window, ConsoleCore& core);

}  // namespace velmar
