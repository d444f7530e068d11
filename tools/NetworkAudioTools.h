#pragma once

namespace velmar {

class ConsoleCore;
class MainWindow;

// Plugs the manual IP routing and automatic IP routing windows into the device menu.
void InstallNetworkAudioTools(MainWindow& window, ConsoleCore& core);

}  // namespace velmar
