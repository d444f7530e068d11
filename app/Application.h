#pragma once

#include <QApplication>
#include <QIcon>

#include "app/ConsoleArguments.h"

namespace velmar {

// The application: reads the option word, runs the main window and ends with it.
class Application final : public QApplication {
    Q_OBJECT

  public:
    Application(int& argc, char** argv);

    const ConsoleOptions& Options() const { return arguments_.options; }
    // Shows the main window (connecting to the frame of --connect) and returns when it has closed.
    int Run();

    // The window icon: a small rack of frames.
    static QIcon AppIcon();

  private:
    ConsoleArguments arguments_;
};

}  // namespace velmar
