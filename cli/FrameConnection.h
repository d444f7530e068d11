#pragma once

#include "cli/CliCommand.h"

namespace velmar {

class DryRunTransport;
class HeadlessConsole;
class PosixEventLoop;
class Session;

// A frame connected and read (completely or not) for one command.
struct CliFrame {
    Session& session;
    PosixEventLoop& loop;
    HeadlessConsole& console;
    DryRunTransport* dryRun;  // with --dry-run: passes everything on until the command holds it
    bool complete;            // every request of the reading had its answer
    // The exit code the reading gives a command that only shows what arrived.
    int ReadResult() const;
};

// What a command does when the frame was not read completely within the timeout.
enum class IncompleteRead {
    Fails,  // changing a frame that has not been read would be working blind
    Shows,  // a command that only reads shows what did arrive
};

using CliFrameRun = int (*)(const CliOptions& options, const CliFrame& frame, const CliStreams& streams);

// Connects to the frame the options name, reads it and runs `command` on it; the exit code.
int RunOnFrame(const CliOptions& options, const CliStreams& streams, IncompleteRead incomplete,
               CliFrameRun command);

// `command` as a row's run function.
template <IncompleteRead incomplete, CliFrameRun command>
int OnReadFrame(const CliOptions& options, const CliStreams& streams) {
    return RunOnFrame(options, streams, incomplete, command);
}

}  // namespace velmar
