#pragma once

#include <cstddef>
#include <initializer_list>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace velmar {

struct CliOptions;

struct CliStreams {
    std::ostream& out;
    std::ostream& err;
};

// The options that belong to some commands only; the parser refuses each with any other command.
enum class CliOption : unsigned {
    Save = 1U << 0,            // --save FILE
    DetectorChange = 1U << 1,  // --enable, --disable, --t1, --t2
    Load = 1U << 2,            // --load FILE
    DryRun = 1U << 3,
    // --dry-run only when the command line changes the frame: words after ADDR, or --load.
    DryRunWhenChanging = 1U << 4,
    Network = 1U << 5,     // --network
    Restart = 1U << 6,     // --restart
    NetAddress = 1U << 7,  // --dhcp, --ip, --mask, --gateway
    Json = 1U << 8,        // --json: the command has a machine-readable form
};

class CliOptionSet {
  public:
    constexpr CliOptionSet() = default;
    constexpr CliOptionSet(std::initializer_list<CliOption> options) {
        for (const CliOption option : options)
            Add(option);
    }
    constexpr void Add(CliOption option) { bits_ |= static_cast<unsigned>(option); }
    constexpr bool Has(CliOption option) const { return (bits_ & static_cast<unsigned>(option)) != 0; }

  private:
    unsigned bits_ = 0;
};

// Checks the operands (everything after the command word, ADDR first) and the options the shared
// rules leave to the command, and reads them into `options`; the reason when it refuses.
using CliRead = std::string (*)(std::span<const std::string> operands, CliOptions& options);
// Runs the command and returns the exit code.
using CliRun = int (*)(const CliOptions& options, const CliStreams& streams);

// One command as a feature declares it.
struct CliCommand {
    std::string_view word{};  // two words for "settings save"
    std::size_t operands = 0;
    bool more = false;         // takes further operands after the first `operands`
    std::string_view usage{};  // its lines of the --help text, empty to leave it out
    CliOptionSet accepts{};
    CliRead read = nullptr;
    CliRun run = nullptr;
};

// A feature's commands, in the order --help lists them, and a note that --help sets below them.
struct CliFeature {
    std::span<const CliCommand> commands;
    std::string_view note;
};

}  // namespace velmar
