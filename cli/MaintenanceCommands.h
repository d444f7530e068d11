#pragma once

#include <ostream>

#include "cli/CliOptions.h"

namespace velmar {

// velmar-cli's maintenance commands: flash, restart, recovery, application, factory-reset and
// netset. They ask nothing; with --dry-run they print the lines they would send.
class MaintenanceCommands {
  public:
    MaintenanceCommands(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
    int Run(const CliOptions& options);

  private:
    int DryRun(const CliOptions& options);
    int SettingsMessage(const CliOptions& options);
    int Connected(const CliOptions& options);

    std::ostream& out_;
    std::ostream& err_;
};

}  // namespace velmar
