#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/CliOptions.h"

namespace velmar {

struct CliParse {
    std::optional<CliOptions> options;
    std::string error;  // why the command line was refused
};

// Reads the command line (without the program name). Options go before or after the command word
// and between operands; `--` ends them, for an operand that begins with '-'.
CliParse ParseCliOptions(const std::vector<std::string>& args);

}  // namespace velmar
