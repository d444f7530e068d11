#include "cli/CliParser.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <functional>

#include "cli/CliApp.h"
#include "cli/CliRegistry.h"
#include "device/DeviceModel.h"

namespace velmar {

namespace {

int PrintUsage(const CliOptions&, const CliStreams& streams) {
    streams.out << CliUsage();
    return kExitOk;
}

int PrintVersion(const CliOptions&, const CliStreams& streams) {
    streams.out << "velmar-cli " << VELMAR_VERSION << "\n";
    return kExitOk;
}

constexpr CliCommand kHelp{.word = "--help", .run = PrintUsage};
constexpr CliCommand kVersion{.word = "--version", .run = PrintVersion};

// The --help text is ours, and an option the command does not take is refused in our words rather
// than CLI11's, naming the commands that do take it.
void Configure(CLI::App& app) {
    app.set_help_flag();
    app.allow_extras();
    // As it always was: the last of an option given twice counts.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

struct ModeOptions {
    bool recovery = false;
    bool mode2 = false;
};

void AddSharedOptions(CLI::App& app, CliOptions& options, ModeOptions& mode) {
    // Help and version win over whatever else is wrong on the line.
    app.add_flag("--help,-h", options.help)->trigger_on_parse();
    app.add_flag("--version", options.version)->trigger_on_parse();
    app.add_flag("--trace", options.trace);
    app.add_flag("--events", options.events);
    app.add_flag("--recovery", mode.recovery);
    app.add_flag("--mode2", mode.mode2);
    app.add_flag("--telnet", options.telnet);
    app.add_option_function<std::string>(
        "--type", [&options](const std::string& row) { options.model = ModelClassFromListRow(row); });
    app.add_option_function<std::string>("--timeout", [&options](const std::string& value) {
        std::int32_t ms = 0;
        if (!ParseDecimal(value, ms) || ms <= 0)
            throw CLI::ValidationError("bad --timeout: " + value);
        options.timeout = std::chrono::milliseconds(ms);
    });
}

// Every command with the options it declares, in the order --help lists them.
void ForEachDeclaration(const std::function<void(const CliCommand&, const CLI::App&)>& visit) {
    for (const CliFeature& feature : CliFeatures()) {
        for (const CliCommand& command : feature.commands) {
            if (command.options == nullptr)
                continue;
            CLI::App app;
            Configure(app);
            CliOptions unused;
            command.options(app, unused);
            visit(command, app);
        }
    }
}

// A negative number is an operand, as CLI11 reads it.
bool IsOptionWord(std::string_view arg) {
    return arg.size() > 1 && arg[0] == '-' && arg != "--" && !(arg[1] >= '0' && arg[1] <= '9');
}

// Whether `arg` is an option (a shared one, or one of any command) whose value is the next word.
bool TakesValue(const std::string& arg, const CLI::App& shared) {
    if (arg.find('=') != std::string::npos)
        return false;
    if (const CLI::Option* option = shared.get_option_no_throw(arg))
        return option->get_items_expected_min() > 0;
    bool takes = false;
    ForEachDeclaration([&](const CliCommand&, const CLI::App& app) {
        if (const CLI::Option* option = app.get_option_no_throw(arg))
            takes = takes || option->get_items_expected_min() > 0;
    });
    return takes;
}

// The command word (two for "settings save") and where it stands on the command line: the first
// words that are neither an option nor an option's value.
struct CommandWords {
    std::string word;
    std::vector<std::size_t> at;
};

CommandWords FindCommandWords(const std::vector<std::string>& args, const CLI::App& shared) {
    CommandWords found;
    bool operandsOnly = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!operandsOnly && arg == "--") {
            operandsOnly = true;
        } else if (!operandsOnly && IsOptionWord(arg)) {
            if (TakesValue(arg, shared))
                ++i;
        } else if (found.at.empty()) {
            found.word = arg;
            found.at.push_back(i);
            if (!StartsTwoWordCommand(arg))
                break;
        } else {
            found.word += " " + arg;
            found.at.push_back(i);
            break;
        }
    }
    return found;
}

// Every value option reads text, so only a flag given a value ("--json=yes") fails to convert.
std::optional<std::string> ValueOnFlag(const std::vector<std::string>& args, const CLI::App& app) {
    for (const std::string& arg : args) {
        const std::size_t equals = arg.find('=');
        if (!IsOptionWord(arg) || equals == std::string::npos)
            continue;
        const std::string name = arg.substr(0, equals);
        if (const CLI::Option* option = app.get_option_no_throw(name);
            option != nullptr && option->get_items_expected_min() == 0)
            return name + " takes no value";
    }
    return std::nullopt;
}

std::string Alternatives(const std::vector<std::string_view>& words) {
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0)
            text += i + 1 == words.size() ? " or " : ", ";
        text += words[i];
    }
    return text;
}

