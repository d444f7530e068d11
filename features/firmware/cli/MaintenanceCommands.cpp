#include "features/firmware/cli/MaintenanceCommands.h"

#include "cli/CliFeatureList.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <array>
#include <chrono>
#include <iostream>
#include <memory>

#include "cli/CliApp.h"
#include "cli/CliSockets.h"
#include "cli/EventEcho.h"
#include "cli/FrameConnection.h"
#include "cli/HeadlessConsole.h"
#include "cli/RequestLinePrinter.h"
#include "device/LinkPorts.h"
#include "device/Session.h"
#include "device/discovery/posix/FrameDiscovery.h"
#include "features/firmware/core/FirmwareBatch.h"
#include "features/firmware/core/FirmwareEvents.h"
#include "features/firmware/core/FirmwareUnit.h"
#include "features/firmware/core/NetworkChoice.h"
#include "features/identity/core/IdentityUnit.h"
#include "protocol/Ipv4Address.h"

namespace velmar {

namespace {

using namespace std::chrono_literals;
using C = CommandCode;
using Clock = std::chrono::steady_clock;

constexpr std::string_view kTelnetRefusal = "Programming not possible due to TELNET port connection";
// The unit's watchdog ends every run; this only bounds a loop that would otherwise never stop.
constexpr auto kRunLimit = std::chrono::hours(24);
constexpr int kBarWidth = 30;

NetworkChoice ChoiceFrom(const CliOptions& options) {
    return {options.dhcp.value_or(false), options.ip, options.mask, options.gateway};
}

bool SameNetwork(const LanSettings& a, const LanSettings& b) {
    return a.dhcp == b.dhcp && a.ip.View() == b.ip.View() && a.subnet.View() == b.subnet.View() &&
           a.gateway.View() == b.gateway.View();
}

// Progress of one image: a bar redrawn in place on a terminal, a line per tenth otherwise.
class ProgressPrinter {
  public:
    ProgressPrinter(std::ostream& out, bool terminal, const FirmwareImage& image, std::size_t number,
                    std::size_t count)
        : out_(out), terminal_(terminal), name_(image.Name()), start_(Clock::now()) {
        out_ << "file " << number << " of " << count << ": " << name_ << ", " << image.records.size()
             << " records\n";
    }

    void Update(std::size_t done, std::size_t total) {
        const int percent = FirmwarePercent(done, total);
        if (terminal_) {
            const int filled = percent * kBarWidth / 100;
            out_ << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
                 << std::string(static_cast<std::size_t>(kBarWidth - filled), '-') << "] " << done << "/"
                 << total << " " << percent << "% " << Rate(done) << " records/s " << std::flush;
        } else if (percent / 10 != shownTenth_ || done == total) {
            shownTenth_ = percent / 10;
            out_ << name_ << ": " << done << " of " << total << " records (" << percent << "%), "
                 << Rate(done) << " records/s\n";
        }
    }

    void Finish() {
        if (terminal_)
            out_ << "\n";
    }

  private:
    long Rate(std::size_t done) const {
        const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
        return seconds > 0 ? static_cast<long>(static_cast<double>(done) / seconds) : 0;
    }

