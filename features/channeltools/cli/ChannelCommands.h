#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliOptions.h"

namespace velmar {

class HeadlessConsole;
class PosixEventLoop;
class RequestBatch;
class Session;

// velmar-cli inputs, labels, label and gains on a connected, read frame.
class ChannelCommands {
  public:
    struct Frame {
        Session& session;
        PosixEventLoop& loop;
        HeadlessConsole& console;
    };

    ChannelCommands(std::ostream& out, std::ostream& err, Frame frame)
        : out_(out), err_(err), frame_(frame) {}
    using Tool = int (ChannelCommands::*)(const CliOptions& options);
    // `readResult` is the exit code the reading of the frame gave.
    int Run(Tool tool, const CliOptions& options, int readResult);

    int Inputs(const CliOptions& options);
    int Labels(const CliOptions& options);  // with --load: LoadLabels
    int Label(const CliOptions& options);
    int Gains(const CliOptions& options);

  private:
    int SaveLabels(const CliOptions& options);
    int LoadLabels(const CliOptions& options);

    // Waits for the outcomes of the command's own requests, names what failed; the exit code.
    int Settle(RequestBatch& batch, const CliOptions& options);
    std::int32_t FirstChannel() const;

    std::ostream& out_;
    std::ostream& err_;
    Frame frame_;
};

}  // namespace velmar
