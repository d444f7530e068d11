#pragma once

#include <span>
#include <string>
#include <string_view>

#include "cli/CliCommand.h"

namespace velmar {

// Every feature's commands, in the order --help lists them.
std::span<const CliFeature> CliFeatures();

// The command spelled `word` (two words joined by a blank for "settings save"), or null.
const CliCommand* FindCliCommand(std::string_view word);
// Whether `first` is the first of a two-word command.
bool StartsTwoWordCommand(std::string_view first);

// The --help text: the shared part around each feature's lines.
const std::string& CliUsage();

}  // namespace velmar
