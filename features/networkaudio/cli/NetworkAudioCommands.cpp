#include "cli/CliFeatureList.h"

#include <array>
#include <charconv>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "cli/FrameConnection.h"
#include "cli/HeadlessConsole.h"
#include "cli/WordCommandRunner.h"
#include "device/DryRunTransport.h"
#include "device/Session.h"
#include "device/posix/PosixEventLoop.h"
#include "features/networkaudio/core/FlowTables.h"
#include "features/networkaudio/core/IpRouteTable.h"
#include "features/networkaudio/core/NetworkAudioEvents.h"
#include "features/networkaudio/core/NetworkAudioUnit.h"
#include "protocol/Ipv4Address.h"
#include "protocol/TextEncoding.h"

// flows, flow, unicast-clock, autoroute: read what they show, check what they send the way the
// windows do, send it and wait for the frame's answers.
namespace velmar {

namespace {

class Runner final : private WordCommandRunner {
  public:
    Runner(const CliOptions& options, const CliFrame& frame, std::ostream& out, std::ostream& err)
        : WordCommandRunner(options, frame, out, err) {
        EventHub& events = session_.Events();
        subscriptions_.push_back(
            events.Subscribe<FlowReported>([this](const FlowReported& e) { flows_.Apply(e); }));
        subscriptions_.push_back(
            events.Subscribe<FlowSlotReported>([this](const FlowSlotReported& e) { flows_.ApplySlot(e); }));
        subscriptions_.push_back(events.Subscribe<UnicastClockStatusReported>(
            [this](const UnicastClockStatusReported& e) { clockStatus_ = e.text; }));
        subscriptions_.push_back(
            events.Subscribe<CrossIpReported>([this](const CrossIpReported& e) { routes_.Apply(e); }));
    }

    int Flows();
    int Flow();
    int UnicastClock();
    int AutoRoute();

  private:
    int AutoRouteList();
    int ReadFlows();
    void ReadRoutes();
    // Automatic routing's settings and routes are sent only while it is on.
    int RequireAutoRouting();

