#pragma once

#include <cstddef>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace CLI {
class App;
}

namespace velmar {

struct CliOptions;

struct CliStreams {
    std::ostream& out;
    std::ostream& err;
};

// Adds the options the command takes to `command`, read into `options`; an option no command
// declares is unknown, and one another command declares is refused naming that command.
using CliDeclare = void (*)(CLI::App& command, CliOptions& options);
// Checks the operands (everything after the command word, ADDR first) and how the options go
// together, and reads them into `options`; the reason when it refuses.
using CliRead = std::string (*)(std::span<const std::string> operands, CliOptions& options);
// Runs the command and returns the exit code.
using CliRun = int (*)(const CliOptions& options, const CliStreams& streams);

// One command as a feature declares it.
struct CliCommand {
    std::string_view word{};  // two words for "settings save"
    std::size_t operands = 0;
    bool more = false;         // takes further operands after the first `operands`
    std::string_view usage{};  // its lines of the --help text, empty to leave it out
    CliDeclare options = nullptr;
    CliRead read = nullptr;
    CliRun run = nullptr;
};

// A feature's commands, in the order --help lists them, and a note that --help sets below them.
struct CliFeature {
    std::span<const CliCommand> commands;
    std::string_view note;
};

}  // namespace velmar