// Why `extra`, an option the command did not declare, is refused.
std::string RefusedOption(const std::string& extra) {
    const std::string name = extra.substr(0, extra.find('='));
    std::vector<std::string_view> takers;
    ForEachDeclaration([&](const CliCommand& command, const CLI::App& app) {
        if (app.get_option_no_throw(name) != nullptr)
            takers.push_back(command.word);
    });
    if (!takers.empty())
        return name + " goes with " + Alternatives(takers);
    if (extra[1] != '-')
        return "unknown option " + extra + " (an operand that begins with '-' goes after --)";
    return "unknown option " + extra;
}

}  // namespace

CliParse ParseCliOptions(const std::vector<std::string>& args) {
    CliOptions options;
    ModeOptions mode;
    CLI::App app;
    Configure(app);
    AddSharedOptions(app, options, mode);
    const CommandWords words = FindCommandWords(args, app);
    const CliCommand* command = words.at.empty() ? nullptr : FindCliCommand(words.word);
    if (command != nullptr && command->options != nullptr)
        command->options(app, options);
    std::vector<std::string> operands;
    app.add_option("operands", operands);

    std::vector<std::string> rest;  // CLI11 takes the words last first
    for (std::size_t i = args.size(); i-- > 0;) {
        if (std::find(words.at.begin(), words.at.end(), i) == words.at.end())
            rest.push_back(args[i]);
    }
    const std::string last = rest.empty() ? std::string() : rest.front();
    std::string error;
    try {
        app.parse(rest);
    } catch (const CLI::ArgumentMismatch& e) {
        // Only an option at the end of the line lacks its value: any other takes the next word.
        error = IsOptionWord(last) ? last + " needs a value" : e.what();
    } catch (const CLI::ConversionError& e) {
        error = ValueOnFlag(args, app).value_or(e.what());
    } catch (const CLI::ParseError& e) {
        error = e.what();
    }
    if (options.help || options.version) {
        options.command = options.help ? &kHelp : &kVersion;
        return {options, {}};
    }
    if (words.at.empty())
        return {std::nullopt, "no command given"};
    if (command == nullptr)
        return {std::nullopt, "unknown command " + words.word};
    if (!error.empty())
        return {std::nullopt, error};
    for (const std::string& extra : app.remaining()) {
        if (extra != "--")
            return {std::nullopt, RefusedOption(extra)};
    }
    if (operands.size() < command->operands || (!command->more && operands.size() > command->operands)) {
        return {std::nullopt, words.word + " takes " + std::to_string(command->operands) +
                                  (command->more ? " or more" : "") + " operand(s)"};
    }
    options.command = command;
    if (command->operands == 0) {
        // A command whose operands are all optional (watch ADDR...) reads every one itself.
        options.operands = operands;
        if (command->read != nullptr) {
            if (std::string refusal = command->read(operands, options); !refusal.empty())
                return {std::nullopt, refusal};
        }
        return {options, {}};
    }
    std::string address = operands[0];
    if (!address.empty() && (address[0] == '*' || address[0] == '#')) {
        (address[0] == '*' ? mode.recovery : mode.mode2) = true;
        address.erase(0, 1);
    }
    if (mode.recovery && mode.mode2)
        return {std::nullopt, "a frame is either in recovery mode or in mode 2"};
    options.mode = mode.recovery ? DeviceMode::Recovery
                   : mode.mode2  ? DeviceMode::Mode2
                                 : DeviceMode::Application;
    options.address = address;
    options.operands.assign(operands.begin() + 1, operands.end());
    options.words = options.operands;
    if (command->read != nullptr) {
        if (std::string refusal = command->read(operands, options); !refusal.empty())
            return {std::nullopt, refusal};
    }
    return {options, {}};
}

}  // namespace velmar
