#pragma once

namespace velmar {

class ConsoleCore;
class MainWindow;

// Each feature's windows: plugs its menu entries' handlers (and any button or dock) into the
// main window. Defined in the feature's own folder; empty for a feature without windows.
#define VELMAR_FEATURE(name) void name##InstallViews(MainWindow& window, ConsoleCore& core);
#include "features/FeatureList.inc"
#undef VELMAR_FEATURE

// Every feature's windows, in the list's order.
inline void InstallFeatureViews(MainWindow& window, ConsoleCore& core) {
#define VELMAR_FEATURE(name) name##InstallViews(window, core);
#include "features/FeatureList.inc"
#undef VELMAR_FEATURE
}

}  // namespace velmar
