#include "cli/ChannelCommands.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>

#include "cli/CliApp.h"
#include "cli/FrameConnection.h"
#include "cli/HeadlessConsole.h"
#include "cli/RequestLinePrinter.h"
#include "device/DeviceModel.h"
#include "device/Session.h"
#include "device/posix/PosixEventLoop.h"
#include "protocol/TextEncoding.h"
#include "tools/core/ChannelTools.h"
#include "tools/core/InputStatusRows.h"
#include "tools/core/LabelFile.h"
#include "tools/core/LabelText.h"
#include "tools/core/LevelDetectorRules.h"

namespace velmar {

namespace {

using C = CommandCode;

std::string Padded(std::string text, std::size_t width) {
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

std::optional<std::int32_t> ParseDirection(std::string_view text) {
    if (text == "in")
        return 0;
    if (text == "out")
        return 1;
    return std::nullopt;
}

const TextField<17>& LabelOf(const DeviceState& state, std::int32_t direction, std::int32_t channel) {
    const auto& table = direction == 0 ? state.config.inputLabels : state.config.outputLabels;
    return table[static_cast<std::size_t>(channel - 1)];
}

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

constexpr std::array<std::pair<InputCardType, std::string_view>, 4> kCardTypeNames{{
    {InputCardType::Sdi, "SDI"},
    {InputCardType::Ad, "AD"},
    {InputCardType::Aes, "AES"},
    {InputCardType::Madi, "MADI"},
}};

}  // namespace

bool IsChannelOption(const std::string& arg) {
    return arg == "--load" || arg == "--enable" || arg == "--disable" || arg == "--t1" || arg == "--t2";
}

std::string ReadChannelOption(const std::vector<std::string>& args, std::size_t& i, CliOptions& options) {
    const std::string& arg = args[i];
    if (arg == "--enable" || arg == "--disable") {
        const bool enable = arg == "--enable";
        if (options.enable && *options.enable != enable)
            return "--enable and --disable exclude each other";
        options.enable = enable;
        return {};
    }
    if (i + 1 >= args.size())
        return arg + " needs a value";
    const std::string& value = args[++i];
    (arg == "--load" ? options.load : arg == "--t1" ? options.t1 : options.t2) = value;
    return {};
}

int ChannelCommands::Run(Tool tool, const CliOptions& options, int readResult) {
    const int result = (this->*tool)(options);
    return result == kExitOk ? readResult : result;
}

std::int32_t ChannelCommands::FirstChannel() const {
    return ToolChannelBase(frame_.session.Connection()) + 1;
}

int ChannelCommands::Settle(RequestBatch& batch, const CliOptions& options) {
    return AwaitOutcomes(frame_.loop, frame_.console, batch, options.timeout, err_);
}

int ChannelCommands::Inputs(const CliOptions& options) {
    const DeviceState& state = frame_.session.State();
    const ModelClass model = frame_.session.Capabilities().model;
    const auto printTable = [&](std::string_view title, const std::vector<std::string>& columns,
                                const std::vector<InputStatusRow>& rows) {
        out_ << title << "\n";
        std::string header;
        for (const std::string& column : columns)
            header += Padded(column, 14);
        out_ << "  " << header << "\n";
        for (const InputStatusRow& row : rows) {
            std::string line = Padded(row.name, 14);
            for (const std::string& cell : row.cells)
                line += Padded(cell, 14);
            out_ << "  " << line << "\n";
        }
    };
    const auto jsonRows = [&](const std::vector<std::string>& columns,
                              const std::vector<InputStatusRow>& rows) {
        out_ << "[";
        for (std::size_t r = 0; r < rows.size(); ++r) {
            out_ << (r == 0 ? "" : ",") << "{" << JsonQuoted(columns[0]) << ":" << JsonQuoted(rows[r].name);
            for (std::size_t c = 0; c < rows[r].cells.size(); ++c)
                out_ << "," << JsonQuoted(columns[c + 1]) << ":" << JsonQuoted(rows[r].cells[c]);
            out_ << "}";
        }
        out_ << "]";
    };
    if (options.json) {
        out_ << "{\"main\":";
        jsonRows(MainBoardColumns(), MainBoardRows(state));
        out_ << ",\"cards\":{";
        bool first = true;
        for (const auto& [type, name] : kCardTypeNames) {
            out_ << (first ? "" : ",") << JsonQuoted(name) << ":";
            jsonRows(CardColumns(type), CardRows(state, type, model));
            first = false;
        }
        out_ << "}}\n";
        return kExitOk;
    }
    printTable("Main board", MainBoardColumns(), MainBoardRows(state));
    for (const auto& [type, name] : kCardTypeNames) {
        const std::vector<InputStatusRow> rows = CardRows(state, type, model);
        if (!rows.empty())
            printTable(std::string(name) + " cards", CardColumns(type), rows);
    }
    return kExitOk;
}

int ChannelCommands::Labels(const CliOptions& options) {
    if (!options.load.empty())
        return LoadLabels(options);
    RequestBatch batch(frame_.session.Outcomes());
    frame_.session.ChannelTools().LabelRuns();
    if (const int read = Settle(batch, options); read != kExitOk)
        return read;
    if (!options.file.empty())
        return SaveLabels(options);
    const DeviceState& state = frame_.session.State();
    const std::int32_t last = frame_.session.Channels();
    if (options.json) {
        out_ << "{\"first\":" << FirstChannel() << ",\"last\":" << last << ",\"labels\":[";
        for (std::int32_t ch = FirstChannel(); ch <= last; ++ch) {
            out_ << (ch == FirstChannel() ? "" : ",") << "{\"channel\":" << ch
                 << ",\"type\":" << JsonQuoted(ChannelTypeName(ch - 1))
                 << ",\"input\":" << JsonQuoted(FrameTextToUtf8(LabelOf(state, 0, ch).View()))
                 << ",\"output\":" << JsonQuoted(FrameTextToUtf8(LabelOf(state, 1, ch).View())) << "}";
        }
        out_ << "]}\n";
        return kExitOk;
    }
    out_ << Padded("channel", 9) << Padded("type", 8) << Padded("input", 18) << "output\n";
    for (std::int32_t ch = FirstChannel(); ch <= last; ++ch) {
        out_ << Padded(std::to_string(ch), 9) << Padded(ChannelTypeName(ch - 1), 8)
             << Padded(FrameTextToUtf8(LabelOf(state, 0, ch).View()), 18)
             << FrameTextToUtf8(LabelOf(state, 1, ch).View()) << "\n";
    }
    return kExitOk;
}

int ChannelCommands::SaveLabels(const CliOptions& options) {
    // Written beside the target and moved over it, so a failed write never leaves half a file.
    const std::string temporary = options.file + ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        LabelFile::Write(file, frame_.session.State(), FirstChannel(), frame_.session.Channels());
        file.flush();
        if (!file) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            err_ << "velmar-cli: cannot write " << options.file << "\n";
            return kExitFailure;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, options.file, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        err_ << "velmar-cli: cannot write " << options.file << "\n";
        return kExitFailure;
    }
    err_ << "velmar-cli: labels of channels " << FirstChannel() << ".." << frame_.session.Channels()
         << " saved to " << options.file << "\n";
    return kExitOk;
}

int ChannelCommands::LoadLabels(const CliOptions& options) {
    std::ifstream file(options.load, std::ios::binary);
    if (!file) {
        err_ << "velmar-cli: cannot read " << options.load << "\n";
        return kExitFailure;
    }
    const LabelFileRead read = LabelFile::Read(file, FirstChannel(), frame_.session.Channels());
    if (!read.problems.empty()) {
        for (const std::string& problem : read.problems)
            err_ << "velmar-cli: " << options.load << ", " << problem << "\n";
        err_ << "velmar-cli: nothing sent\n";
        return kExitFailure;
    }
    // Only what differs from the frame goes out, so the frame's labels are read first.
    RequestBatch labelRuns(frame_.session.Outcomes());
    frame_.session.ChannelTools().LabelRuns();
    if (const int result = Settle(labelRuns, options); result != kExitOk)
        return result;
    std::vector<const LabelRow*> changes;
    for (const LabelRow& row : read.rows) {
        if (LabelOf(frame_.session.State(), row.direction, row.channel).View() != row.text)
            changes.push_back(&row);
    }
    if (options.dryRun) {
        RequestLinePrinter printer(out_);
        RequestWriter writer(printer, frame_.session.State());
        for (const LabelRow* row : changes)
            ChannelToolsUnit::WriteLabel(writer, row->direction, row->channel, row->text);
        return kExitOk;
    }
    RequestBatch sent(frame_.session.Outcomes());
    for (const LabelRow* row : changes)
        frame_.session.ChannelTools().SetLabel(row->direction, row->channel, row->text);
    const int result = Settle(sent, options);
    out_ << read.rows.size() << " labels in the file, " << changes.size() << " sent, "
         << sent.Count(Outcome::Refused) << " refused\n";
    return result;
}

int ChannelCommands::Label(const CliOptions& options) {
    const std::int32_t direction = *ParseDirection(options.operands[0]);
    std::int32_t channel = 0;
    const std::int32_t last = frame_.session.Channels();
    if (!ParseDecimal(options.operands[1], channel) || channel < FirstChannel() || channel > last) {
        err_ << "velmar-cli: the channel is a number from " << FirstChannel() << " to " << last << "\n";
        return kExitUsage;
    }
    const std::string& text = options.operands[2];
    if (const auto problem = LabelProblem(text)) {
        err_ << "velmar-cli: " << *problem << " Nothing sent.\n";
        return kExitFailure;
    }
    RequestBatch sent(frame_.session.Outcomes());
    if (const RequestProblem problem =
            frame_.session.ChannelTools().SetLabel(direction, channel, *FrameTextFromUtf8(text))) {
        err_ << "velmar-cli: " << *problem << " Nothing sent.\n";
        return kExitFailure;
    }
    if (const int result = Settle(sent, options); result != kExitOk)
        return result;
    out_ << options.operands[0] << " " << channel << " " << ChannelTypeName(channel - 1) << ": "
         << FrameTextToUtf8(LabelOf(frame_.session.State(), direction, channel).View()) << "\n";
    return kExitOk;
}

int ChannelCommands::Gains(const CliOptions& options) {
    RequestBatch batch(frame_.session.Outcomes());
    frame_.session.ChannelTools().GainLists();
    if (const int read = Settle(batch, options); read != kExitOk)
        return read;
    const auto& gains = frame_.session.State().live.gains;
    const std::int32_t last = frame_.session.Channels();
    if (options.json) {
        out_ << "{\"first\":" << FirstChannel() << ",\"last\":" << last << ",\"gains\":[";
        for (std::int32_t ch = FirstChannel(); ch <= last; ++ch) {
            out_ << (ch == FirstChannel() ? "" : ",") << "{\"channel\":" << ch
                 << ",\"type\":" << JsonQuoted(ChannelTypeName(ch - 1));
            for (std::size_t d = 0; d < 2; ++d) {
                const GainEntry& g = gains[d][static_cast<std::size_t>(ch - 1)];
                out_ << "," << (d == 0 ? "\"input\"" : "\"output\"") << ":{\"gain\":" << GainText(g.gain)
                     << ",\"phase\":" << (g.phase != 0 ? "true" : "false")
                     << ",\"mute\":" << (g.mute != 0 ? "true" : "false") << "}";
            }
            out_ << "}";
        }
        out_ << "]}\n";
        return kExitOk;
    }
    out_ << Padded("channel", 9) << Padded("type", 8) << Padded("input dB", 10) << Padded("phase", 7)
         << Padded("mute", 7) << Padded("output dB", 10) << Padded("phase", 7) << "mute\n";
    const auto yesNo = [](std::int32_t flag) { return flag != 0 ? "yes" : "no"; };
    for (std::int32_t ch = FirstChannel(); ch <= last; ++ch) {
        const GainEntry& in = gains[0][static_cast<std::size_t>(ch - 1)];
        const GainEntry& out = gains[1][static_cast<std::size_t>(ch - 1)];
        out_ << Padded(std::to_string(ch), 9) << Padded(ChannelTypeName(ch - 1), 8)
             << Padded(GainText(in.gain), 10) << Padded(yesNo(in.phase), 7) << Padded(yesNo(in.mute), 7)
             << Padded(GainText(out.gain), 10) << Padded(yesNo(out.phase), 7) << yesNo(out.mute) << "\n";
    }
    return kExitOk;
}

int ChannelCommands::Detectors(const CliOptions& options) {
    MetersUnit& meters = frame_.session.Meters();
    RequestBatch batch(frame_.session.Outcomes());
    meters.LevelDetectorThresholds();
    meters.LevelDetectorRuns(C::llevdetstate);
    meters.LevelDetectorRuns(C::llevdetstatus);
    if (const int read = Settle(batch, options); read != kExitOk)
        return read;
    const auto& detectors = frame_.session.State().live.levelDetectors;
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

int ChannelCommands::Detector(const CliOptions& options) {
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
    MetersUnit& meters = frame_.session.Meters();
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
        const LevelDetector& stored =
            state.live.levelDetectors[static_cast<std::size_t>(direction)][static_cast<std::size_t>(ch - 1)];
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
        PlanDetectorChannel(state, ch, direction == 0 ? std::optional(target) : std::nullopt,
                            direction == 1 ? std::optional(target) : std::nullopt, requests);
    }
    if (options.dryRun) {
        RequestLinePrinter printer(out_);
        RequestWriter writer(printer, state);
        for (const DetectorRequest& r : requests) {
            const bool thresholds = r.kind == DetectorRequest::Kind::Thresholds;
            CommandMessage record = thresholds
                                        ? MetersUnit::ThresholdsRequest(r.direction, r.channel, r.thresholds)
                                        : MetersUnit::StateRequest(r.direction, r.channel, r.enabled);
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
             << DetectorText(state.live.levelDetectors[static_cast<std::size_t>(direction)]
                                                      [static_cast<std::size_t>(ch - 1)])
             << "\n";
    }
    return result;
}

namespace {

std::string ReadDirection(const CliOptions& options) {
    if (!ParseDirection(options.operands[0]))
        return "the direction is in or out, not " + options.operands[0];
    return {};
}

std::string ReadLabels(std::span<const std::string>, CliOptions& options) {
    if (!options.load.empty() && !options.file.empty())
        return "labels takes either --load or --save";
    return {};
}

std::string ReadLabel(std::span<const std::string>, CliOptions& options) {
    return ReadDirection(options);
}

std::string ReadDetector(std::span<const std::string>, CliOptions& options) {
    if (!options.enable && options.t1.empty() && options.t2.empty())
        return "detector needs --enable, --disable, --t1 or --t2";
    return ReadDirection(options);
}

// A tool that shows what the reading of the frame brought (inputs) answers for what the frame
// refused there; the others read for themselves and answer for their own requests only.
template <ChannelCommands::Tool tool, bool showsReading = false>
int ChannelTool(const CliOptions& options, const CliFrame& frame, const CliStreams& streams) {
    const int read =
        showsReading ? frame.ReadResult(streams.err) : (frame.complete ? kExitOk : kExitNotResponding);
    return ChannelCommands(streams.out, streams.err, {frame.session, frame.loop, frame.console})
        .Run(tool, options, read);
}

int RunLabels(const CliOptions& options, const CliStreams& streams) {
    const bool readsOnly = options.load.empty() && options.file.empty();
    static constexpr Feature kLabels = Feature::ChannelLabels;
    return RunOnFrame(options, streams, readsOnly ? IncompleteRead::Shows : IncompleteRead::Fails,
                      ChannelTool<&ChannelCommands::Labels>, &kLabels);
}

constexpr std::array kCommands{
    CliCommand{
        .word = "inputs",
        .operands = 1,
        .usage = "  inputs ADDR         the signal status of the main-board and card inputs\n",
        .accepts = {CliOption::Json},
        .run = OnFrameOffering<Feature::InputStatus, IncompleteRead::Shows,
                               ChannelTool<&ChannelCommands::Inputs, true>>,
    },
    CliCommand{
        .word = "labels",
        .operands = 1,
        .usage =
            "  labels ADDR         the input and output label of every channel\n"
            "  labels ADDR --save FILE.csv | --load FILE.csv [--dry-run]\n"
            "                      write the labels to a CSV file (channel,direction,label), or set the\n"
            "                      labels a CSV file gives where they differ from the frame's\n",
        .accepts = {CliOption::Json, CliOption::Save, CliOption::Load, CliOption::DryRunWhenChanging},
        .read = ReadLabels,
        .run = RunLabels,
    },
    CliCommand{
        .word = "label",
        .operands = 4,
        .usage =
            "  label ADDR in|out CH TEXT\n"
            "                      set one label (at most 16 characters; no comma, quote or : & ? % !)\n",
        .read = ReadLabel,
        .run = OnFrameOffering<Feature::ChannelLabels, IncompleteRead::Fails,
                               ChannelTool<&ChannelCommands::Label>>,
    },
    CliCommand{
        .word = "gains",
        .operands = 1,
        .usage = "  gains ADDR          the input and output gain, phase and mute of every channel\n",
        .accepts = {CliOption::Json},
        .run = OnFrameOffering<Feature::GainSettings, IncompleteRead::Shows,
                               ChannelTool<&ChannelCommands::Gains>>,
    },
    CliCommand{
        .word = "detectors",
        .operands = 1,
        .usage = "  detectors ADDR      the level detectors of every channel: thresholds, enable, status\n",
        .accepts = {CliOption::Json},
        .run = OnFrameOffering<Feature::LevelDetectors, IncompleteRead::Shows,
                               ChannelTool<&ChannelCommands::Detectors>>,
    },
    CliCommand{
        .word = "detector",
        .operands = 3,
        .usage = "  detector ADDR in|out CH[-CH] [--enable|--disable] [--t1 MS:DB] [--t2 MS:DB]\n"
                 "                      change the level detectors of channels CH..CH (only what differs)\n",
        .accepts = {CliOption::DetectorChange, CliOption::DryRun},
        .read = ReadDetector,
        .run = OnFrameOffering<Feature::LevelDetectors, IncompleteRead::Fails,
                               ChannelTool<&ChannelCommands::Detector>>,
    },
};

}  // namespace

CliFeature ChannelCliCommands() {
    return {kCommands, {}};
}

}  // namespace velmar
