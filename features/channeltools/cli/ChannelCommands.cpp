#include "features/channeltools/cli/ChannelCommands.h"

#include "cli/CliFeatureList.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <optional>
#include <sstream>
#include <string_view>

#include "cli/CliApp.h"
#include "cli/FrameConnection.h"
#include "cli/HeadlessConsole.h"
#include "cli/RequestLinePrinter.h"
#include "device/DeviceModel.h"
#include "device/Session.h"
#include "device/posix/PosixEventLoop.h"
#include "features/channeltools/cli/ChannelColumns.h"
#include "features/channeltools/core/ChannelTools.h"
#include "features/channeltools/core/ChannelToolsState.h"
#include "features/channeltools/core/ChannelToolsUnit.h"
#include "features/channeltools/core/InputStatusRows.h"
#include "features/channeltools/core/LabelFile.h"
#include "features/channeltools/core/LabelText.h"
#include "protocol/TextEncoding.h"

namespace velmar {

namespace {

using C = CommandCode;

const TextField<17>& LabelOf(const DeviceState& state, std::int32_t direction, std::int32_t channel) {
    const auto& table = direction == 0 ? state.config.inputLabels : state.config.outputLabels;
    return table[static_cast<std::size_t>(channel - 1)];
}

constexpr std::array<std::pair<InputCardType, std::string_view>, 4> kCardTypeNames{{
    {InputCardType::Sdi, "SDI"},
    {InputCardType::Ad, "AD"},
    {InputCardType::Aes, "AES"},
    {InputCardType::Madi, "MADI"},
}};

}  // namespace

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
    const InputStatusTables& inputs = frame_.session.Feature<ChannelToolsUnit>().Inputs();
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
        jsonRows(MainBoardColumns(), MainBoardRows(state, inputs));
        out_ << ",\"cards\":{";
        bool first = true;
        for (const auto& [type, name] : kCardTypeNames) {
            out_ << (first ? "" : ",") << JsonQuoted(name) << ":";
            jsonRows(CardColumns(type), CardRows(state, inputs, type, model));
            first = false;
        }
        out_ << "}}\n";
        return kExitOk;
    }
    printTable("Main board", MainBoardColumns(), MainBoardRows(state, inputs));
    for (const auto& [type, name] : kCardTypeNames) {
        const std::vector<InputStatusRow> rows = CardRows(state, inputs, type, model);
        if (!rows.empty())
            printTable(std::string(name) + " cards", CardColumns(type), rows);
    }
    return kExitOk;
}

int ChannelCommands::Labels(const CliOptions& options) {
    if (!options.load.empty())
        return LoadLabels(options);
    RequestBatch batch(frame_.session.Outcomes());
    frame_.session.Feature<ChannelToolsUnit>().LabelRuns();
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
                 << ",\"input\":" << FrameTextForJson(LabelOf(state, 0, ch).View())
                 << ",\"output\":" << FrameTextForJson(LabelOf(state, 1, ch).View()) << "}";
        }
        out_ << "]}\n";
        return kExitOk;
    }
    out_ << Padded("channel", 9) << Padded("type", 8) << Padded("input", 18) << "output\n";
    for (std::int32_t ch = FirstChannel(); ch <= last; ++ch) {
        out_ << Padded(std::to_string(ch), 9) << Padded(ChannelTypeName(ch - 1), 8)
             << Padded(FrameTextForTerminal(LabelOf(state, 0, ch).View()), 18)
             << FrameTextForTerminal(LabelOf(state, 1, ch).View()) << "\n";
    }
    return kExitOk;
}

int ChannelCommands::SaveLabels(const CliOptions& options) {
    if (const std::string problem =
            LabelFile::Save(options.file, frame_.session.State(), FirstChannel(), frame_.session.Channels());
        !problem.empty()) {
        err_ << "velmar-cli: " << problem << "\n";
        return kExitFailure;
    }
    err_ << "velmar-cli: labels of channels " << FirstChannel() << ".." << frame_.session.Channels()
         << " saved to " << options.file << "\n";
    return kExitOk;
}

