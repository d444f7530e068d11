#include "cli/CliFeatureList.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <string>

#include "cli/CliApp.h"
#include "cli/FrameConnection.h"
#include "cli/WordCommandRunner.h"
#include "device/Session.h"
#include "features/ppm/core/PpmEvents.h"
#include "features/ppm/core/PpmStreamTable.h"
#include "features/ppm/core/PpmUnit.h"
#include "protocol/Ipv4Address.h"
#include "protocol/TextEncoding.h"

namespace velmar {

namespace {

class PpmCommand final : private WordCommandRunner {
  public:
    PpmCommand(const CliOptions& options, const CliFrame& frame, std::ostream& out, std::ostream& err)
        : WordCommandRunner(options, frame, out, err), ppm_(frame.session.Feature<PpmUnit>()) {
        EventHub& events = session_.Events();
        subscriptions_.push_back(
            events.Subscribe<PpmStreamReported>([this](const PpmStreamReported& e) { OnStream(e); }));
        subscriptions_.push_back(events.Subscribe<PpmEnableReported>(
            [this](const PpmEnableReported& e) { streams_.SetEnabled(e.id, e.enabled); }));
        subscriptions_.push_back(events.Subscribe<PpmAssignmentReported>(
            [this](const PpmAssignmentReported& e) { streams_.Assign(e); }));
    }

    int Run();

  private:
    int List();
    void OnStream(const PpmStreamReported& report) {
        if (!streams_.Apply(report) && streams_.Ignored() == 1)
            err_ << "velmar-cli: " << PpmStreamsBeyondBoundNote() << "\n";
    }
    int ReadStreams() {
        ppm_.Streams();
        return Settle();
    }

