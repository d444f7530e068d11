#include "cli/CliFeatureList.h"

#include <algorithm>
#include <array>
#include <optional>
#include <sstream>

#include "cli/CliApp.h"
#include "cli/FrameConnection.h"
#include "cli/HeadlessConsole.h"
#include "cli/StatusReport.h"
#include "device/Session.h"
#include "device/posix/PosixEventLoop.h"
#include "device/posix/PosixTimerService.h"
#include "features/routing/core/ChannelNames.h"
#include "features/routing/core/CrosspointFile.h"
#include "features/routing/core/RoutingActions.h"
#include "features/routing/core/RoutingUnit.h"
namespace velmar {

namespace {

using namespace std::chrono_literals;

struct RouteOutcome {
    std::size_t answered = 0;
    std::size_t refused = 0;
    std::int32_t lastRefusal = 0;
};

std::string ReadRoute(std::span<const std::string> operands, CliOptions& options) {
    if (!ParseDecimal(operands[1], options.output) || !ParseDecimal(operands[2], options.input) ||
        options.output < 1 || options.input < 0) {
        return "route needs OUT >= 1 and IN >= 0 as numbers";
    }
    return {};
}

// Sends the crosspoints and waits until the frame has answered each of them (an answer is the
// scross reply for that crosspoint, not any scross reply), or the timeout. Only the scross
// requests count: the poller's card timer may send its reads while they wait.
RouteOutcome SendCrosspoints(std::span<const Crosspoint> crosspoints, const CliOptions& options,
                             const CliFrame& frame) {
    RequestBatch batch(frame.session.Outcomes());
    for (const Crosspoint& c : crosspoints)
        frame.session.Feature<RoutingUnit>().SetCrosspoint(c.output, c.input);
    frame.loop.RunUntil([&] { return batch.Settled() || frame.console.LinkLost(); }, options.timeout);
    batch.GiveUp();
    RouteOutcome outcome;
    for (const RequestHandle& request : batch.Requests()) {
        if (!request->request.Is(CommandCode::scross))
            continue;
        if (request->outcome == Outcome::Answered)
            ++outcome.answered;
        if (request->outcome == Outcome::Refused) {
            ++outcome.answered;
            ++outcome.refused;
            outcome.lastRefusal = request->status;
        }
    }
    return outcome;
}

int Routes(const CliOptions& options, const CliFrame& frame, const CliStreams& streams) {
    (options.json ? PrintRoutesJson : PrintRoutes)(streams.out, frame.session);
    std::string refusedRuns;
    for (const RequestHandle& request : frame.console.ReadRequests()) {
        if (request->outcome == Outcome::Refused && request->request.Is(CommandCode::lcross)) {
            refusedRuns += (refusedRuns.empty() ? "" : ", ") + request->request.Describe() + " (status " +
                           std::to_string(request->status) + ")";
        }
    }
    if (!refusedRuns.empty())
        streams.err << "velmar-cli: the frame refused: " << refusedRuns << "\n";
    const bool complete = frame.console.FrameRead() && refusedRuns.empty();
    if (options.file.empty())
        return !refusedRuns.empty() ? kExitFailure : complete ? kExitOk : kExitNotResponding;
    if (!complete) {
        // A snapshot without the missing outputs would look like a good one.
        streams.err << "velmar-cli: " << options.file
                    << " not written: the routing was not read completely\n";
        return kExitFailure;
    }
    const CrosspointSnapshot snapshot = SnapshotToSave(frame.session.Feature<RoutingUnit>().Crosspoints(),
                                                       frame.session.Channels(), {}, false, std::nullopt);
    if (const std::string problem = CrosspointFile::Save(options.file, snapshot.crosspoints, snapshot.index);
        !problem.empty()) {
        streams.err << "velmar-cli: " << problem << "\n";
        return kExitFailure;
    }
    streams.err << "velmar-cli: " << snapshot.crosspoints.size() << " crosspoints saved to " << options.file
                << "\n";
    return kExitOk;
}

int Route(const CliOptions& options, const CliFrame& frame, const CliStreams& streams) {
    const std::int32_t channels = frame.session.Channels();
    if (options.output > channels || options.input > channels) {
        streams.err << "velmar-cli: this frame has channels 1.." << channels << "\n";
        return kExitUsage;
    }
    const Crosspoint crosspoint{options.output, options.input};
    const RouteOutcome outcome = SendCrosspoints({&crosspoint, 1}, options, frame);
    if (outcome.answered == 0) {
        streams.err << "velmar-cli: no answer to the routing request for output " << options.output << "\n";
        return kExitNotResponding;
    }
    if (outcome.refused != 0) {
        streams.err << "velmar-cli: the frame refused the route to output " << options.output << " "
                    << ChannelText(options.output) << " (status " << outcome.lastRefusal << ")\n";
        return kExitFailure;
    }
    const std::int32_t input =
        frame.session.Feature<RoutingUnit>().Crosspoints()[static_cast<std::size_t>(options.output - 1)];
    streams.out << options.output << " " << ChannelText(options.output) << " <- " << input << " "
                << (input == 0 ? std::string("(disconnected)") : ChannelText(input)) << "\n";
    return kExitOk;
}

int LoadRoutes(const CliOptions& options, const CliFrame& frame, const CliStreams& streams) {
    const FileRead read = CrosspointFile::Fetch(options.file);
    if (!read.bytes) {
        streams.err << "velmar-cli: " << read.problem << "\n";
        return kExitFailure;
    }
    std::istringstream file(*read.bytes);
    const CrosspointFile snapshot = CrosspointFile::Read(file, frame.session.Channels());
    if (!snapshot.NotText().empty()) {
        streams.err << "velmar-cli: " << options.file << ": " << snapshot.NotText() << "; nothing sent\n";
        return kExitFailure;
    }
    const std::vector<Crosspoint> crosspoints = snapshot.Connections();
    if (options.dryRun) {
        for (const Crosspoint& c : crosspoints) {
            streams.out << "scross " << c.output << " " << c.input << "   " << ChannelText(c.output) << " <- "
                        << ChannelText(c.input) << "\n";
        }
        for (const SkippedLine& skipped : snapshot.Skipped())
            streams.err << "velmar-cli: line " << skipped.line << " skipped: " << skipped.reason << "\n";
        if (snapshot.SkippedCount() > snapshot.Skipped().size())
            streams.err << "velmar-cli: and " << snapshot.SkippedCount() - snapshot.Skipped().size()
                        << " more lines skipped\n";
        return kExitOk;
    }
    if (snapshot.SkippedCount() != 0) {
        streams.err << "velmar-cli: " << snapshot.SkippedCount() << " lines of " << options.file
                    << " skipped (--dry-run names them)\n";
    }
    const RouteOutcome outcome = SendCrosspoints(crosspoints, options, frame);
    streams.out << crosspoints.size() << " crosspoints sent, " << outcome.answered << " answered, "
                << outcome.refused << " refused\n";
    if (outcome.answered < crosspoints.size())
        return kExitNotResponding;
    return outcome.refused == 0 ? kExitOk : kExitFailure;
}
constexpr std::array kRoutingCommands{
    CliCommand{
        .word = "routes",
        .operands = 1,
        .usage = "  routes ADDR         print the crosspoints with channel names\n",
        .options =
            [](CLI::App& command, CliOptions& options) {
                AddJsonOption(command, options);
                AddSaveOption(command, options);
            },
        .run = OnFrameOffering<Feature::Routing, IncompleteRead::Shows, Routes, Reading::WithoutCards>,
    },
    CliCommand{
        .word = "route",
        .operands = 3,
        .usage =
            "  route ADDR OUT IN   feed output OUT from input IN (0 disconnects) and wait for the answer\n",
        .read = ReadRoute,
        .run = OnFrameOffering<Feature::Routing, IncompleteRead::Fails, Route, Reading::WithoutCards>,
    },
    CliCommand{
        .word = "load-routes",
        .operands = 2,
        .usage = "  load-routes ADDR FILE\n"
                 "                      send the crosspoints of a snapshot file (*.xpt) and wait for the "
                 "answers;\n"
                 "                      outputs the file does not name stay as they are\n",
        .options = AddDryRunOption,
        .read = ReadFileOperand,
        .run = OnFrameOffering<Feature::Routing, IncompleteRead::Fails, LoadRoutes, Reading::WithoutCards>,
    },
};

}  // namespace

CliFeature RoutingCliFeature() {
    return {kRoutingCommands, {}};
}

}  // namespace velmar
