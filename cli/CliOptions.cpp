#include "cli/CliOptions.h"

#include <CLI/CLI.hpp>
#include <charconv>

namespace velmar {

bool ParseDecimal(std::string_view text, std::int32_t& value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc{} && result.ptr == text.data() + text.size();
}

std::string ReadFileOperand(std::span<const std::string> operands, CliOptions& options) {
    options.file = operands[1];
    return {};
}

std::string ReadDryRunWhenChanging(std::span<const std::string>, CliOptions& options) {
    if (options.dryRun && options.operands.empty() && options.load.empty())
        return "--dry-run goes with " + std::string(options.command->word) +
               " only when it changes the frame";
    return {};
}

void AddJsonOption(CLI::App& command, CliOptions& options) {
    command.add_flag("--json", options.json);
}

void AddDryRunOption(CLI::App& command, CliOptions& options) {
    command.add_flag("--dry-run", options.dryRun);
}

void AddSaveOption(CLI::App& command, CliOptions& options) {
    command.add_option("--save", options.file);
}

}  // namespace velmar
