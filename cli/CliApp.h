#pragma once

#include <ostream>
#include <span>

#include "cli/CliOptions.h"
#include "routing/core/CrosspointFile.h"

namespace velmar {

class HeadlessConsole;
class PosixEventLoop;
class Session;

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNotResponding = 3;

// Runs one velmar-cli command on the console core over POSIX sockets and returns the exit code.
class CliApp {
  public:
    CliApp(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
    int Run(const CliOptions& options);

  private:
    // A frame whose state has been read, and the loop that serves its link.
    struct FrameLink {
        Session& session;
        PosixEventLoop& loop;
        HeadlessConsole& console;
    };
    struct RouteOutcome {
        std::size_t answered = 0;
        std::size_t refused = 0;
        std::int32_t lastRefusal = 0;
    };

    int Discover(const CliOptions& options);
    int Probe(const CliOptions& options);
    int Connected(const CliOptions& options);
    // Names on stderr what kept the frame from being read: the requests still without an answer.
    void ReportUnanswered(const HeadlessConsole& console, const CliOptions& options);
    int Routes(const CliOptions& options, const FrameLink& frame);
    int Route(const CliOptions& options, const FrameLink& frame);
    int LoadRoutes(const CliOptions& options, const FrameLink& frame);
    // Sends the crosspoints and waits until the frame has answered each of them (an answer is the
    // scross reply for that crosspoint, not any scross reply), or the timeout.
    RouteOutcome SendCrosspoints(std::span<const Crosspoint> crosspoints, const CliOptions& options,
                                 const FrameLink& frame);

    std::ostream& out_;
    std::ostream& err_;
};

}  // namespace velmar
