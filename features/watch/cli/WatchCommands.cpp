#include "cli/CliFeatureList.h"

#include <CLI/CLI.hpp>
#include <array>
#include <csignal>
#include <ctime>
#include <memory>
#include <vector>

#include "cli/CliApp.h"
#include "device/discovery/posix/FrameDiscovery.h"
#include "device/posix/PosixDatagramSocket.h"
#include "device/posix/PosixEventLoop.h"
#include "device/posix/PosixTcpTransport.h"
#include "device/posix/PosixTimerService.h"
#include "features/watch/core/FrameWatch.h"
#include "features/watch/core/HealthEvents.h"
#include "features/watch/core/HealthText.h"
#include "protocol/Ipv4Address.h"

namespace velmar {

namespace {

using namespace std::chrono_literals;

volatile std::sig_atomic_t stopWatching = 0;

void StopWatching(int) {
    stopWatching = 1;
}

struct WatchTarget {
    std::string address;
    DeviceMode mode = DeviceMode::Application;
};

// One watched frame with the sockets its connection needs.
struct WatchedFrame {
    WatchedFrame(PosixEventLoop& loop, PosixTimerService& timers, EventHub& rack, const WatchTarget& target)
        : tcp(loop),
          datagrams(loop),
          watch(tcp, datagrams, timers, LinkPorts::FromEnvironment(), rack, target.address, target.mode) {}
    PosixTcpTransport tcp;
    PosixDatagramSocket datagrams;
    FrameWatch watch;
};

std::string ReadWatch(std::span<const std::string> operands, CliOptions& options) {
    if (options.all == !operands.empty())
        return "watch takes frame addresses or --all, one of the two";
    for (const std::string& operand : operands) {
        const std::string address =
            operand.substr(operand.starts_with('*') || operand.starts_with('#') ? 1 : 0);
        if (!ParseIpv4(address))
            return "bad address " + operand;
    }
    return {};
}

void DeclareWatch(CLI::App& command, CliOptions& options) {
    AddJsonOption(command, options);
    command.add_flag("--all", options.all);
}

std::vector<WatchTarget> Targets(const CliOptions& options, std::ostream& err) {
    std::vector<WatchTarget> targets;
    for (const std::string& operand : options.operands) {
        const DeviceMode mode = operand.starts_with('*')   ? DeviceMode::Recovery
                                : operand.starts_with('#') ? DeviceMode::Mode2
                                                           : DeviceMode::Application;
        targets.push_back({operand.substr(mode == DeviceMode::Application ? 0 : 1), mode});
    }
    if (!options.all)
        return targets;
    const FrameDiscoveryResult found = DiscoverFrames();
    if (!found.error.empty())
        err << "velmar-cli: " << found.error << "\n";
    for (const DeviceRow& row : found.rows) {
        const std::string& shown = row.Column(DeviceColumn::Address);
        const DeviceMode mode = shown.starts_with('*')   ? DeviceMode::Recovery
                                : shown.starts_with('#') ? DeviceMode::Mode2
                                                         : DeviceMode::Application;
        targets.push_back({Ipv4Text(row.address), mode});
    }
    return targets;
}

int Watch(const CliOptions& options, const CliStreams& streams) {
    const std::vector<WatchTarget> targets = Targets(options, streams.err);
    if (targets.empty()) {
        streams.err << "velmar-cli: no frame answered the discovery\n";
        return kExitNotResponding;
    }
    PosixEventLoop loop;
    PosixTimerService timers(loop);
    EventHub rack;
    const Subscription printer = rack.Subscribe<HealthChanged>([&](const HealthChanged& change) {
        streams.out << (options.json ? HealthChangeJson(change) : HealthChangeLine(change)) << std::endl;
    });
    std::vector<std::unique_ptr<WatchedFrame>> frames;
    for (const WatchTarget& target : targets)
        frames.push_back(std::make_unique<WatchedFrame>(loop, timers, rack, target));
    stopWatching = 0;
    struct sigaction action {};
    action.sa_handler = StopWatching;
    struct sigaction oldInt {
    }, oldTerm{};
    sigaction(SIGINT, &action, &oldInt);
    sigaction(SIGTERM, &action, &oldTerm);
    for (auto& frame : frames)
        frame->watch.Start();
    while (stopWatching == 0)
        loop.RunOnce(200ms);
    frames.clear();
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGTERM, &oldTerm, nullptr);
    return kExitOk;
}

constexpr std::array kCommands{
    CliCommand{
        .word = "watch",
        .more = true,
        .usage = "  watch ADDR... | --all\n"
                 "                      follow the frames' health (link, sync, sample rate, supplies, fans)\n"
                 "                      and print one line per change until interrupted\n",
        .options = DeclareWatch,
        .read = ReadWatch,
        .run = Watch,
    },
};

}  // namespace

CliFeature WatchCliFeature() {
    return {kCommands, {}};
}

}  // namespace velmar
