#include "cli/CliOptions.h"

#include <array>
#include <charconv>
#include <string_view>

#include "cli/ChannelCommands.h"
#include "device/DeviceModel.h"
#include "device/LinkPorts.h"

namespace velmar {

const char* const kCliUsage =
    "usage: velmar-cli [options] COMMAND ...\n"
    "\n"
    "commands:\n"
    "  discover            list the frames that answer the discovery broadcast (VELMAR_INTERFACES)\n"
    "  probe ADDR          send the UDP echo probe and say whether the frame answers\n"
    "  status ADDR         connect, read the whole frame and print it\n"
    "  routes ADDR         print the crosspoints with channel names\n"
    "  route ADDR OUT IN   feed output OUT from input IN (0 disconnects) and wait for the answer\n"
    "  load-routes ADDR FILE\n"
    "                      send the crosspoints of a snapshot file (*.xpt) and wait for the answers;\n"
    "                      outputs the file does not name stay as they are\n"
    "  flash ADDR FILE... [--restart]\n"
    "                      program the flash files in the order given (each is read and checked\n"
    "                      whole first); exit 0 only when the frame accepted every record and the\n"
    "                      end of every image; --restart then restarts the frame (from recovery:\n"
    "                      loads its application)\n"
    "  restart ADDR        restart the frame: it drops every connection and is away for a while\n"
    "  recovery ADDR       restart a running application into the recovery firmware\n"
    "  application ADDR    restart a frame in recovery into its application firmware\n"
    "  factory-reset ADDR  return the frame to factory settings at once (routing, names and\n"
    "                      network audio included); the connection stays\n"
    "  netset SERIAL|ADDR --dhcp | --ip A --mask M --gateway G\n"
    "                      change a frame's network address: by serial number with the UDP\n"
    "                      settings message (the frame need not be connected; no answer comes),\n"
    "                      or by address over the connection. An address or mask of 0.0.0.0 or\n"
    "                      255.255.255.255 is refused; a gateway of 0.0.0.0 means none\n"
    "\n"
    "These commands ask nothing: the command is the intent.\n"
    "  inputs ADDR         the signal status of the main-board and card inputs\n"
    "  labels ADDR         the input and output label of every channel\n"
    "  labels ADDR --save FILE.csv | --load FILE.csv [--dry-run]\n"
    "                      write the labels to a CSV file (channel,direction,label), or set the\n"
    "                      labels a CSV file gives where they differ from the frame's\n"
    "  label ADDR in|out CH TEXT\n"
    "                      set one label (at most 16 characters; no comma, quote or : & ? % !)\n"
    "  gains ADDR          the input and output gain, phase and mute of every channel\n"
    "  detectors ADDR      the level detectors of every channel: thresholds, enable, status\n"
    "  detector ADDR in|out CH[-CH] [--enable|--disable] [--t1 MS:DB] [--t2 MS:DB]\n"
    "                      change the level detectors of channels CH..CH (only what differs)\n"
    "  cards ADDR          print every card slot and each card's parameters as the card\n"
    "                      configuration page shows them (NAME, value, read-only marks)\n"
    "  card ADDR SLOT NAME=VALUE ...\n"
    "                      change parameters of the card in SLOT (1..8) with the requests the\n"
    "                      page's \"Save changes\" sends, wait for the answers, read the card back\n"
    "                      and print it. NAME is the grid row as CHANNEL:PARAMETER, letter case\n"
    "                      aside: \"3:Phantom power=on\", \"both:Interface type=hotlink\",\n"
    "                      \"2:Tx embedder mode group 4=use SRC\" (quote names with blanks). VALUE\n"
    "                      is one of the row's entries; any other value is refused with the list.\n"
    "                      Assignments apply in order, so a new interface type opens its rows.\n"
    "                      Levels are read-only; the DA card's DSD filter is one setting, shown\n"
    "                      and changed on every channel row.\n"
    "  ppm ADDR            list the PPM meter streams with their channel assignments\n"
    "  ppm ADDR create ID ADDRESS PORT CHANNELS RATE [PHASE]\n"
    "                      ID 1..65535, PORT 1000..65535, CHANNELS 1..255, RATE 10..60000 ms, PHASE 0|1\n"
    "  ppm ADDR delete|enable|disable ID\n"
    "  ppm ADDR assign ID FIRST [COUNT]\n"
    "                      stream channels 1..COUNT (default: all) carry frame channels FIRST...;\n"
    "                      FIRST 0 takes the assignments away\n"
    "  flows ADDR          list the Tx and Rx IP flows with their slot channels, and unicast clocking\n"
    "  flow ADDR tx create ID SLOTS ADDRESS PORT\n"
    "  flow ADDR rx create ID SLOTS PORT LATENCY\n"
    "                      ID 1..32, SLOTS 1..8, PORT 14528..14591, LATENCY in us up to the frame's\n"
    "                      maximum; even slot counts get their IP channels (1..64) assigned\n"
    "  flow ADDR tx|rx delete ID\n"
    "  unicast-clock ADDR on|off\n"
    "  autoroute ADDR      automatic IP routing: on/off, frame rate, latency and the routes\n"
    "  autoroute ADDR connect X DEVICE Y\n"
    "                      channel Y (0..64, 0 removes) of network device DEVICE feeds channel X (1..64)\n"
    "  autoroute ADDR delete X[-X]\n"
    "  autoroute ADDR on|off|frame-rate N|latency N\n"
    "\n"
    "ADDR is a dotted IPv4 address; a leading '*' means the frame runs its recovery firmware and\n"
    "a leading '#' mode 2, as in the console's device list (both connect on the Telnet port).\n"
    "\n"
    "options:\n"
    "  --json              machine-readable output (discover, status, routes, inputs, labels,\n"
    "                      gains, detectors, cards, ppm, flows, autoroute)\n"
    "  --save FILE         routes: also write the crosspoints to a snapshot file (*.xpt)\n"
    "  --dry-run           load-routes, flash, restart, recovery, application, factory-reset,\n"
    "                      netset, settings apply, labels --load, detector, card and the commands\n"
    "                      that change ppm, flows, unicast clocking or automatic routing: print\n"
    "                      what would be sent and send nothing\n"
    "  --restart           flash: restart the frame after the last image\n"
    "  --dhcp, --ip A, --mask M, --gateway G\n"
    "                      netset: obtain the address automatically, or the fixed settings\n"
    "  --trace             print every line sent and received, time-stamped, on stderr\n"
    "  --events            print the console's event log (connects, lost links and why, refusals) on stderr\n"
    "  --recovery          the frame runs its recovery firmware (same as a '*' prefix)\n"
    "  --mode2             the frame runs in mode 2 (same as a '#' prefix)\n"
    "  --telnet            connect an application frame on the Telnet port\n"
    "  --type TYPE         the frame's type as a device list shows it (K5A, K5B, K5E, LV16, LW16)\n"
    "  --timeout MS        give up after MS milliseconds (default 8000)\n"
    "  --help, --version\n"
    "\n"
    "exit codes: 0 ok, 1 failure, 2 usage, 3 the frame does not respond\n"
    "ports: VELMAR_ECHO_PORT, VELMAR_TCP_PORT, VELMAR_TELNET_PORT\n";

namespace {

bool ParseInt(std::string_view text, std::int32_t& value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc{} && result.ptr == text.data() + text.size();
}

struct CommandWord {
    std::string_view word;
    CliCommand command;
    std::size_t operands;
    bool more = false;  // takes further operands after the first `operands`
};

constexpr std::array<CommandWord, 27> kCommands{{
    {"discover", CliCommand::Discover, 0},
    {"probe", CliCommand::Probe, 1},
    {"status", CliCommand::Status, 1},
    {"routes", CliCommand::Routes, 1},
    {"route", CliCommand::Route, 3},
    {"load-routes", CliCommand::LoadRoutes, 2},
    {"flash", CliCommand::Flash, 2, true},
    {"restart", CliCommand::Restart, 1},
    {"recovery", CliCommand::Recovery, 1},
    {"application", CliCommand::Application, 1},
    {"factory-reset", CliCommand::FactoryReset, 1},
    {"netset", CliCommand::NetSet, 1},
    {"inputs", CliCommand::Inputs, 1},
    {"labels", CliCommand::Labels, 1},
    {"label", CliCommand::Label, 4},
    {"gains", CliCommand::Gains, 1},
    {"detectors", CliCommand::Detectors, 1},
    {"detector", CliCommand::Detector, 3},
    {"cards", CliCommand::Cards, 1},
    {"card", CliCommand::Card, 3, true},
    {"settings save", CliCommand::SettingsSave, 2},
    {"settings apply", CliCommand::SettingsApply, 2},
    {"ppm", CliCommand::Ppm, 1, true},
    {"flows", CliCommand::Flows, 1},
    {"flow", CliCommand::Flow, 3, true},
    {"unicast-clock", CliCommand::UnicastClock, 2},
    {"autoroute", CliCommand::AutoRoute, 1, true},
}};

bool TakesDryRun(CliCommand command) {
    switch (command) {
        case CliCommand::LoadRoutes:
        case CliCommand::Flash:
        case CliCommand::Restart:
        case CliCommand::Recovery:
        case CliCommand::Application:
        case CliCommand::FactoryReset:
        case CliCommand::NetSet:
        case CliCommand::Card:
            return true;
        default:
            return false;
    }
}

bool ChangesNetworkAudio(CliCommand command, std::size_t words) {
    return command == CliCommand::Flow || command == CliCommand::UnicastClock ||
           ((command == CliCommand::Ppm || command == CliCommand::AutoRoute) && words > 0);
}

}  // namespace

CliParse ParseCliOptions(const std::vector<std::string>& args) {
    CliOptions options;
    std::vector<std::string> operands;
    bool recovery = false;
    bool mode2 = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.command = CliCommand::Help;
            return {options, {}};
        }
        if (arg == "--version") {
            options.command = CliCommand::Version;
            return {options, {}};
        }
        if (arg == "--json") {
            options.json = true;
        } else if (arg == "--trace") {
            options.trace = true;
        } else if (arg == "--events") {
            options.events = true;
        } else if (arg == "--recovery") {
            recovery = true;
        } else if (arg == "--mode2") {
            mode2 = true;
        } else if (arg == "--telnet") {
            options.telnet = true;
        } else if (arg == "--dry-run") {
            options.dryRun = true;
        } else if (arg == "--restart") {
            options.restart = true;
        } else if (arg == "--dhcp") {
            options.dhcp = true;
        } else if (arg == "--ip" || arg == "--mask" || arg == "--gateway") {
            if (i + 1 >= args.size())
                return {std::nullopt, arg + " needs a value"};
            (arg == "--ip" ? options.ip : arg == "--mask" ? options.mask : options.gateway) = args[++i];
        } else if (arg == "--network") {
            options.network = true;
        } else if (arg == "--save") {
            if (i + 1 >= args.size())
                return {std::nullopt, arg + " needs a value"};
            options.file = args[++i];
        } else if (IsChannelOption(arg)) {
            if (std::string error = ReadChannelOption(args, i, options); !error.empty())
                return {std::nullopt, error};
        } else if (arg == "--type" || arg == "--timeout") {
            if (i + 1 >= args.size())
                return {std::nullopt, arg + " needs a value"};
            const std::string& value = args[++i];
            if (arg == "--type") {
                options.model = ModelClassFromListRow(value);
            } else {
                std::int32_t ms = 0;
                if (!ParseInt(value, ms) || ms <= 0)
                    return {std::nullopt, "bad --timeout: " + value};
                options.timeout = std::chrono::milliseconds(ms);
            }
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            return {std::nullopt, "unknown option " + arg};
        } else {
            operands.push_back(arg);
        }
    }
    if (operands.empty())
        return {std::nullopt, "no command given"};
    // "settings save" and "settings apply" are two-word commands.
    if (operands[0] == "settings" && operands.size() > 1) {
        operands[0] += " " + operands[1];
        operands.erase(operands.begin() + 1);
    }
    const CommandWord* command = nullptr;
    for (const CommandWord& entry : kCommands) {
        if (entry.word == operands[0])
            command = &entry;
    }
    if (command == nullptr)
        return {std::nullopt, "unknown command " + operands[0]};
    if (operands.size() != command->operands + 1 && !(command->more && operands.size() > command->operands)) {
        return {std::nullopt, operands[0] + " takes " + std::to_string(command->operands) +
                                  (command->more ? " or more" : "") + " operand(s)"};
    }
    options.command = command->command;
    if (command->operands == 0)
        return {options, {}};
    std::string address = operands[1];
    if (!address.empty() && (address[0] == '*' || address[0] == '#')) {
        (address[0] == '*' ? recovery : mode2) = true;
        address.erase(0, 1);
    }
    if (recovery && mode2)
        return {std::nullopt, "a frame is either in recovery mode or in mode 2"};
    options.mode = recovery ? DeviceMode::Recovery : mode2 ? DeviceMode::Mode2 : DeviceMode::Application;
    options.address = address;
    options.operands.assign(operands.begin() + 2, operands.end());
    options.words = options.operands;
    if (!options.file.empty() && command->command != CliCommand::Routes &&
        command->command != CliCommand::Labels)
        return {std::nullopt, "--save goes with routes or labels"};
    if (std::string error = ChannelOptionsProblem(options); !error.empty())
        return {std::nullopt, error};
    const bool applying = command->command == CliCommand::SettingsApply;
    if (options.dryRun && !TakesDryRun(command->command) && !applying && !TakesDryRun(options) &&
        !ChangesNetworkAudio(command->command, options.words.size())) {
        return {std::nullopt,
                "--dry-run goes with load-routes, flash, restart, recovery, application, factory-reset, "
                "netset, settings apply, labels --load, detector or card"};
    }
    if (options.network && !applying)
        return {std::nullopt, "--network goes with settings apply"};
    if (options.restart && command->command != CliCommand::Flash)
        return {std::nullopt, "--restart goes with flash"};
    const bool netOptions =
        options.dhcp || !options.ip.empty() || !options.mask.empty() || !options.gateway.empty();
    if (netOptions != (command->command == CliCommand::NetSet) ||
        (options.dhcp && options.ip.size() + options.mask.size() + options.gateway.size() > 0)) {
        return {std::nullopt, "netset takes either --dhcp or --ip A --mask M --gateway G"};
    }
    if (command->command == CliCommand::NetSet) {
        if (!options.dhcp && (options.ip.empty() || options.mask.empty() || options.gateway.empty()))
            return {std::nullopt, "netset takes either --dhcp or --ip A --mask M --gateway G"};
        options.dhcp = options.dhcp.value_or(false);
        std::uint32_t ignored = 0;
        if (!ParseIpv4(options.address.c_str(), ignored)) {
            // Not an address: the serial number of a frame reached by the settings message.
            options.serial = operands[1];
            options.address.clear();
        }
    }
    if (command->command == CliCommand::Flash)
        options.files.assign(operands.begin() + 2, operands.end());
    if (command->command == CliCommand::LoadRoutes || command->command == CliCommand::SettingsSave ||
        applying)
        options.file = operands[2];
    if (command->command == CliCommand::Card) {
        if (!ParseInt(operands[2], options.slot) || options.slot < 1 || options.slot > 8)
            return {std::nullopt, "card needs a SLOT from 1 to 8"};
        options.assignments.assign(operands.begin() + 3, operands.end());
        for (const std::string& assignment : options.assignments) {
            if (assignment.find('=') == std::string::npos)
                return {std::nullopt, "card takes NAME=VALUE, not " + assignment};
        }
    }
    if (command->command == CliCommand::Route) {
        if (!ParseInt(operands[2], options.output) || !ParseInt(operands[3], options.input) ||
            options.output < 1 || options.input < 0) {
            return {std::nullopt, "route needs OUT >= 1 and IN >= 0 as numbers"};
        }
    }
    return {options, {}};
}

}  // namespace velmar
