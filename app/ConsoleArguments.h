#pragma once

#include <span>
#include <string>
#include <string_view>

#include "device/ConnectionState.h"

namespace velmar {

// What the console's command line asks for: the one option word, and beyond it a frame to connect
// to at start (for a desktop shortcut per frame and for unattended runs of the window).
struct ConsoleArguments {
    ConsoleOptions options;
    std::string connect;  // "--connect ADDR": a dotted address, '*' or '#' first as in the device list
    bool help = false;
    bool version = false;
    std::string error;  // why the command line was refused
};

// The arguments after the program's name. Words other than the ones below keep the option-word
// rule: one word is the option word, more than one switch nothing on.
ConsoleArguments ParseConsoleArguments(std::span<const std::string_view> arguments);

extern const char* const kConsoleUsage;

}  // namespace velmar
