#pragma once

#include <ostream>
#include <vector>

#include "cli/CliOptions.h"
#include "tools/core/FirmwareImage.h"

namespace velmar {

// velmar-cli's maintenance commands: flash, restart, recovery, application, factory-reset and
// netset. They ask nothing; with --dry-run they print the lines they would send.
class MaintenanceCommands {
  public:
    MaintenanceCommands(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
    int Run(const CliOptions& options);

  private:
    // `images` are the files of a flash, read once: what was checked is what is sent.
    int DryRun(const CliOptions& options, const std::vector<FirmwareImage>& images);
    int SettingsMessage(const CliOptions& options);
    int Connected(const CliOptions& options, const std::vector<FirmwareImage>& images);

    std::ostream& out_;
    std::ostream& err_;
};

}  // namespace velmar
