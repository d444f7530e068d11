#include "cli/CliOptions.h"

#include <array>
#include <charconv>
#include <string_view>

#include "cli/ChannelCommands.h"
#include "cli/CliRegistry.h"
#include "cli/MaintenanceCommands.h"
#include "device/DeviceModel.h"

namespace velmar {

namespace {

// A command-specific option, and why it is refused with a command that does not accept it.
struct OptionRule {
    CliOption option;
    bool (*given)(const CliOptions& options);
    std::string_view refusal;
};

// In the order the checks are made, so that a command line with two faults names the first.
constexpr std::array<OptionRule, 8> kOptionRules{{
    {CliOption::Save, [](const CliOptions& o) { return !o.file.empty(); },
     "--save goes with routes or labels"},
    {CliOption::DetectorChange,
     [](const CliOptions& o) { return o.enable || !o.t1.empty() || !o.t2.empty(); },
     "--enable, --disable, --t1 and --t2 go with detector"},
    {CliOption::Load, [](const CliOptions& o) { return !o.load.empty(); }, "--load goes with labels"},
    {CliOption::DryRun, [](const CliOptions& o) { return o.dryRun; },
     "--dry-run goes with load-routes, flash, restart, recovery, application, factory-reset, netset, "
     "settings apply, labels --load, detector or card"},
    {CliOption::Network, [](const CliOptions& o) { return o.network; }, "--network goes with settings apply"},
    {CliOption::Restart, [](const CliOptions& o) { return o.restart; }, "--restart goes with flash"},
    {CliOption::NetAddress,
     [](const CliOptions& o) { return o.dhcp || !o.ip.empty() || !o.mask.empty() || !o.gateway.empty(); },
     kNetSetForms},
    // Asked for JSON, a script must not be handed text it would only fail to read later.
    {CliOption::Json, [](const CliOptions& o) { return o.json; },
     "--json goes with discover, status, routes, inputs, labels, gains, detectors, cards, ppm, flows or "
     "autoroute"},
}};

// The first option on the command line that `accepted` leaves out, as its refusal; empty if none.
std::string_view RefusedOption(const CliOptions& options, CliOptionSet accepted) {
    for (const OptionRule& rule : kOptionRules) {
        if (rule.given(options) && !accepted.Has(rule.option))
            return rule.refusal;
    }
    return {};
}

// The options `command` takes on this command line.
CliOptionSet Accepted(const CliCommand& command, const CliOptions& options) {
    CliOptionSet accepted = command.accepts;
    const bool changing = !options.operands.empty() || !options.load.empty();
    if (command.accepts.Has(CliOption::DryRunWhenChanging) && changing)
        accepted.Add(CliOption::DryRun);
    return accepted;
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
            options.help = true;
            return {options, {}};
        }
        if (arg == "--version") {
            options.version = true;
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
                if (!ParseDecimal(value, ms) || ms <= 0)
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
    if (operands.size() > 1 && StartsTwoWordCommand(operands[0])) {
        operands[0] += " " + operands[1];
        operands.erase(operands.begin() + 1);
    }
    const CliCommand* command = FindCliCommand(operands[0]);
    if (command == nullptr)
        return {std::nullopt, "unknown command " + operands[0]};
    if (operands.size() != command->operands + 1 && !(command->more && operands.size() > command->operands)) {
        return {std::nullopt, operands[0] + " takes " + std::to_string(command->operands) +
                                  (command->more ? " or more" : "") + " operand(s)"};
    }
    options.command = command;
    if (command->operands == 0) {
        if (const std::string_view refusal = RefusedOption(options, command->accepts); !refusal.empty())
            return {std::nullopt, std::string(refusal)};
        return {options, {}};
    }
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
    if (const std::string_view refusal = RefusedOption(options, Accepted(*command, options));
        !refusal.empty())
        return {std::nullopt, std::string(refusal)};
    if (command->read != nullptr) {
        if (std::string error = command->read(std::span(operands).subspan(1), options); !error.empty())
            return {std::nullopt, error};
    }
    return {options, {}};
}

bool ParseDecimal(std::string_view text, std::int32_t& value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc{} && result.ptr == text.data() + text.size();
}

std::string ReadFileOperand(std::span<const std::string> operands, CliOptions& options) {
    options.file = operands[1];
    return {};
}

}  // namespace velmar
