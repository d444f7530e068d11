#pragma once

#include <QApplication>
#include <QIcon>

#include "device/ConnectionState.h"

namespace velmar {

// The application: reads the option word, runs the main window and ends with it.
class Application final : public QApplication {
    Q_OBJECT

  public:
    Application(int& argc, char** argv);

    const ConsoleOptions& Options() const { return options_; }
    // Shows the main window and returns when it has closed.
    int Run();

    // The window icon: a small rack of frames.
    static QIcon AppIcon();

  private:
    ConsoleOptions options_;
};

}  // namespace velmar
