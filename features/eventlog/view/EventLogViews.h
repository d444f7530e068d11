#pragma once

namespace velmar {

class ConsoleCore;
class MainWindow;
class EventLogDock;

// Puts the event log dock on the main window; returns it (owned by the window).
EventLogDock& InstallEventLog(MainWindow& window, ConsoleCore& core);

}  // namespace velmar
