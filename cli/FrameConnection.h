#pragma once

#include <chrono>
#include <functional>
#include <ostream>

#include "cli/CliCommand.h"
#include "device/FeatureGate.h"

namespace velmar {

class DryRunTransport;
class HeadlessConsole;
class PosixEventLoop;
class RequestBatch;
class Session;

// A frame connected and read (completely or not) for one command.
struct CliFrame {
    Session& session;
    PosixEventLoop& loop;
    HeadlessConsole& console;
    DryRunTransport* dryRun;  // with --dry-run: passes everything on until the command holds it
    bool complete;            // every request of the reading had its answer
    // The exit code the reading gives a command that only shows what arrived: not responding when
    // it is incomplete, a failure (each named on `err`) when the frame refused part of it.
    // The words in `unshown` are read but not shown by the command: their refusal is not its.
    int ReadResult(std::ostream& err, std::initializer_list<CommandCode> unshown = {}) const;
};

// What a command does when the frame was not read completely within the timeout.
enum class IncompleteRead {
    Fails,  // changing a frame that has not been read would be working blind
    Shows,  // a command that only reads shows what did arrive
};

using CliFrameRun = int (*)(const CliOptions& options, const CliFrame& frame, const CliStreams& streams);

// What a command reads before it runs: the whole frame, or all but the cards (routing).
enum class Reading { Whole, WithoutCards };

// Connects to the frame the options name, reads it and runs `command` on it; the exit code. With
// a `gate`, a frame that does not offer the feature gets nothing and the exit code says usage.
// `command` may carry state of its own (a show visits frame after frame with one step).
int RunOnFrame(const CliOptions& options, const CliStreams& streams, IncompleteRead incomplete,
               const std::function<int(const CliOptions&, const CliFrame&, const CliStreams&)>& command,
               const Feature* gate = nullptr, Reading reading = Reading::Whole);

// `command` as a row's run function.
template <IncompleteRead incomplete, CliFrameRun command>
int OnReadFrame(const CliOptions& options, const CliStreams& streams) {
    return RunOnFrame(options, streams, incomplete, command);
}

// `command` as a row's run function, for frames that offer `feature`.
template <Feature feature, IncompleteRead incomplete, CliFrameRun command, Reading reading = Reading::Whole>
int OnFrameOffering(const CliOptions& options, const CliStreams& streams) {
    static constexpr Feature gate = feature;
    return RunOnFrame(options, streams, incomplete, command, &gate, reading);
}

// "velmar-cli: 127.0.0.5 runs its recovery firmware: ..." when the frame does not offer
// `feature`; the exit code (ok when it does).
int CheckGate(Feature feature, const CliOptions& options, const Session& session, std::ostream& err);

// Runs the loop until each request of `batch` has its outcome, the link is lost or `timeout`
// passes, and names on stderr every request not answered with status 0. The exit code: ok when
// all were, not responding when one is without an answer, else failure.
int AwaitOutcomes(PosixEventLoop& loop, const HeadlessConsole& console, RequestBatch& batch,
                  std::chrono::milliseconds timeout, std::ostream& err);
// The same for a batch that is settled already (or given up on).
int OutcomeExit(const RequestBatch& batch, std::ostream& err);

}  // namespace velmar
