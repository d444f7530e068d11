#include "features/settings/cli/SettingsCommands.h"

#include "cli/CliFeatureList.h"

#include <CLI/CLI.hpp>
#include <array>
#include <memory>

#include "cli/CliApp.h"
#include "cli/FrameConnection.h"
#include "cli/HeadlessConsole.h"
#include "cli/RequestLinePrinter.h"
#include "device/Session.h"
#include "device/posix/PosixEventLoop.h"
#include "features/settings/core/AddressRules.h"
#include "features/settings/core/ApplySettings.h"
#include "features/settings/core/SettingsFile.h"

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

    RequestBatch sent(session.Outcomes());
    const ApplyOutcome outcome = ApplySettings(*opened, *edited, session.State().config, session.Requests());
    sent.Close();
    const int result = AwaitOutcomes(loop, console, sent, options.timeout, err);
    for (const std::string& refused : outcome.refused)
        err << "velmar-cli: not sent: " << refused << "\n";
    out << sent.Requests().size() << " requests sent, " << sent.Count(Outcome::Answered) << " answered, "
        << sent.Count(Outcome::Refused) << " refused\n";
    if (outcome.OfferRestart())
        out << "the network settings changed: restart the frame for them to take effect\n";
    if (result != kExitOk)
        return result;
    return outcome.refused.empty() ? kExitOk : kExitFailure;
}

namespace {

int Save(const CliOptions& options, const CliFrame& frame, const CliStreams& streams) {
    return SaveFrameSettings(options, frame.session, streams.out, streams.err);
}

int Apply(const CliOptions& options, const CliFrame& frame, const CliStreams& streams) {
    return ApplyFrameSettings(options, frame.session, frame.loop, frame.console, streams.out, streams.err);
}

constexpr std::array kSettingsCommands{
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

CliFeature SettingsCliFeature() {
    return {kSettingsCommands, {}};
}

}  // namespace velmar
