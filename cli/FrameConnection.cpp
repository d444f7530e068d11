#include "cli/FrameConnection.h"

#include <memory>

#include "cli/CliApp.h"
#include "cli/CliSockets.h"
#include "cli/DryRunTransport.h"
#include "cli/EventEcho.h"
#include "cli/HeadlessConsole.h"
#include "device/Session.h"

namespace velmar {

namespace {

// How many unanswered requests a report names before it only counts the rest.
constexpr std::size_t kUnansweredNamed = 12;

// Names on stderr what kept the frame from being read: the requests still without an answer.
void ReportUnanswered(const HeadlessConsole& console, const CliOptions& options, std::ostream& err) {
    if (console.Answers().Empty()) {
        err << "velmar-cli: the frame was not read completely within " << options.timeout.count() << " ms\n";
    } else {
        err << "velmar-cli: no answer to: " << console.Answers().UnansweredText(kUnansweredNamed) << "\n";
    }
}

}  // namespace

int CliFrame::ReadResult() const {
    return complete ? kExitOk : kExitFailure;
}

int RunOnFrame(const CliOptions& options, const CliStreams& streams, IncompleteRead incomplete,
               CliFrameRun command) {
    CliSockets sockets(options.trace, streams.err);
    PosixEventLoop& loop = sockets.loop;
    std::unique_ptr<DryRunTransport> dryRun;
    if (options.dryRun)
        dryRun = std::make_unique<DryRunTransport>(sockets.Link(), streams.out);
    ConsoleOptions consoleOptions;
    consoleOptions.telnet = options.telnet;
    Session session(dryRun ? *dryRun : sockets.Link(), sockets.datagrams, sockets.timers,
                    LinkPorts::FromEnvironment(), consoleOptions);
    HeadlessConsole console(session);
    const EventEcho events(options.events, session.Events(), streams.err);

    session.Connect(options.address, options.mode, options.model);
    loop.RunUntil([&] { return console.FrameRead() || console.ConnectError() || console.LinkLost(); },
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
    const int result = command(options, {session, loop, console, dryRun.get(), complete}, streams);
    session.Disconnect();
    return result;
}

}  // namespace velmar