    PpmUnit& ppm_;
    PpmStreamTable streams_;
};

int PpmCommand::Run() {
    const std::string action = Word(0);
    if (action.empty())
        return List();
    if (const int read = ReadStreams(); read != kExitOk)
        return read;
    std::int32_t id = 0;
    if (!Number(1, 1, static_cast<std::int32_t>(kLastPpmId), id))
        return kExitUsage;
    const auto streamId = static_cast<std::uint32_t>(id);
    const PpmStream* stream = streams_.Find(streamId);
    if (action == "create") {
        // ppm ADDR create ID ADDRESS PORT CHANNELS RATE [PHASE]
        std::int32_t port = 0, channels = 0, rate = 0, phase = 0;
        if (options_.words.size() < 6 || options_.words.size() > 7)
            return Usage("ppm create takes ID ADDRESS PORT CHANNELS RATE [PHASE]");
        const auto address = ParseIpv4(Word(2));
        if (!address || *address == 0 || *address == 0xFFFFFFFFu)
            return Usage("'" + Word(2) + "' is not a usable IPv4 address");
        if (!Number(3, kFirstPpmPort, kLastPpmPort, port) || !Number(4, 1, kMaxPpmStreamChannels, channels) ||
            !Number(5, kFirstPpmRate, kLastPpmRate, rate) ||
            (options_.words.size() == 7 && !Number(6, 0, 1, phase))) {
            return kExitUsage;
        }
        if (stream != nullptr)
            return Refuse("stream " + Word(1) + " exists already");
        if (streams_.Full())
            return Refuse("the frame holds at most " + std::to_string(kMaxPpmStreams) + " PPM streams");
        BeginChange();
        if (const RequestProblem problem = ppm_.Create({Word(2), port, streamId, channels, rate, phase}))
            return Refuse(*problem);
        return EndChange();
    }
    if (stream == nullptr)
        return Refuse("the frame has no PPM stream " + Word(1));
    if (action == "delete" || action == "enable" || action == "disable") {
        if (options_.words.size() != 2)
            return Usage("ppm " + action + " takes ID");
        BeginChange();
        if (action == "delete")
            ppm_.Delete(streamId);
        else
            ppm_.Enable(streamId, action == "enable");
        return EndChange();
    }
    if (action == "assign") {
        // ppm ADDR assign ID FIRST [COUNT]; FIRST 0 takes the assignments away
        std::int32_t first = 0, count = stream->channels;
        if (options_.words.size() < 3 || options_.words.size() > 4)
            return Usage("ppm assign takes ID FIRST [COUNT]");
        if (!Number(2, 0, 4096, first) ||
            (options_.words.size() == 4 && !Number(3, 1, kMaxPpmStreamChannels, count))) {
            return kExitUsage;
        }
        const auto assignments = PpmAssignments(count, first, stream->channels, first == 0);
        if (first != 0 && !assignments.empty() && assignments.back().frameChannel > session_.Channels())
            return Refuse("this frame has channels 1 to " + std::to_string(session_.Channels()));
        BeginChange();
        for (const PpmChannelAssignment& a : assignments)
            ppm_.Assign(streamId, a.streamChannel, a.frameChannel);
        return EndChange();
    }
    return Usage("unknown ppm action " + action);
}

int PpmCommand::List() {
    if (const int read = ReadStreams(); read != kExitOk)
        return read;
    for (const PpmStream& stream : streams_.Streams()) {
        for (std::int32_t channel = 1; channel <= std::min(stream.channels, kMaxPpmStreamChannels); ++channel)
            ppm_.Assignment(stream.id, channel);
    }
    if (const int read = Settle(); read != kExitOk)
        return read;
    if (options_.json) {
        out_ << "{\"streams\":[";
        const char* comma = "";
        for (const PpmStream& s : streams_.Streams()) {
            out_ << comma << "{\"id\":" << s.id << ",\"address\":" << FrameTextForJson(s.address)
                 << ",\"port\":" << s.port << ",\"channels\":" << s.channels << ",\"rate\":" << s.rate
                 << ",\"phase\":" << s.phase << ",\"enabled\":" << (s.enabled ? "true" : "false")
                 << ",\"assignment\":[" << s.AssignmentText() << "]}";
            comma = ",";
        }
        out_ << "]}\n";
    } else {
        if (streams_.Streams().empty())
            out_ << "no PPM streams\n";
        for (const PpmStream& s : streams_.Streams()) {
            out_ << "stream " << s.id << "  " << FrameTextForTerminal(s.address) << ":" << s.port << "  "
                 << s.channels << " channels  " << s.rate << " ms  phase " << s.phase << "  "
                 << (s.enabled ? "enabled" : "disabled") << "\n  channels " << s.AssignmentText() << "\n";
        }
    }
    return kExitOk;
}

int RunPpm(const CliOptions& options, const CliFrame& frame, const CliStreams& streams) {
    return PpmCommand(options, frame, streams.out, streams.err).Run();
}

constexpr std::array kPpmCommands{
    CliCommand{
        .word = "ppm",
        .operands = 1,
        .more = true,
        .usage =
            "  ppm ADDR            list the PPM meter streams with their channel assignments\n"
            "  ppm ADDR create ID ADDRESS PORT CHANNELS RATE [PHASE]\n"
            "                      ID 1..65535, PORT 1000..65535, CHANNELS 1..255, RATE 10..60000 ms, PHASE "
            "0|1\n"
            "  ppm ADDR delete|enable|disable ID\n"
            "  ppm ADDR assign ID FIRST [COUNT]\n"
            "                      stream channels 1..COUNT (default: all) carry frame channels FIRST...;\n"
            "                      FIRST 0 takes the assignments away\n",
        .options =
            [](CLI::App& command, CliOptions& options) {
                AddJsonOption(command, options);
                AddDryRunOption(command, options);
            },
        .read = ReadDryRunWhenChanging,
        .run = OnFrameOffering<Feature::PpmStreams, IncompleteRead::Fails, RunPpm>,
    },
};

}  // namespace

CliFeature PpmCliFeature() {
    return {kPpmCommands, {}};
}

}  // namespace velmar