int ChannelCommands::LoadLabels(const CliOptions& options) {
    const FileRead fetched = LabelFile::Fetch(options.load);
    if (!fetched.bytes) {
        err_ << "velmar-cli: " << fetched.problem << "\n";
        return kExitFailure;
    }
    std::istringstream file(*fetched.bytes);
    // A backup restores what the frame can take; a row it cannot take (a control byte the frame
    // once held, a hand edit) is named and left out rather than holding back every other label.
    const LabelFileRead read = LabelFile::Read(file, FirstChannel(), frame_.session.Channels());
    for (const std::string& problem : read.problems)
        err_ << "velmar-cli: " << options.load << ", " << problem << "\n";
    const int leftOut = read.problems.empty() ? kExitOk : kExitFailure;
    // Only what differs from the frame goes out, so the frame's labels are read first.
    RequestBatch labelRuns(frame_.session.Outcomes());
    frame_.session.Feature<ChannelToolsUnit>().LabelRuns();
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
        return leftOut;
    }
    // Counted from this command's own requests: a frame that closes or falls silent during the
    // run has taken only what it acknowledged.
    RequestBatch sent(frame_.session.Outcomes());
    for (const LabelRow* row : changes)
        frame_.session.Feature<ChannelToolsUnit>().SetLabel(row->direction, row->channel, row->text);
    const int result = Settle(sent, options);
    out_ << read.rows.size() << " labels in the file, " << sent.Requests().size() << " sent, "
         << sent.Count(Outcome::Answered) << " acknowledged, " << sent.Count(Outcome::Refused) << " refused";
    if (!read.problems.empty())
        out_ << ", " << read.problems.size() << " left out";
    out_ << "\n";
    return result == kExitOk ? leftOut : result;
}

int ChannelCommands::Label(const CliOptions& options) {
    const std::int32_t direction = *ParseDirection(options.operands[0]);
    std::int32_t channel = 0;
    const std::int32_t last = frame_.session.Channels();
    if (!ParseDecimal(options.operands[1], channel) || channel < FirstChannel() || channel > last) {
        err_ << "velmar-cli: the channel is a number from " << FirstChannel() << " to " << last << "\n";
        return kExitUsage;
    }
    const FrameTextEncoding text = EncodeLabel(options.operands[2]);
    if (!text.Ok()) {
        err_ << "velmar-cli: " << text.error << " Nothing sent.\n";
        return kExitFailure;
    }
    RequestBatch sent(frame_.session.Outcomes());
    if (const RequestProblem problem =
            frame_.session.Feature<ChannelToolsUnit>().SetLabel(direction, channel, text.bytes)) {
        err_ << "velmar-cli: " << *problem << " Nothing sent.\n";
        return kExitFailure;
    }
    if (const int result = Settle(sent, options); result != kExitOk)
        return result;
    out_ << options.operands[0] << " " << channel << " " << ChannelTypeName(channel - 1) << ": "
         << FrameTextForTerminal(LabelOf(frame_.session.State(), direction, channel).View()) << "\n";
    return kExitOk;
}

int ChannelCommands::Gains(const CliOptions& options) {
    RequestBatch batch(frame_.session.Outcomes());
    frame_.session.Feature<ChannelToolsUnit>().GainLists();
    if (const int read = Settle(batch, options); read != kExitOk)
        return read;
    const GainTables& gains = frame_.session.Feature<ChannelToolsUnit>().Gains();
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

namespace {

std::string ReadDirection(const CliOptions& options) {
    if (!ParseDirection(options.operands[0]))
        return "the direction is in or out, not " + options.operands[0];
    return {};
}

void DeclareLabels(CLI::App& command, CliOptions& options) {
    AddJsonOption(command, options);
    AddSaveOption(command, options);
    command.add_option("--load", options.load);
    AddDryRunOption(command, options);
}

std::string ReadLabels(std::span<const std::string> operands, CliOptions& options) {
    if (!options.load.empty() && !options.file.empty())
        return "labels takes either --load or --save";
    return ReadDryRunWhenChanging(operands, options);
}

std::string ReadLabel(std::span<const std::string>, CliOptions& options) {
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

constexpr std::array kChannelCommands{
    CliCommand{
        .word = "inputs",
        .operands = 1,
        .usage = "  inputs ADDR         the signal status of the main-board and card inputs\n",
        .options = AddJsonOption,
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
        .options = DeclareLabels,
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
        .options = AddJsonOption,
        .run = OnFrameOffering<Feature::GainSettings, IncompleteRead::Shows,
                               ChannelTool<&ChannelCommands::Gains>>,
    },
};

}  // namespace

CliFeature ChannelToolsCliFeature() {
    return {kChannelCommands, {}};
}

}  // namespace velmar
