#include "cli/CliApp.h"

#include <algorithm>
#include <fstream>
#include <memory>
#include <optional>

#include "cli/CardCommands.h"
#include "cli/ChannelCommands.h"
#include "cli/DryRunTransport.h"
#include "cli/HeadlessConsole.h"
#include "cli/MaintenanceCommands.h"
#include "cli/NetworkAudioCommands.h"
#include "cli/SettingsCommands.h"
#include "cli/StatusReport.h"
#include "cli/TracingTransport.h"
#include "device/EchoProbe.h"
#include "device/Session.h"
#include "device/discovery/posix/FrameDiscovery.h"
#include "device/posix/PosixDatagramSocket.h"
#include "device/posix/PosixEventLoop.h"
#include "device/posix/PosixTcpTransport.h"
#include "device/posix/PosixTimerService.h"
#include "routing/core/ChannelNames.h"
#include "routing/core/CrosspointFile.h"
#include "routing/core/RoutingActions.h"
#include "tools/core/EventLog.h"

namespace velmar {

namespace {

using namespace std::chrono_literals;

// How many unanswered requests a report names before it only counts the rest.
constexpr std::size_t kUnansweredNamed = 12;

}  // namespace

int CliApp::Run(const CliOptions& options) {
    switch (options.command) {
        case CliCommand::Help:
            out_ << kCliUsage;
            return kExitOk;
        case CliCommand::Version:
            out_ << "velmar-cli " << VELMAR_VERSION << "\n";
            return kExitOk;
        case CliCommand::Probe:
            return Probe(options);
        case CliCommand::Discover:
            return Discover(options);
        case CliCommand::Status:
        case CliCommand::Routes:
        case CliCommand::Route:
        case CliCommand::LoadRoutes:
        case CliCommand::Inputs:
        case CliCommand::Labels:
        case CliCommand::Label:
        case CliCommand::Gains:
        case CliCommand::Detectors:
        case CliCommand::Detector:
        case CliCommand::Cards:
        case CliCommand::Card:
        case CliCommand::SettingsSave:
        case CliCommand::SettingsApply:
        case CliCommand::Ppm:
        case CliCommand::Flows:
        case CliCommand::Flow:
        case CliCommand::UnicastClock:
        case CliCommand::AutoRoute:
            return Connected(options);
        case CliCommand::Flash:
        case CliCommand::Restart:
        case CliCommand::Recovery:
        case CliCommand::Application:
        case CliCommand::FactoryReset:
        case CliCommand::NetSet:
            return MaintenanceCommands(out_, err_).Run(options);
    }
    return kExitUsage;
}

int CliApp::Discover(const CliOptions& options) {
    const FrameDiscoveryResult found = DiscoverFrames();
    if (!found.error.empty()) {
        err_ << "velmar-cli: " << found.error << "\n";
        return kExitFailure;
    }
    (options.json ? PrintDevicesJson : PrintDevices)(out_, found.rows);
    return kExitOk;
}

int CliApp::Probe(const CliOptions& options) {
    std::uint32_t address = 0;
    if (!ParseIpv4(options.address.c_str(), address)) {
        err_ << "velmar-cli: bad address " << options.address << "\n";
        return kExitUsage;
    }
    PosixEventLoop loop;
    PosixTimerService timers(loop);
    PosixDatagramSocket socket(loop);
    EchoProbe probe(socket, timers);
    std::optional<bool> answered;
    probe.Start(address, LinkPorts::FromEnvironment().echo, 1000ms, [&](bool ok) { answered = ok; });
    loop.RunUntil([&] { return answered.has_value(); }, 2000ms);
    if (answered.value_or(false)) {
        out_ << options.address << " answers the echo probe\n";
        return kExitOk;
    }
    err_ << options.address << ": no echo, target not responding\n";
    return kExitNotResponding;
}

int CliApp::Connected(const CliOptions& options) {
    PosixEventLoop loop;
    PosixTimerService timers(loop);
    PosixTcpTransport tcp(loop);
    PosixDatagramSocket datagrams(loop);
    std::unique_ptr<TracingTransport> tracing;
    LineTransport* transport = &tcp;
    if (options.trace) {
        tracing = std::make_unique<TracingTransport>(tcp, err_);
        transport = tracing.get();
    }
    std::unique_ptr<DryRunTransport> dryRun;
    if (options.dryRun && IsNetworkAudioCommand(options.command)) {
        dryRun = std::make_unique<DryRunTransport>(*transport, out_);
        transport = dryRun.get();
    }
    ConsoleOptions consoleOptions;
    consoleOptions.telnet = options.telnet;
    Session session(*transport, datagrams, timers, LinkPorts::FromEnvironment(), consoleOptions);
    HeadlessConsole console(session);
    std::optional<EventLog> log;
    if (options.events) {
        log.emplace(session.Events());
        log->SetListener([this](const LogEntry& entry) { err_ << EventLog::Format(entry) << "\n"; });
    }

    session.Connect(options.address, options.mode, options.model);
    loop.RunUntil([&] { return console.FrameRead() || console.ConnectError() || console.LinkLost(); },
                  options.timeout);
    if (console.ConnectError() || (!console.LinkLost() && !session.Connection().connected)) {
        err_ << "velmar-cli: " << kConnectFailedText << "\n";
        return kExitNotResponding;
    }
    if (console.LinkLost()) {
        err_ << "velmar-cli: the frame closed the connection or stopped answering\n";
        return kExitNotResponding;
    }
    const bool complete = console.FrameRead();
    if (!complete) {
        ReportUnanswered(console, options);
        // A status or a routing list shows what did arrive; changing routes on a frame that has
        // not been read would be working blind.
        if (options.command != CliCommand::Status && options.command != CliCommand::Routes &&
            !ReadsOnly(options) && options.command != CliCommand::Cards) {
            session.Disconnect();
            return kExitFailure;
        }
    }

    const FrameLink frame{session, loop, console};
    int result = complete ? kExitOk : kExitFailure;
    switch (options.command) {
        case CliCommand::Status:
            (options.json ? PrintStatusJson : PrintStatus)(out_, session);
            break;
        case CliCommand::Routes:
            result = Routes(options, frame);
            break;
        case CliCommand::Route:
            result = Route(options, frame);
            break;
        case CliCommand::LoadRoutes:
            result = LoadRoutes(options, frame);
            break;
        case CliCommand::Inputs:
        case CliCommand::Labels:
        case CliCommand::Label:
        case CliCommand::Gains:
        case CliCommand::Detectors:
        case CliCommand::Detector:
            result = ChannelCommands(out_, err_, {session, loop, console}).Run(options, result);
            break;
        case CliCommand::Cards:
            CardCommands(session, loop, console, out_, err_).Cards(options);
            break;
        case CliCommand::Card:
            result = CardCommands(session, loop, console, out_, err_).Card(options);
            break;
        case CliCommand::SettingsSave:
            result = SaveFrameSettings(options, session, out_, err_);
            break;
        case CliCommand::SettingsApply:
            result = ApplyFrameSettings(options, session, loop, console, out_, err_);
            break;
        case CliCommand::Ppm:
        case CliCommand::Flows:
        case CliCommand::Flow:
        case CliCommand::UnicastClock:
        case CliCommand::AutoRoute:
            result = RunNetworkAudioCommand(options, {session, loop, console, dryRun.get()}, out_, err_);
            break;
        default:
            break;
    }
    session.Disconnect();
    return result;
}

void CliApp::ReportUnanswered(const HeadlessConsole& console, const CliOptions& options) {
    if (console.Answers().Empty()) {
        err_ << "velmar-cli: the frame was not read completely within " << options.timeout.count() << " ms\n";
    } else {
        err_ << "velmar-cli: no answer to: " << console.Answers().UnansweredText(kUnansweredNamed) << "\n";
    }
}

int CliApp::Routes(const CliOptions& options, const FrameLink& frame) {
    (options.json ? PrintRoutesJson : PrintRoutes)(out_, frame.session);
    std::string refusedRuns;
    for (const RefusedRequest& refused : frame.console.Answers().Refused()) {
        if (refused.request.Is(CommandCode::lcross)) {
            refusedRuns += (refusedRuns.empty() ? "" : ", ") + refused.request.Describe() + " (status " +
                           std::to_string(refused.status) + ")";
        }
    }
    if (!refusedRuns.empty())
        err_ << "velmar-cli: the frame refused: " << refusedRuns << "\n";
    const bool complete = frame.console.FrameRead() && refusedRuns.empty();
    if (options.file.empty())
        return complete ? kExitOk : kExitFailure;
    if (!complete) {
        // A snapshot without the missing outputs would look like a good one.
        err_ << "velmar-cli: " << options.file << " not written: the routing was not read completely\n";
        return kExitFailure;
    }
    const CrosspointSnapshot snapshot =
        SnapshotToSave(frame.session.State(), frame.session.Channels(), {}, false, std::nullopt);
    if (!CrosspointFile::Save(options.file, snapshot.crosspoints, snapshot.index)) {
        err_ << "velmar-cli: cannot write " << options.file << "\n";
        return kExitFailure;
    }
    err_ << "velmar-cli: " << snapshot.crosspoints.size() << " crosspoints saved to " << options.file << "\n";
    return kExitOk;
}

int CliApp::Route(const CliOptions& options, const FrameLink& frame) {
    const std::int32_t channels = frame.session.Channels();
    if (options.output > channels || options.input > channels) {
        err_ << "velmar-cli: this frame has channels 1.." << channels << "\n";
        return kExitUsage;
    }
    const Crosspoint crosspoint{options.output, options.input};
    const RouteOutcome outcome = SendCrosspoints({&crosspoint, 1}, options, frame);
    if (outcome.answered == 0) {
        err_ << "velmar-cli: no answer to the routing request for output " << options.output << "\n";
        return kExitNotResponding;
    }
    if (outcome.refused != 0) {
        err_ << "velmar-cli: the frame refused the route to output " << options.output << " "
             << ChannelText(options.output) << " (status " << outcome.lastRefusal << ")\n";
        return kExitFailure;
    }
    const std::int32_t input =
        frame.session.State().live.crosspoints[static_cast<std::size_t>(options.output - 1)];
    out_ << options.output << " " << ChannelText(options.output) << " <- " << input << " "
         << (input == 0 ? std::string("(disconnected)") : ChannelText(input)) << "\n";
    return kExitOk;
}

int CliApp::LoadRoutes(const CliOptions& options, const FrameLink& frame) {
    std::ifstream file(options.file, std::ios::binary);
    if (!file) {
        err_ << "velmar-cli: cannot read " << options.file << "\n";
        return kExitFailure;
    }
    const CrosspointFile snapshot = CrosspointFile::Read(file, frame.session.Channels());
    if (!snapshot.NotText().empty()) {
        err_ << "velmar-cli: " << options.file << ": " << snapshot.NotText() << "; nothing sent\n";
        return kExitFailure;
    }
    const std::vector<Crosspoint> crosspoints = snapshot.Connections();
    if (options.dryRun) {
        for (const Crosspoint& c : crosspoints) {
            out_ << "scross " << c.output << " " << c.input << "   " << ChannelText(c.output) << " <- "
                 << ChannelText(c.input) << "\n";
        }
        for (const SkippedLine& skipped : snapshot.Skipped())
            err_ << "velmar-cli: line " << skipped.line << " skipped: " << skipped.reason << "\n";
        if (snapshot.SkippedCount() > snapshot.Skipped().size())
            err_ << "velmar-cli: and " << snapshot.SkippedCount() - snapshot.Skipped().size()
                 << " more lines skipped\n";
        return kExitOk;
    }
    if (snapshot.SkippedCount() != 0) {
        err_ << "velmar-cli: " << snapshot.SkippedCount() << " lines of " << options.file
             << " skipped (--dry-run names them)\n";
    }
    const RouteOutcome outcome = SendCrosspoints(crosspoints, options, frame);
    out_ << crosspoints.size() << " crosspoints sent, " << outcome.answered << " answered, "
         << outcome.refused << " refused\n";
    if (outcome.answered < crosspoints.size())
        return kExitNotResponding;
    return outcome.refused == 0 ? kExitOk : kExitFailure;
}

CliApp::RouteOutcome CliApp::SendCrosspoints(std::span<const Crosspoint> crosspoints,
                                             const CliOptions& options, const FrameLink& frame) {
    const PendingReplies& answers = frame.console.Answers();
    const std::size_t refusedBefore = answers.Refused().size();
    for (const Crosspoint& c : crosspoints)
        frame.session.Routing().SetCrosspoint(c.output, c.input);
    frame.loop.RunUntil([&] { return answers.Waiting(CommandCode::scross) == 0 || frame.console.LinkLost(); },
                        options.timeout);
    RouteOutcome outcome;
    outcome.answered =
        crosspoints.size() - std::min(crosspoints.size(), answers.Waiting(CommandCode::scross));
    for (std::size_t i = refusedBefore; i < answers.Refused().size(); ++i) {
        const RefusedRequest& refused = answers.Refused()[i];
        if (refused.request.Is(CommandCode::scross)) {
            ++outcome.refused;
            outcome.lastRefusal = refused.status;
        }
    }
    return outcome;
}

}  // namespace velmar
