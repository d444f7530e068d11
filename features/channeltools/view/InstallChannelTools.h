#pragma once

namespace velmar {

class ConsoleCore;
class MainWindow;

// Plugs the channel tools into the device menu: input status, channel labels, gain settings
// and level detectors.
void InstallChannelTools(MainWindow& window, ConsoleCore& core);

}  // namespace velmar
