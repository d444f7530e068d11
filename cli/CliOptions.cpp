#include "cli/CliOptions.h"

#include <array>
#include <charconv>
#include <string_view>

#include "device/DeviceModel.h"

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
    "\n"
    "ADDR is a dotted IPv4 address; a leading '*' means the frame runs its recovery firmware and\n"
    "a leading '#' mode 2, as in the console's device list (both connect on the Telnet port).\n"
    "\n"
    "options:\n"
    "  --json              machine-readable output (discover, status, routes)\n"
    "  --save FILE         routes: also write the crosspoints to a snapshot file (*.xpt)\n"
    "  --dry-run           load-routes: print what would be sent and send nothing\n"
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
};

constexpr std::array<CommandWord, 6> kCommands{{
    {"discover", CliCommand::Discover, 0},
    {"probe", CliCommand::Probe, 1},
    {"status", CliCommand::Status, 1},
    {"routes", CliCommand::Routes, 1},
    {"route", CliCommand::Route, 3},
    {"load-routes", CliCommand::LoadRoutes, 2},
}};

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
        } else if (arg == "--save") {
            if (i + 1 >= args.size())
                return {std::nullopt, arg + " needs a value"};
            options.file = args[++i];
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
    const CommandWord* command = nullptr;
    for (const CommandWord& entry : kCommands) {
        if (entry.word == operands[0])
            command = &entry;
    }
    if (command == nullptr)
        return {std::nullopt, "unknown command " + operands[0]};
    if (operands.size() != command->operands + 1) {
        return {std::nullopt, operands[0] + " takes " + std::to_string(command->operands) + " operand(s)"};
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
    if (!options.file.empty() && command->command != CliCommand::Routes)
        return {std::nullopt, "--save goes with routes"};
    if (options.dryRun && command->command != CliCommand::LoadRoutes)
        return {std::nullopt, "--dry-run goes with load-routes"};
    if (command->command == CliCommand::LoadRoutes)
        options.file = operands[2];
    if (command->command == CliCommand::Route) {
        if (!ParseInt(operands[2], options.output) || !ParseInt(operands[3], options.input) ||
            options.output < 1 || options.input < 0) {
            return {std::nullopt, "route needs OUT >= 1 and IN >= 0 as numbers"};
        }
    }
    return {options, {}};
}

}  // namespace velmar