    std::ostream& out_;
    bool terminal_;
    std::string name_;
    Clock::time_point start_;
    int shownTenth_ = 0;
};

}  // namespace

int MaintenanceCommands::Run(const CliOptions& options, MaintenanceAction action) {
    if (action == MaintenanceAction::NetSet) {
        if (auto problem = NetworkChoiceProblem(ChoiceFrom(options))) {
            err_ << "velmar-cli: " << *problem << "\n";
            return kExitUsage;
        }
    }
    FirmwareBatchRead read;
    if (action == MaintenanceAction::Flash) {
        // Every file is checked before anything goes to the frame.
        read = ReadFirmwareImages(options.files);
        if (!read.problem.empty()) {
            err_ << "velmar-cli: " << read.problem << "\n";
            return kExitFailure;
        }
    }
    if (options.dryRun)
        return DryRun(options, action, read.images);
    if (action == MaintenanceAction::NetSet && !options.serial.empty())
        return SettingsMessage(options);
    return Connected(options, action, read.images);
}

int MaintenanceCommands::DryRun(const CliOptions& options, MaintenanceAction action,
                                const std::vector<FirmwareImage>& images) {
    if (action == MaintenanceAction::NetSet && !options.serial.empty()) {
        const auto message = BuildSettingsMessage(options.serial, ChoiceFrom(options));
        if (!message.problem.empty()) {
            err_ << "velmar-cli: " << message.problem << "\n";
            return kExitFailure;
        }
        out_ << message.datagram.substr(0, message.datagram.size() - 1) << "\n";
        return kExitOk;
    }
    RequestLinePrinter sink(out_);
    DeviceState state;
    RequestWriter requests(sink, state);
    const bool recovery = options.mode == DeviceMode::Recovery;
    switch (action) {
        case MaintenanceAction::Flash:
            for (const FirmwareImage& image : images) {
                requests.Send(C::sprog, {{14, 0}});
                for (const std::string& record : image.records) {
                    CommandMessage message = FirmwareUnit::RecordRequest(record);
                    requests.SendRecord(message, C::sprog);
                }
                requests.Send(C::sprog, {{14, 2}});
            }
            if (options.restart)
                requests.Send(recovery ? C::sloadapp : C::srestart, {{14, recovery ? 0 : 1}});
            return kExitOk;
        case MaintenanceAction::Restart:
            requests.Send(C::srestart, {{14, 1}});
            return kExitOk;
        case MaintenanceAction::Recovery:
            requests.Send(C::sloadboot);
            return kExitOk;
        case MaintenanceAction::Application:
            requests.Send(C::sloadapp, {{14, 0}});
            return kExitOk;
        case MaintenanceAction::FactoryReset:
            requests.Send(C::sclear);
            return kExitOk;
        case MaintenanceAction::NetSet:
            StoreChoice(NormalisedChoice(ChoiceFrom(options)), state.config.lan);
            if (const RequestProblem problem = requests.SendSetting(C::sip)) {
                err_ << "velmar-cli: " << *problem << "\n";
                return kExitFailure;
            }
            return kExitOk;
        default:
            return kExitUsage;
    }
}

int MaintenanceCommands::SettingsMessage(const CliOptions& options) {
    const auto message = BuildSettingsMessage(options.serial, ChoiceFrom(options));
    if (!message.problem.empty()) {
        err_ << "velmar-cli: " << message.problem << "\n";
        return kExitFailure;
    }
    const int sent = BroadcastDatagram(message.datagram, LinkPorts::FromEnvironment().echo);
    if (sent == 0) {
        err_ << "velmar-cli: no network interface took the settings message (VELMAR_INTERFACES)\n";
        return kExitFailure;
    }
    out_ << "settings message for " << options.serial << " sent on " << sent
         << " interface(s); the frame answers later discoveries at its new address\n";
    return kExitOk;
}

int MaintenanceCommands::Connected(const CliOptions& options, MaintenanceAction action,
                                   const std::vector<FirmwareImage>& images) {
    if (action == MaintenanceAction::Recovery && options.mode == DeviceMode::Recovery) {
        err_ << "velmar-cli: the frame runs its recovery firmware already\n";
        return kExitUsage;
    }
    if (action == MaintenanceAction::Application && options.mode != DeviceMode::Recovery) {
        err_ << "velmar-cli: application loads the application of a frame in recovery ('*' or --recovery)\n";
        return kExitUsage;
    }
    CliSockets sockets(options.trace, err_);
    PosixEventLoop& loop = sockets.loop;
    ConsoleOptions consoleOptions;
    consoleOptions.telnet = options.telnet;
    Session session(sockets.Link(), sockets.datagrams, sockets.timers, LinkPorts::FromEnvironment(),
                    consoleOptions);
    HeadlessConsole console(session);
    const EventEcho events(options.events, session, err_);
    session.Connect(options.address, options.mode, options.model);
    // A Telnet link discards what arrives in its first 300 ms; nothing is sent before it listens.
    loop.RunUntil(
        [&] {
            return (session.Connection().connected && session.Connection().receiveReady) ||
                   console.ConnectError() || console.LinkLost();
        },
        options.timeout);
    if (!session.Connection().connected || !session.Connection().receiveReady) {
        err_ << "velmar-cli: " << kConnectFailedText << "\n";
        return kExitNotResponding;
    }
    // The link opens with the state poll. A restart word queued behind those requests may never
    // be read: a frame drops what it had not read when the console closes the link, and the
    // restarting words close it at once. So nothing goes out until the frame has answered.
    loop.RunUntil([&] { return console.FrameRead() || console.LinkLost(); }, options.timeout);
    if (!console.FrameRead()) {
        err_ << "velmar-cli: the frame did not answer its state poll; nothing was sent\n";
        return kExitNotResponding;
    }
    FirmwareUnit& firmware = session.Feature<FirmwareUnit>();
    // A leaving word goes out alone and the link stays until the frame has taken it.
    const auto leave = [&](RequestHandle sent, std::string_view done) {
        if (!sent) {
            err_ << "velmar-cli: " << kConnectFailedText << "\n";
            return kExitNotResponding;
        }
        loop.RunUntil([&] { return sent->outcome != Outcome::Waiting; }, options.timeout);
        if (sent->outcome == Outcome::Answered) {
            out_ << done << "\n";
            return kExitOk;
        }
        // Still waiting when the command's own deadline passed: as unanswered as it will get.
        err_ << "velmar-cli: "
             << (sent->outcome == Outcome::Waiting ? "no answer to " + sent->request.Describe()
                                                   : DescribeOutcome(*sent))
             << "\n";
        return sent->outcome == Outcome::Refused ? kExitFailure : kExitNotResponding;
    };
    const auto gate = [&](Feature feature) { return CheckGate(feature, options, session, err_); };
    switch (action) {
        case MaintenanceAction::Restart:
            if (const int closed = gate(Feature::Restart); closed != kExitOk)
                return closed;
            return leave(firmware.Restart(),
                         "restart sent to " + options.address + "; the frame is away while it restarts");
        case MaintenanceAction::Recovery:
        case MaintenanceAction::Application:
            return leave(firmware.SwitchFirmware(),
                         std::string(action == MaintenanceAction::Recovery ? "recovery" : "application") +
                             " firmware load sent to " + options.address +
                             "; the frame is away while it restarts");
        case MaintenanceAction::FactoryReset:
        case MaintenanceAction::NetSet: {
            const bool clear = action == MaintenanceAction::FactoryReset;
            LanSettings wanted = session.State().config.lan;
            if (clear) {
                if (const int closed = gate(Feature::FactoryClear); closed != kExitOk)
                    return closed;
            } else {
                StoreChoice(NormalisedChoice(ChoiceFrom(options)), wanted);
                if (SameNetwork(wanted, session.State().config.lan)) {
                    out_ << "network settings of " << options.address << " unchanged; nothing sent\n";
                    return kExitOk;
                }
            }
            RequestBatch sent(session.Outcomes());
            if (clear) {
                firmware.FactoryClear();
            } else if (const RequestProblem problem =
                           session.Feature<IdentityUnit>().SetNetworkSettings(wanted)) {
                err_ << "velmar-cli: " << *problem << "\n";
                return kExitFailure;
            }
            sent.Close();
            if (const int result = AwaitOutcomes(loop, console, sent, options.timeout, err_);
                result != kExitOk)
                return result;
            out_ << (clear ? "factory settings restored on " : "network settings changed on ")
                 << options.address << "\n";
            session.Disconnect();
            return kExitOk;
        }
        default:
            break;
    }

    if (options.mode == DeviceMode::Application && session.Link().IsTelnetLink()) {
        err_ << "velmar-cli: " << kTelnetRefusal << "\n";
        return kExitFailure;
    }
    FirmwareBatch batch(images);
    std::optional<FirmwareRunEnded> ended;
    std::unique_ptr<ProgressPrinter> progress;
    Subscriptions subscriptions;
    subscriptions.push_back(session.Events().Subscribe<FirmwareProgress>(
        [&](const FirmwareProgress& e) { progress->Update(e.acknowledged, e.total); }));
    subscriptions.push_back(
        session.Events().Subscribe<FirmwareRunEnded>([&](const FirmwareRunEnded& e) { ended = e; }));
    const bool terminal = &out_ == &std::cout && ::isatty(STDOUT_FILENO) != 0;
    for (; !batch.Empty(); batch.Advance()) {
        const FirmwareImage& image = batch.Current();
        progress =
            std::make_unique<ProgressPrinter>(out_, terminal, image, batch.FileNumber(), batch.FileCount());
        ended.reset();
        if (const RequestProblem problem = firmware.StartRun(image.records)) {
            err_ << "velmar-cli: " << image.path << ": " << *problem << "\n";
            return kExitFailure;
        }
        loop.RunUntil([&] { return ended.has_value(); }, kRunLimit);
        progress->Finish();
        if (!ended || ended->outcome != FirmwareOutcome::Programmed) {
            err_ << "velmar-cli: programming error: "
                 << (ended ? FirmwareFailureText(*ended, image.path) : image.path + ": no outcome") << "\n";
            return kExitFailure;
        }
    }
    out_ << "flash successfully programmed\n";
    if (options.restart)
        return leave(firmware.RestartAfterProgramming(), "restart sent to " + options.address);
    return kExitOk;
}

namespace {

std::string ReadFlash(std::span<const std::string> operands, CliOptions& options) {
    options.files.assign(operands.begin() + 1, operands.end());
    return {};
}

std::string ReadNetSet(std::span<const std::string> operands, CliOptions& options) {
    const bool fixed = !options.ip.empty() && !options.mask.empty() && !options.gateway.empty();
    const bool anyFixed = !options.ip.empty() || !options.mask.empty() || !options.gateway.empty();
    if (options.dhcp ? anyFixed : !fixed)
        return std::string(kNetSetForms);
    options.dhcp = options.dhcp.value_or(false);
    if (!ParseIpv4(options.address)) {
        // Not an address: the serial number of a frame reached by the settings message.
        options.serial = operands[0];
        options.address.clear();
    }
    return {};
}

void DeclareNetSet(CLI::App& command, CliOptions& options) {
    AddDryRunOption(command, options);
    command.add_flag_callback("--dhcp", [&options] { options.dhcp = true; });
    command.add_option("--ip", options.ip);
    command.add_option("--mask", options.mask);
    command.add_option("--gateway", options.gateway);
}

template <MaintenanceAction action>
int RunMaintenance(const CliOptions& options, const CliStreams& streams) {
    return MaintenanceCommands(streams.out, streams.err).Run(options, action);
}

constexpr std::array kMaintenanceCommands{
    CliCommand{
        .word = "flash",
        .operands = 2,
        .more = true,
        .usage =
            "  flash ADDR FILE... [--restart]\n"
            "                      program the flash files in the order given (each is read and checked\n"
            "                      whole first); exit 0 only when the frame accepted every record and the\n"
            "                      end of every image; --restart then restarts the frame (from recovery:\n"
            "                      loads its application)\n",
        .options =
            [](CLI::App& command, CliOptions& options) {
                AddDryRunOption(command, options);
                command.add_flag("--restart", options.restart);
            },
        .read = ReadFlash,
        .run = RunMaintenance<MaintenanceAction::Flash>,
    },
    CliCommand{
        .word = "restart",
        .operands = 1,
        .usage =
            "  restart ADDR        restart the frame: it drops every connection and is away for a while\n",
        .options = AddDryRunOption,
        .run = RunMaintenance<MaintenanceAction::Restart>,
    },
    CliCommand{
        .word = "recovery",
        .operands = 1,
        .usage = "  recovery ADDR       restart a running application into the recovery firmware\n",
        .options = AddDryRunOption,
        .run = RunMaintenance<MaintenanceAction::Recovery>,
    },
    CliCommand{
        .word = "application",
        .operands = 1,
        .usage = "  application ADDR    restart a frame in recovery into its application firmware\n",
        .options = AddDryRunOption,
        .run = RunMaintenance<MaintenanceAction::Application>,
    },
    CliCommand{
        .word = "factory-reset",
        .operands = 1,
        .usage = "  factory-reset ADDR  return the frame to factory settings at once (routing, names and\n"
                 "                      network audio included); the connection stays\n",
        .options = AddDryRunOption,
        .run = RunMaintenance<MaintenanceAction::FactoryReset>,
    },
    CliCommand{
        .word = "netset",
        .operands = 1,
        .usage =
            "  netset SERIAL|ADDR --dhcp | --ip A --mask M --gateway G\n"
            "                      change a frame's network address: by serial number with the UDP\n"
            "                      settings message (the frame need not be connected; no answer comes),\n"
            "                      or by address over the connection. An address or mask of 0.0.0.0 or\n"
            "                      255.255.255.255 is refused; a gateway of 0.0.0.0 means none\n",
        .options = DeclareNetSet,
        .read = ReadNetSet,
        .run = RunMaintenance<MaintenanceAction::NetSet>,
    },
};

}  // namespace

CliFeature FirmwareCliFeature() {
    return {kMaintenanceCommands, "These commands ask nothing: the command is the intent."};
}

}  // namespace velmar
