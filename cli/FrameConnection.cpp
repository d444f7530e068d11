#include "cli/FrameConnection.h"

#include <algorithm>
#include <memory>

#include "cli/CliApp.h"
#include "cli/CliSockets.h"
#include "cli/EventEcho.h"
#include "cli/HeadlessConsole.h"
#include "device/DryRunTransport.h"
#include "device/Session.h"

namespace velmar {

namespace {

// How many unanswered requests a report names before it only counts the rest.
constexpr std::size_t kUnansweredNamed = 12;

// Names on stderr what kept the frame from being read: the requests still without an answer.
void ReportUnanswered(const HeadlessConsole& console, const CliOptions& options, std::ostream& err) {
    const std::string unanswered = console.UnansweredText(kUnansweredNamed);
    if (unanswered.empty()) {
        err << "velmar-cli: the frame was not read completely within " << options.timeout.count() << " ms\n";
    } else {
        err << "velmar-cli: no answer to: " << unanswered << "\n";
    }
}

}  // namespace

int CheckGate(Feature feature, const CliOptions& options, const Session& session, std::ostream& err) {
    const std::string refusal = GateRefusal(feature, FactsOf(session.State(), session.Connection()));
    if (refusal.empty())
        return kExitOk;
    err << "velmar-cli: " << options.address << " " << refusal << "\n";
    return kExitUsage;
}

int OutcomeExit(const RequestBatch& batch, std::ostream& err) {
    std::size_t named = 0;
    std::size_t unnamed = 0;
    for (const RequestHandle& request : batch.Requests()) {
        if (request->outcome == Outcome::Answered)
            continue;
        if (named++ < kUnansweredNamed)
            err << "velmar-cli: " << DescribeOutcome(*request) << "\n";
        else
            ++unnamed;
    }
    if (unnamed != 0)
        err << "velmar-cli: and " << unnamed << " more requests without an accepted answer\n";
    if (batch.Count(Outcome::Unanswered) + batch.Count(Outcome::LinkLost) + batch.Count(Outcome::Waiting) !=
        0)
        return kExitNotResponding;
    return batch.Count(Outcome::Refused) != 0 ? kExitFailure : kExitOk;
}

int AwaitOutcomes(PosixEventLoop& loop, const HeadlessConsole& console, RequestBatch& batch,
                  std::chrono::milliseconds timeout, std::ostream& err) {
    loop.RunUntil([&] { return batch.Settled() || console.LinkLost(); }, timeout);
    batch.GiveUp();
    return OutcomeExit(batch, err);
}

int CliFrame::ReadResult(std::ostream& err, std::initializer_list<CommandCode> unshown) const {
    if (!complete)
        return kExitNotResponding;
    const bool dante = session.Capabilities().dante;
    int result = kExitOk;
    for (const RequestHandle& request : console.ReadRequests()) {
        const CommandCode word = request->request.code;
        if (request->outcome != Outcome::Refused || (!dante && NeedsDanteModule(word)) ||
            std::find(unshown.begin(), unshown.end(), word) != unshown.end())
            continue;
        err << "velmar-cli: " << DescribeOutcome(*request) << "\n";
        result = kExitFailure;
    }
    return result;
}

int RunOnFrame(const CliOptions& options, const CliStreams& streams, IncompleteRead incomplete,
               const std::function<int(const CliOptions&, const CliFrame&, const CliStreams&)>& command,
               const Feature* gate, Reading reading) {
    CliSockets sockets(options.trace, streams.err);
    PosixEventLoop& loop = sockets.loop;
    std::unique_ptr<DryRunTransport> dryRun;
    if (options.dryRun)
        dryRun = std::make_unique<DryRunTransport>(
            sockets.Link(), [&out = streams.out](std::string_view line) { out << line << '\n'; });
    ConsoleOptions consoleOptions;
    consoleOptions.telnet = options.telnet;
    Session session(dryRun ? *dryRun : sockets.Link(), sockets.datagrams, sockets.timers,
                    LinkPorts::FromEnvironment(), consoleOptions);
    HeadlessConsole console(session);
    const EventEcho events(options.events, session, streams.err);

    session.Connect(options.address, options.mode, options.model);
    loop.RunUntil(
        [&] {
            console.ReadSoon(reading == Reading::Whole);
            return console.FrameRead() || console.ConnectError() || console.LinkLost();
        },
        options.timeout);
    if (console.ConnectError() || (!console.LinkLost() && !session.Connection().connected)) {
        streams.err << "velmar-cli: " << kConnectFailedText << "\n";
        return kExitNotResponding;
    }
    if (console.LinkLost()) {
        streams.err << "velmar-cli: the frame closed the connection or stopped answering\n";
        return kExitNotResponding;
    }
    const bool complete = console.FrameRead();
    if (!complete) {
        ReportUnanswered(console, options, streams.err);
        if (incomplete == IncompleteRead::Fails) {
            session.Disconnect();
            return kExitFailure;
        }
    }
    if (gate != nullptr) {
        if (const int refused = CheckGate(*gate, options, session, streams.err); refused != kExitOk) {
            session.Disconnect();
            return refused;
        }
    }
    const int result = command(options, {session, loop, console, dryRun.get(), complete}, streams);
    session.Disconnect();
    return result;
}

}  // namespace velmar