    FlowTables flows_;
    IpRouteTable routes_;
    std::string clockStatus_;
};

int Runner::ReadFlows() {
    session_.Feature<NetworkAudioUnit>().UnicastClock();
    session_.Feature<NetworkAudioUnit>().UnicastClockStatus();
    session_.Feature<NetworkAudioUnit>().RxPortRange();
    session_.Feature<NetworkAudioUnit>().DanteQuery(CommandCode::gmaxlatencyip);
    for (std::int32_t flow = 1; flow <= kMaxFlowId; ++flow) {
        session_.Feature<NetworkAudioUnit>().Flow(true, flow);
        session_.Feature<NetworkAudioUnit>().Flow(false, flow);
    }
    return Settle();
}

int Runner::Flows() {
    if (const int read = ReadFlows(); read != kExitOk)
        return read;
    for (const bool transmit : {true, false}) {
        for (std::int32_t flow : flows_.Ids(transmit)) {
            for (std::int32_t slot = 0;
                 slot < std::min(flows_.Find(transmit, flow)->slotCount, kMaxFlowSlots); ++slot)
                session_.Feature<NetworkAudioUnit>().FlowSlot(transmit, flow, slot);
        }
    }
    if (const int read = Settle(); read != kExitOk)
        return read;
    const bool unicast = session_.State().config.danteUniClk != 0;
    if (options_.json) {
        out_ << "{\"unicastClock\":" << (unicast ? "true" : "false")
             << ",\"unicastStatus\":" << FrameTextForJson(clockStatus_);
        for (const bool transmit : {true, false}) {
            out_ << (transmit ? ",\"tx\":[" : ",\"rx\":[");
            const char* comma = "";
            for (std::int32_t flow : flows_.Ids(transmit)) {
                const FlowEntry& e = *flows_.Find(transmit, flow);
                out_ << comma << "{\"id\":" << flow << ",\"slots\":" << e.slotCount << ",\"port\":" << e.port;
                if (transmit)
                    out_ << ",\"address\":" << FrameTextForJson(e.address);
                else
                    out_ << ",\"latency\":" << e.latency;
                out_ << ",\"channels\":[" << e.ChannelsText() << "]}";
                comma = ",";
            }
            out_ << "]";
        }
        out_ << "}\n";
    } else {
        out_ << "unicast clocking " << (unicast ? "on" : "off") << ": " << FrameTextForTerminal(clockStatus_)
             << "\n";
        for (const bool transmit : {true, false}) {
            for (std::int32_t flow : flows_.Ids(transmit)) {
                const FlowEntry& e = *flows_.Find(transmit, flow);
                out_ << (transmit ? "tx " : "rx ") << flow << "  " << e.slotCount << " slots  port " << e.port
                     << "  "
                     << (transmit ? "to " + FrameTextForTerminal(e.address)
                                  : "latency " + std::to_string(e.latency) + " us")
                     << "  channels " << e.ChannelsText() << "\n";
            }
        }
    }
    return kExitOk;
}

int Runner::Flow() {
    // flow ADDR tx|rx create|delete ...
    const std::string side = Word(0);
    const std::string action = Word(1);
    if ((side != "tx" && side != "rx") || (action != "create" && action != "delete"))
        return Usage("flow takes tx|rx create|delete ...");
    const bool transmit = side == "tx";
    std::int32_t id = 0;
    if (!Number(2, 1, kMaxFlowId, id))
        return kExitUsage;
    if (const int read = ReadFlows(); read != kExitOk)
        return read;
    NetworkAudioUnit& unit = session_.Feature<NetworkAudioUnit>();
    if (action == "delete") {
        if (options_.words.size() != 3)
            return Usage("flow " + side + " delete takes ID");
        const FlowEntry* entry = flows_.Find(transmit, id);
        if (entry == nullptr)
            return Refuse("the frame has no " + side + " flow " + std::to_string(id));
        BeginChange();
        if (transmit) {
            if (const RequestProblem problem = unit.SetTxFlow(id, 0, entry->address, entry->port))
                return Refuse(*problem);
        } else {
            unit.SetRxFlow(id, 0, entry->port, entry->latency);
        }
        return EndChange();
    }
    // tx create ID SLOTS ADDRESS PORT  |  rx create ID SLOTS PORT LATENCY
    if (options_.words.size() != 6)
        return Usage(transmit ? "flow tx create takes ID SLOTS ADDRESS PORT"
                              : "flow rx create takes ID SLOTS PORT LATENCY");
    std::int32_t slotCount = 0;
    if (!Number(3, 1, kMaxFlowSlots, slotCount))
        return kExitUsage;
    std::optional<FlowProblem> problem;
    if (transmit) {
        TxFlowRequest tx{id, slotCount, Word(4), 0};
        if (!ParseIpv4(tx.address))
            return Usage("'" + tx.address + "' is not an IPv4 address");
        if (!Number(5, kFlowFirstPort, kFlowLastPort, tx.port))
            return kExitUsage;
        problem = CheckTxFlow(flows_, tx, FrameAddresses(session_.State(), session_.Connection()));
        if (!problem) {
            BeginChange();
            if (const RequestProblem refused = unit.SetTxFlow(id, slotCount, tx.address, tx.port))
                return Refuse(*refused);
        }
    } else {
        RxFlowRequest rx{id, slotCount, 0, 0};
        if (!Number(4, kFlowFirstPort, kFlowLastPort, rx.port) || !Number(5, 0, 65535, rx.latency))
            return kExitUsage;
        problem = CheckRxFlow(flows_, rx, session_.Feature<NetworkAudioUnit>().Flows().maxLatency);
        if (!problem) {
            BeginChange();
            unit.SetRxFlow(id, slotCount, rx.port, rx.latency);
        }
    }
    if (problem)
        return Refuse(problem->text);
    const std::vector<std::int32_t> channels = FlowSlotChannels(id, slotCount);
    for (std::size_t slot = 0; slot < channels.size(); ++slot)
        unit.SetFlowSlot(transmit, id, static_cast<std::int32_t>(slot), channels[slot]);
    return EndChange();
}

int Runner::UnicastClock() {
    const std::string state = Word(0);
    if (state != "on" && state != "off")
        return Usage("unicast-clock takes on or off");
    BeginChange();
    session_.Feature<NetworkAudioUnit>().SetUnicastClock(state == "on");
    session_.Feature<NetworkAudioUnit>().UnicastClockStatus();
    const int result = EndChange();
    if (result == kExitOk && frame_.dryRun == nullptr)
        out_ << "unicast clocking " << state << ": " << FrameTextForTerminal(clockStatus_) << "\n";
    return result;
}

void Runner::ReadRoutes() {
    for (std::int32_t channel = 1; channel <= kIpRouteChannels; ++channel)
        session_.Feature<NetworkAudioUnit>().CrossIp(channel, "localhost");
}

int Runner::AutoRoute() {
    const std::string action = Word(0);
    NetworkAudioUnit& unit = session_.Feature<NetworkAudioUnit>();
    if (action.empty())
        return AutoRouteList();
    if (action == "on" || action == "off") {
        if (options_.words.size() != 1)
            return Usage("autoroute " + action + " takes nothing more");
        BeginChange();
        unit.SetAutoRoute(action == "on");
        return EndChange();
    }
    if (action == "frame-rate" || action == "latency") {
        std::int32_t value = 0;
        if (options_.words.size() != 2 || !Number(1, 0, action == "latency" ? 99999 : 10000, value))
            return kExitUsage;
        if (const int off = RequireAutoRouting(); off != kExitOk)
            return off;
        for (CommandCode code : {CommandCode::gframeip, CommandCode::glatencyip, CommandCode::gmaxlatencyip})
            unit.DanteQuery(code);
        if (const int read = Settle(); read != kExitOk)
            return read;
        const ConfigBlock& config = session_.State().config;
        const std::int32_t frameRate = action == "frame-rate" ? value : config.danteFrame;
        const std::int32_t latency = action == "latency" ? value : config.danteLatency;
        const std::int32_t maxLatency = session_.Feature<NetworkAudioUnit>().Flows().maxLatency;
        if (latency > maxLatency)
            return Refuse(LatencyAboveMaximum(maxLatency));
        if (latency < 250 || frameRate < 2)
            return Refuse(
                "the frame takes a latency of at least 250 us and a frame rate of at least 2 (now " +
                std::to_string(frameRate) + " and " + std::to_string(latency) + " us)");
        BeginChange();
        if (const RequestProblem problem = unit.SetPerformance(frameRate, latency))
            return Refuse(*problem);
        return EndChange();
    }
    if (action == "connect") {
        // autoroute ADDR connect X DEVICE Y: channel Y of DEVICE feeds this frame's channel X
        std::int32_t x = 0, y = 0;
        if (options_.words.size() != 4)
            return Usage("autoroute connect takes X DEVICE Y");
        if (!Number(1, 1, kIpRouteChannels, x) || !Number(3, 0, kIpRouteChannels, y))
            return kExitUsage;
        if (const int off = RequireAutoRouting(); off != kExitOk)
            return off;
        const std::string_view host = unit.DanteHostName();
        const IpRouteEnds ends = FillIpRouteEnds({}, Word(2), host);
        if (SameIpRouteHost(ends, host))
            return Refuse("'" + Word(2) + "' is this frame: a route needs another device");
        BeginChange();
        if (const RequestProblem problem = unit.SetCrossIp(x, ends.destination, y, ends.source))
            return Refuse(*problem);
        return EndChange();
    }
    if (action == "delete") {
        // autoroute ADDR delete X[-X]
        const std::string range = Word(1);
        const std::size_t dash = range.find('-');
        std::int32_t first = 0, last = 0;
        const auto one = [](std::string_view text, std::int32_t& value) {
            const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
            return !text.empty() && r.ec == std::errc{} && r.ptr == text.data() + text.size() && value >= 1 &&
                   value <= kIpRouteChannels;
        };
        if (options_.words.size() != 2 || !one(range.substr(0, dash), first) ||
            !one(dash == std::string::npos ? range.substr(0, dash) : range.substr(dash + 1), last) ||
            last < first) {
            return Usage("autoroute delete takes X or X-X with 1 <= X <= 64");
        }
        ReadRoutes();
        if (const int read = Settle(); read != kExitOk)
            return read;
        BeginChange();
        std::size_t sent = 0;
        for (std::int32_t x = last; x >= first; --x) {
            const IpRoute* route = routes_.Find(x);
            if (route == nullptr)
                continue;
            if (const RequestProblem problem = unit.SetCrossIp(x, route->destination, 0, route->source))
                return Refuse(*problem);
            ++sent;
        }
        if (sent == 0)
            return Refuse("no route to delete in " + range);
        return EndChange();
    }
    return Usage("unknown autoroute action " + action);
}

int Runner::AutoRouteList() {
    NetworkAudioUnit& unit = session_.Feature<NetworkAudioUnit>();
    unit.AutoRoute();
    for (CommandCode code : {CommandCode::gframeip, CommandCode::glatencyip, CommandCode::gmaxlatencyip})
        unit.DanteQuery(code);
    ReadRoutes();
    if (const int read = Settle(); read != kExitOk)
        return read;
    const ConfigBlock& config = session_.State().config;
    if (options_.json) {
        out_ << "{\"autoRouting\":" << (config.danteAutoRoute != 0 ? "true" : "false")
             << ",\"frameRate\":" << config.danteFrame << ",\"latency\":" << config.danteLatency
             << ",\"maxLatency\":" << session_.Feature<NetworkAudioUnit>().Flows().maxLatency
             << ",\"routes\":[";
        const char* comma = "";
        for (std::int32_t x = 1; x <= kIpRouteChannels; ++x) {
            if (const IpRoute* r = routes_.Find(x)) {
                out_ << comma << "{\"destinationChannel\":" << x
                     << ",\"destination\":" << FrameTextForJson(r->destination)
                     << ",\"sourceChannel\":" << FrameTextForJson(r->sourceChannel)
                     << ",\"source\":" << FrameTextForJson(r->source) << "}";
                comma = ",";
            }
        }
        out_ << "]}\n";
    } else {
        out_ << "auto routing " << (config.danteAutoRoute != 0 ? "on" : "off") << ", frame rate "
             << config.danteFrame << ", latency " << config.danteLatency << " us (maximum "
             << session_.Feature<NetworkAudioUnit>().Flows().maxLatency << " us)\n";
        for (std::int32_t x = 1; x <= kIpRouteChannels; ++x) {
            if (const IpRoute* r = routes_.Find(x)) {
                out_ << x << " " << FrameTextForTerminal(r->destination) << " <- "
                     << FrameTextForTerminal(r->sourceChannel) << " " << FrameTextForTerminal(r->source)
                     << "\n";
            }
        }
    }
    return kExitOk;
}

int Runner::RequireAutoRouting() {
    session_.Feature<NetworkAudioUnit>().AutoRoute();
    if (const int read = Settle(); read != kExitOk)
        return read;
    const std::string off = AutoRoutingOffRefusal(session_.State());
    if (off.empty())
        return kExitOk;
    err_ << "velmar-cli: " << options_.address << " " << off << "\n";
    return kExitUsage;
}

template <int (Runner::*command)()>
int RunnerCommand(const CliOptions& options, const CliFrame& frame, const CliStreams& streams) {
    return (Runner(options, frame, streams.out, streams.err).*command)();
}

constexpr std::array kNetworkAudioCommands{
    CliCommand{
        .word = "flows",
        .operands = 1,
        .usage = "  flows ADDR          list the Tx and Rx IP flows with their slot channels, and unicast "
                 "clocking\n",
        .options = AddJsonOption,
        .run = OnFrameOffering<Feature::IpFlows, IncompleteRead::Fails, RunnerCommand<&Runner::Flows>>,
    },
    CliCommand{
        .word = "flow",
        .operands = 3,
        .more = true,
        .usage =
            "  flow ADDR tx create ID SLOTS ADDRESS PORT\n"
            "  flow ADDR rx create ID SLOTS PORT LATENCY\n"
            "                      ID 1..32, SLOTS 1..8, PORT 14528..14591, LATENCY in us up to the frame's\n"
            "                      maximum; even slot counts get their IP channels (1..64) assigned\n"
            "  flow ADDR tx|rx delete ID\n",
        .options = AddDryRunOption,
        .run = OnFrameOffering<Feature::IpFlows, IncompleteRead::Fails, RunnerCommand<&Runner::Flow>>,
    },
    CliCommand{
        .word = "unicast-clock",
        .operands = 2,
        .usage = "  unicast-clock ADDR on|off\n",
        .options = AddDryRunOption,
        .run = OnFrameOffering<Feature::IpFlows, IncompleteRead::Fails, RunnerCommand<&Runner::UnicastClock>>,
    },
    CliCommand{
        .word = "autoroute",
        .operands = 1,
        .more = true,
        .usage = "  autoroute ADDR      automatic IP routing: on/off, frame rate, latency and the routes\n"
                 "  autoroute ADDR connect X DEVICE Y\n"
                 "                      channel Y (0..64, 0 removes) of network device DEVICE feeds channel "
                 "X (1..64)\n"
                 "  autoroute ADDR delete X[-X]\n"
                 "  autoroute ADDR on|off|frame-rate N|latency N\n",
        .options =
            [](CLI::App& command, CliOptions& options) {
                AddJsonOption(command, options);
                AddDryRunOption(command, options);
            },
        .read = ReadDryRunWhenChanging,
        .run =
            OnFrameOffering<Feature::AutoRouting, IncompleteRead::Fails, RunnerCommand<&Runner::AutoRoute>>,
    },
};

}  // namespace

CliFeature NetworkAudioCliFeature() {
    return {kNetworkAudioCommands, {}};
}

}  // namespace velmar
