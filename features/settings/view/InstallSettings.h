#pragma once

namespace velmar {

class ConsoleCore;
class MainWindow;
class SettingsDialog;

// Plugs the settings editor into the main window's Settings button: it opens the editor on the
// connected frame and, when the operator saves, applies the changes and follows up (read-back,
// restart offer). Returns nothing; the window and the core own everything it creates.
void InstallSettings(MainWindow& window, ConsoleCore& core);

}  // namespace velmar
