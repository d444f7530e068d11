#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>

#include "cli/CliOptions.h"
#include "cli/FrameConnection.h"

namespace velmar {

class RequestBatch;

// velmar-cli detectors and detector on a connected, read frame.
class LevelDetectorCommands {
  public:
    LevelDetectorCommands(std::ostream& out, std::ostream& err, const CliFrame& frame)
        : out_(out), err_(err), frame_(frame) {}

    using Command = int (LevelDetectorCommands::*)(const CliOptions& options);
    // Refuses a frame without level detectors (usage: it was never offered); otherwise the
    // command's exit code, or the read's when the command itself went well.
    int Run(Command command, const CliOptions& options);

    int Detectors(const CliOptions& options);
    int Detector(const CliOptions& options);

  private:
    // Waits for the outcome of each request of `batch` and names the ones not answered with
    // status 0; the exit code they give.
    int Settle(RequestBatch& batch, const CliOptions& options);
    std::int32_t FirstChannel() const;

    std::ostream& out_;
    std::ostream& err_;
    const CliFrame& frame_;
};

}  // namespace velmar
