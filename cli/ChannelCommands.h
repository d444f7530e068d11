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

// The options only the channel-tool commands take: --load, --enable, --disable, --t1, --t2.
bool IsChannelOption(const std::string& arg);
// Reads args[i] (and its value, moving i past it) into `options`; a message when it cannot.
std::string ReadChannelOption(const std::vector<std::string>& args, std::size_t& i, CliOptions& options);
// inputs, labels, label, gains, detectors, detector.
CliFeature ChannelCliCommands();

// velmar-cli inputs, labels, label, gains, detectors and detector on a connected, read frame.
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
    int Detectors(const CliOptions& options);
    int Detector(const CliOptions& options);

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
