#include "cli/CliFeatureList.h"

#include <CLI/CLI.hpp>
#include <array>
#include <csignal>
#include <ctime>
#include <memory>
#include <vector>

#include "cli/CliApp.h"
#include "device/AddressText.h"
#include "device/discovery/posix/FrameDiscovery.h"
#include "device/posix/PosixDatagramSocket.h"
#include "device/posix/PosixEventLoop.h"
#include "device/posix/PosixTcpTransport.h"
#include "device/posix/PosixTimerService.h"
#include "features/watch/core/FrameWatch.h"
#include "features/watch/core/HealthCsv.h"
#include "features/watch/core/HealthEvents.h"
#include "features/watch/core/HealthText.h"
#include "features/watch/core/HistoryRecorder.h"
#include "features/watch/core/SqliteHealthHistory.h"
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
    if (options.keepDays < 1 || options.keepDays > 36500)
        return "--keep-days takes 1..36500";
    for (const std::string& operand : operands) {
        if (!ParseIpv4(AddressOfAddressText(operand)))
            return "bad address " + operand;
    }
    return {};
}

void DeclareWatch(CLI::App& command, CliOptions& options) {
    AddJsonOption(command, options);
    command.add_flag("--all", options.all);
    command.add_option("--keep-days", options.keepDays);
}

std::string ReadHistory(std::span<const std::string>, CliOptions& options) {
    if (!ParseIpv4(options.address))
        return "bad address " + options.address;
    if (options.csv && options.json)
        return "history prints --csv or --json, not both";
    if (!options.since.empty() && !ParseHealthTime(options.since, std::chrono::system_clock::now()))
        return "--since takes a time such as 2026-12-08T06:00:00Z, 2026-12-08 or 90m, 12h, 7d";
    return {};
}

void DeclareHistory(CLI::App& command, CliOptions& options) {
    AddJsonOption(command, options);
    command.add_option("--since", options.since);
    command.add_flag("--csv", options.csv);
}

std::vector<WatchTarget> Targets(const CliOptions& options, std::ostream& err) {
    std::vector<WatchTarget> targets;
    for (const std::string& operand : options.operands)
        targets.push_back({std::string(AddressOfAddressText(operand)), ModeOfAddressText(operand)});
    if (!options.all)
        return targets;
    const FrameDiscoveryResult found = DiscoverFrames();
    if (!found.error.empty())
        err << "velmar-cli: " << found.error << "\n";
    for (const DeviceRow& row : found.rows) {
        targets.push_back({Ipv4Text(row.address), ModeOfAddressText(row.Column(DeviceColumn::Address))});
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
    // Without its history the watch still shows what happens; the exit code says what was lost.
    SqliteHealthHistory history;
    const std::string path = SqliteHealthHistory::DefaultPath();
    const std::string opened = history.Open(path, SqliteHealthHistory::Access::ReadWrite);
    if (!opened.empty())
        streams.err << "velmar-cli: " << opened << "; changes are not recorded\n";
    HistoryRecorder recorder(rack, history, timers, std::chrono::hours(24 * options.keepDays));
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
    if (opened.empty() && recorder.Failures() != 0) {
        streams.err << "velmar-cli: " << recorder.Failures()
                    << " changes or prunings not recorded: " << recorder.LastFailure() << "\n";
    }
    return opened.empty() && recorder.Failures() == 0 ? kExitOk : kExitFailure;
}

int History(const CliOptions& options, const CliStreams& streams) {
    SqliteHealthHistory history;
    const std::string path = SqliteHealthHistory::DefaultPath();
    if (std::string failure = history.Open(path, SqliteHealthHistory::Access::ReadOnly); !failure.empty()) {
        streams.err << "velmar-cli: " << failure << "\n";
        return kExitFailure;
    }
    const auto since = options.since.empty()
                           ? std::chrono::system_clock::time_point{}
                           : *ParseHealthTime(options.since, std::chrono::system_clock::now());
    std::vector<HealthChanged> changes;
    if (std::string failure = history.Read(options.address, since, changes); !failure.empty()) {
        streams.err << "velmar-cli: " << failure << "\n";
        return kExitFailure;
    }
    if (options.csv) {
        streams.out << HealthChangesCsv(changes);
        return kExitOk;
    }
    for (const HealthChanged& change : changes)
        streams.out << (options.json ? HealthChangeJson(change) : HealthChangeLine(change)) << "\n";
    return kExitOk;
}

constexpr std::array kWatchCommands{
    CliCommand{
        .word = "watch",
        .more = true,
        .usage = "  watch ADDR... | --all\n"
                 "                      follow the frames' health (link, sync, sample rate, supplies, fans)\n"
                 "                      and print one line per change until interrupted; each change is\n"
                 "                      also recorded (VELMAR_HISTORY, else the user's data folder) and\n"
                 "                      kept --keep-days DAYS (default 30)\n",
        .options = DeclareWatch,
        .read = ReadWatch,
        .run = Watch,
    },
    CliCommand{
        .word = "history",
        .operands = 1,
        .usage = "  history ADDR        the frame's recorded health changes, oldest first (--since TIME,\n"
                 "                      --csv for a spreadsheet)\n",
        .options = DeclareHistory,
        .read = ReadHistory,
        .run = History,
    },
};

}  // namespace

CliFeature WatchCliFeature() {
    return {kWatchCommands, {}};
}

}  // namespace velmar
