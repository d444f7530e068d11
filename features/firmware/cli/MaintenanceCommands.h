#pragma once

#include <cstdint>
#include <ostream>
#include <string_view>
#include <vector>

#include "cli/CliOptions.h"
#include "features/firmware/core/FirmwareImage.h"

namespace velmar {

// Why netset refuses its options.
inline constexpr std::string_view kNetSetForms = "netset takes either --dhcp or --ip A --mask M --gateway G";

enum class MaintenanceAction : std::uint8_t { Flash, Restart, Recovery, Application, FactoryReset, NetSet };

// velmar-cli's maintenance commands: flash, restart, recovery, application, factory-reset and
// netset. They ask nothing; with --dry-run they print the lines they would send.
class MaintenanceCommands {
  public:
    MaintenanceCommands(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
    int Run(const CliOptions& options, MaintenanceAction action);

  private:
    // `images` are the files of a flash, read once: what was checked is what is sent.
    int DryRun(const CliOptions& options, MaintenanceAction action, const std::vector<FirmwareImage>& images);
    int SettingsMessage(const CliOptions& options);
    int Connected(const CliOptions& options, MaintenanceAction action,
                  const std::vector<FirmwareImage>& images);

    std::ostream& out_;
    std::ostream& err_;
};

}  // namespace velmar
