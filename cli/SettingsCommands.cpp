#include "cli/SettingsCommands.h"

#include <CLI/CLI.hpp>
#include <array>
#include <memory>

#include "cli/CliApp.h"
#include "cli/FrameConnection.h"
#include "cli/HeadlessConsole.h"
#include "cli/RequestLinePrinter.h"
#include "device/Session.h"
#include "device/posix/PosixEventLoop.h"
#include "settings/core/AddressRules.h"
#include "settings/core/ApplySettings.h"
#include "settings/core/SettingsFile.h"

namespace velmar {

namespace {}  // namespace

int SaveFrameSettings(const CliOptions& options, const Session& session, std::ostream& out,
                      std::ostream& err) {
    if (const auto problem = SaveSettingsFile(options.file, session.State().config)) {
        err << "velmar-cli: " << *problem << "\n";
        return kExitFailure;
    }
    out << "settings of " << options.address << " written to " << options.file << "\n";
    return kExitOk;
}

int ApplyFrameSettings(const CliOptions& options, Session& session, PosixEventLoop& loop,
                       const HeadlessConsole& console, std::ostream& out, std::ostream& err) {
    const ConfigBlock& frame = session.State().config;
    auto edited = std::make_unique<ConfigBlock>(frame);
    SettingsFileNotes notes;
    if (const auto problem = LoadSettingsFile(options.file, *edited, &notes)) {
        err << "velmar-cli: " << options.file << " was not loaded: " << *problem << "\n";
        return kExitFailure;
    }
    for (const std::string& note : notes)
        err << "velmar-cli: " << note << "\n";
    if (!options.network) {
        const auto kept = KeepNetworkIdentity(*edited, frame);
        if (!kept.empty()) {
            err << "velmar-cli: kept the frame's own";
            for (const std::string_view key : kept)
                err << " " << key;
            err << " (give --network to send the file's)\n";
        }
    }
    if (const auto problem = NetworkSettingsProblem(frame, *edited, SettingsPresenceOf(frame).dante)) {
        err << "velmar-cli: " << *problem << " Nothing was sent.\n";
        return kExitFailure;
    }
    const auto opened = std::make_unique<ConfigBlock>(frame);

    if (options.dryRun) {
        RequestLinePrinter printer(out);
        RequestWriter writer(printer, session.State());
        const ApplyOutcome outcome = ApplySettings(*opened, *edited, frame, writer);
        for (const std::string& refused : outcome.refused)
            err << "velmar-cli: not sent: " << refused << "\n";
        return outcome.refused.empty() ? kExitOk : kExitFailure;
    }

    const PendingReplies& answers = console.Answers();
    const std::size_t refusedBefore = answers.Refused().size();
    const ApplyOutcome outcome = ApplySettings(*opened, *edited, session.State().config, session.Requests());
    const std::vector<CommandCode> words = ApplyWords();
    const auto waiting = [&] {
        std::size_t count = 0;
        for (const CommandCode word : words)
            count += answers.Waiting(word);
        return count;
    };
    loop.RunUntil([&] { return waiting() == 0 || console.LinkLost(); }, options.timeout);

    std::size_t refusedByFrame = 0;
    for (std::size_t i = refusedBefore; i < answers.Refused().size(); ++i) {
        const RefusedRequest& refused = answers.Refused()[i];
        for (const CommandCode word : words) {
            if (refused.request.Is(word)) {
                err << "velmar-cli: the frame refused " << WordOf(word) << " (status " << refused.status
                    << ")\n";
                ++refusedByFrame;
            }
        }
    }
    for (const std::string& refused : outcome.refused)
        err << "velmar-cli: not sent: " << refused << "\n";
    const std::size_t unanswered = waiting();
    out << outcome.requestsSent << " requests sent, "
        << outcome.requestsSent - std::min(unanswered, outcome.requestsSent) << " answered, "
        << refusedByFrame << " refused\n";
    if (outcome.OfferRestart())
        out << "the network settings changed: restart the frame for them to take effect\n";
    if (unanswered > 0)
        return kExitNotResponding;
    return refusedByFrame == 0 && outcome.refused.empty() ? kExitOk : kExitFailure;
}

namespace {

int Save(const CliOptions& options, const CliFrame& frame, const CliStreams& streams) {
    return SaveFrameSettings(options, frame.session, streams.out, streams.err);
}

int Apply(const CliOptions& options, const CliFrame& frame, const CliStreams& streams) {
    return ApplyFrameSettings(options, frame.session, frame.loop, frame.console, streams.out, streams.err);
}

constexpr std::array kCommands{
    CliCommand{
        .word = "settings save",
        .operands = 2,
        .usage = "  settings save ADDR FILE\n"
                 "                      read the frame and write its settings file\n",
        .read = ReadFileOperand,
        .run = OnReadFrame<IncompleteRead::Fails, Save>,
    },
    CliCommand{
        .word = "settings apply",
        .operands = 2,
        .usage =
            "  settings apply ADDR FILE [--network]\n"
            "                      send the settings of the file where they differ from the frame's and\n"
            "                      wait for every answer; the frame keeps its own addresses unless\n"
            "                      --network is given\n",
        .options =
            [](CLI::App& command, CliOptions& options) {
                AddDryRunOption(command, options);
                command.add_flag("--network", options.network);
            },
        .read = ReadFileOperand,
        .run = OnReadFrame<IncompleteRead::Fails, Apply>,
    },
};

}  // namespace

CliFeature SettingsCliCommands() {
    return {kCommands, {}};
}

}  // namespace velmar
