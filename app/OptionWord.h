#pragma once

#include <span>
#include <string_view>

#include "device/ConnectionState.h"

namespace velmar {

// The console's one option word: "telnet" switches on all three options, "xy" and "zel" their
// own. The word is compared exactly, case included; any other text, or more than one word,
// switches on nothing.
ConsoleOptions OptionsFromWord(std::string_view word);
// The same for a program's arguments after its name.
ConsoleOptions OptionsFromArguments(std::span<const std::string_view> arguments);

}  // namespace velmar
