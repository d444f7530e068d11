#include "features/leveldetectors/cli/LevelDetectorCommands.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CliApp.h"
#include "cli/CliFeatureList.h"
#include "cli/CliOptions.h"
#include "cli/HeadlessConsole.h"
#include "cli/RequestLinePrinter.h"
#include "device/DeviceModel.h"
#include "device/RequestOutcomes.h"
#include "device/Session.h"
#include "device/posix/PosixEventLoop.h"
#include "features/channeltools/cli/ChannelColumns.h"
#include "features/channeltools/core/ChannelTools.h"
#include "features/leveldetectors/core/LevelDetectorModule.h"
#include "features/leveldetectors/core/LevelDetectorRules.h"
#include "features/leveldetectors/core/LevelDetectorUnit.h"
#include "protocol/TextEncoding.h"

namespace velmar {

namespace {

using C = CommandCode;

// "--t1 MS:DB" as a time and a level for threshold `n` of `direction`.
std::string ReadThreshold(std::string_view text, std::int32_t direction, std::int32_t n, std::int32_t& time,
                          FixedValue& level) {
    const std::size_t colon = text.find(':');
    const std::string name = "--t" + std::to_string(n);
    const std::int32_t last = MaxTimeMs(direction, n);
    const auto parsedTime =
        colon == std::string_view::npos ? std::nullopt : ParseTime(text.substr(0, colon), last);
    if (!parsedTime)
        return name + " needs MS:DB with MS from 0 to " + std::to_string(last);
    const auto parsedLevel = ParseLevel(text.substr(colon + 1));
    if (!parsedLevel)
        return name + " needs a level from -" + std::to_string(kMaxLevelDb) + " to " +
               std::to_string(kMaxLevelDb) + " dB with at most two decimals";
    time = *parsedTime;
    level = *parsedLevel;
    return {};
}

}  // namespace

int LevelDetectorCommands::Run(Command command, const CliOptions& options) {
    Session& session = frame_.session;
    const GateReason lacking = LevelDetectorGate(FrameFacts::Of(session.Connection(), session.State()));
    if (!lacking.empty()) {
        err_ << "velmar-cli: " << options.address << " " << lacking << "\n";
        return kExitUsage;
    }
    // The command reads what it shows for itself and answers for its own requests only.
    const int result = (this->*command)(options);
    const int read = frame_.complete ? kExitOk : kExitNotResponding;
    return result == kExitOk ? read : result;
}

std::int32_t LevelDetectorCommands::FirstChannel() const {
    return ToolChannelBase(frame_.session.Connection()) + 1;
}

int LevelDetectorCommands::Settle(RequestBatch& batch, const CliOptions& options) {
    return AwaitOutcomes(frame_.loop, frame_.console, batch, options.timeout, err_);
}

int LevelDetectorCommands::Detectors(const CliOptions& options) {
    LevelDetectorUnit& meters = frame_.session.Feature<LevelDetectorUnit>();
    RequestBatch batch(frame_.session.Outcomes());
    meters.LevelDetectorThresholds();
    meters.LevelDetectorRuns(C::llevdetstate);
    meters.LevelDetectorRuns(C::llevdetstatus);
    if (const int read = Settle(batch, options); read != kExitOk)
        return read;
    const LevelDetectorTables& detectors = meters.Detectors();
    const std::int32_t last = frame_.session.Channels();
    if (options.json) {
        out_ << "{\"first\":" << FirstChannel() << ",\"last\":" << last << ",\"detectors\":[";
        for (std::int32_t ch = FirstChannel(); ch <= last; ++ch) {
            out_ << (ch == FirstChannel() ? "" : ",") << "{\"channel\":" << ch
                 << ",\"type\":" << JsonQuoted(ChannelTypeName(ch - 1));
            for (std::size_t d = 0; d < 2; ++d) {
                const LevelDetector& det = detectors[d][static_cast<std::size_t>(ch - 1)];
                const DetectorThresholds& t = det.thresholds;
                out_ << "," << (d == 0 ? "\"input\"" : "\"output\"") << ":{\"time1\":" << t.time1
                     << ",\"level1\":" << GainText(t.level1) << ",\"time2\":" << t.time2
                     << ",\"level2\":" << GainText(t.level2)
                     << ",\"enabled\":" << (det.state != 0 ? "true" : "false") << ",\"status\":" << det.status
                     << "}";
            }
            out_ << "}";
        }
        out_ << "]}\n";
        return kExitOk;
    }
    out_ << "channel  type    input: time 1, level 1, time 2, level 2, enabled, status | output: the same\n";
    for (std::int32_t ch = FirstChannel(); ch <= last; ++ch) {
        out_ << Padded(std::to_string(ch), 9) << Padded(ChannelTypeName(ch - 1), 8)
             << DetectorText(detectors[0][static_cast<std::size_t>(ch - 1)]) << " | "
             << DetectorText(detectors[1][static_cast<std::size_t>(ch - 1)]) << "\n";
    }
    return kExitOk;
}

int LevelDetectorCommands::Detector(const CliOptions& options) {
    const std::int32_t direction = *ParseDirection(options.operands[0]);
    const std::string& range = options.operands[1];
    const std::size_t dash = range.find('-');
    std::int32_t first = 0;
    std::int32_t last = 0;
    const bool parsed = dash == std::string::npos
                            ? ParseDecimal(range, first) && ParseDecimal(range, last)
                            : ParseDecimal(std::string_view(range).substr(0, dash), first) &&
                                  ParseDecimal(std::string_view(range).substr(dash + 1), last);
    if (!parsed || first < FirstChannel() || last < first || last > frame_.session.Channels()) {
        err_ << "velmar-cli: channels are CH or CH-CH within " << FirstChannel() << ".."
             << frame_.session.Channels() << "\n";
        return kExitUsage;
    }
    std::array<std::int32_t, 2> times{};
    std::array<FixedValue, 2> levels{};
    const std::array<const std::string*, 2> given{&options.t1, &options.t2};
    for (std::size_t n = 0; n < 2; ++n) {
        if (given[n]->empty())
            continue;
        const std::string error =
            ReadThreshold(*given[n], direction, static_cast<std::int32_t>(n + 1), times[n], levels[n]);
        if (!error.empty()) {
            err_ << "velmar-cli: " << error << "; nothing sent\n";
            return kExitUsage;
        }
    }
    LevelDetectorUnit& meters = frame_.session.Feature<LevelDetectorUnit>();
    {
        RequestBatch batch(frame_.session.Outcomes());
        for (std::int32_t ch = first; ch <= last; ++ch)
            meters.ReadLevelDetector(direction, ch);
        if (const int read = Settle(batch, options); read != kExitOk)
            return read;
    }

    const DeviceState& state = frame_.session.State();
    std::vector<DetectorRequest> requests;
    for (std::int32_t ch = first; ch <= last; ++ch) {
        const LevelDetector& stored = meters.Stored(direction, ch);
        DetectorTarget target{stored.thresholds, stored.state != 0};
        if (!options.t1.empty()) {
            target.thresholds.time1 = times[0];
            target.thresholds.level1 = levels[0];
        }
        if (!options.t2.empty()) {
            target.thresholds.time2 = times[1];
            target.thresholds.level2 = levels[1];
        }
        if (options.enable)
            target.enabled = *options.enable;
        PlanDetectorChannel(meters.Detectors(), ch, direction == 0 ? std::optional(target) : std::nullopt,
                            direction == 1 ? std::optional(target) : std::nullopt, requests);
    }
    if (options.dryRun) {
        RequestLinePrinter printer(out_);
        RequestWriter writer(printer, state);
        for (const DetectorRequest& r : requests) {
            const bool thresholds = r.kind == DetectorRequest::Kind::Thresholds;
            CommandMessage record =
                thresholds ? LevelDetectorUnit::ThresholdsRequest(r.direction, r.channel, r.thresholds)
                           : LevelDetectorUnit::StateRequest(r.direction, r.channel, r.enabled);
            writer.SendRecord(record, thresholds ? C::slevdetthres : C::slevdetstate);
        }
        return kExitOk;
    }
    RequestBatch sent(frame_.session.Outcomes());
    for (const DetectorRequest& r : requests) {
        if (r.kind == DetectorRequest::Kind::Thresholds)
            meters.SetLevelDetectorThresholds(r.direction, r.channel, r.thresholds);
        else
            meters.SetLevelDetectorState(r.direction, r.channel, r.enabled);
    }
    const int result = Settle(sent, options);
    for (std::int32_t ch = first; ch <= last; ++ch) {
        out_ << options.operands[0] << " " << ch << " " << ChannelTypeName(ch - 1) << ": "
             << DetectorText(meters.Stored(direction, ch)) << "\n";
    }
    return result;
}

namespace {

void DeclareDetector(CLI::App& command, CliOptions& options) {
    AddDryRunOption(command, options);
    const auto choose = [&options](bool enable) {
        if (options.enable && *options.enable != enable)
            throw CLI::ValidationError("--enable and --disable exclude each other");
        options.enable = enable;
    };
    command.add_flag_callback("--enable", [choose] { choose(true); });
    command.add_flag_callback("--disable", [choose] { choose(false); });
    command.add_option("--t1", options.t1);
    command.add_option("--t2", options.t2);
}

std::string ReadDetector(std::span<const std::string>, CliOptions& options) {
    if (!options.enable && options.t1.empty() && options.t2.empty())
        return "detector needs --enable, --disable, --t1 or --t2";
    if (!ParseDirection(options.operands[0]))
        return "the direction is in or out, not " + options.operands[0];
    return {};
}

template <LevelDetectorCommands::Command command>
int DetectorCommand(const CliOptions& options, const CliFrame& frame, const CliStreams& streams) {
    return LevelDetectorCommands(streams.out, streams.err, frame).Run(command, options);
}

constexpr std::array kLevelDetectorCommands{
    CliCommand{
        .word = "detectors",
        .operands = 1,
        .usage = "  detectors ADDR      the level detectors of every channel: thresholds, enable, status\n",
        .options = AddJsonOption,
        .run = OnReadFrame<IncompleteRead::Shows, DetectorCommand<&LevelDetectorCommands::Detectors>>,
    },
    CliCommand{
        .word = "detector",
        .operands = 3,
        .usage = "  detector ADDR in|out CH[-CH] [--enable|--disable] [--t1 MS:DB] [--t2 MS:DB]\n"
                 "                      change the level detectors of channels CH..CH (only what differs)\n",
        .options = DeclareDetector,
        .read = ReadDetector,
        .run = OnReadFrame<IncompleteRead::Fails, DetectorCommand<&LevelDetectorCommands::Detector>>,
    },
};

}  // namespace

CliFeature LevelDetectorsCliFeature() {
    return {kLevelDetectorCommands, {}};
}

}  // namespace velmar
