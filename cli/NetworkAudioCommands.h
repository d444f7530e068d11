#pragma once

#include <ostream>

#include "cli/CliOptions.h"

namespace velmar {

class DryRunTransport;
class HeadlessConsole;
class PosixEventLoop;
class Session;

// A frame that has been read, as the network-audio commands work on it.
struct NetworkAudioFrame {
    Session& session;
    PosixEventLoop& loop;
    HeadlessConsole& console;
    DryRunTransport* dryRun = nullptr;  // set for --dry-run: hold what would change the frame
};

bool IsNetworkAudioCommand(CliCommand command);

// ppm, flows, flow, unicast-clock, autoroute: reads what they show, checks what they send the
// way the windows do, sends it and waits for the frame's answers. Returns the exit code.
int RunNetworkAudioCommand(const CliOptions& options, const NetworkAudioFrame& frame, std::ostream& out,
                           std::ostream& err);

}  // namespace velmar
