#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>

#include "cli/CliOptions.h"
#include "cli/FrameConnection.h"

namespace velmar {

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
    // Waits until every request sent has its answer; false (and says so) when some have none.
    bool AwaitAnswers(const CliOptions& options);
    // The requests the frame refused since `from`, named on stderr; their number.
    std::size_t ReportRefused(std::size_t from, const char* what);
    std::int32_t FirstChannel() const;

    std::ostream& out_;
    std::ostream& err_;
    const CliFrame& frame_;
};

}  // namespace velmar
