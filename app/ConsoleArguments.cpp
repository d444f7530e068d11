#include "app/ConsoleArguments.h"

#include <vector>

#include "app/OptionWord.h"

namespace velmar {

const char* const kConsoleUsage =
    "Usage: velmar [telnet | xy | zel] [--connect ADDR]\n"
    "The desktop console for networked audio I/O frames: it finds the frames on the local\n"
    "networks, connects to one at a time, shows its clock, power and fan state, and routes its\n"
    "channels.\n"
    "\n"
    "Option words (one at most, exactly as written):\n"
    "  telnet     connect frames on the Telnet port (23) instead of 10003; implies xy and zel\n"
    "  xy         the device menu offers \"X-Y control ...\"\n"
    "  zel        the device menu offers level detectors, PPM streams and IP routing (Dante\n"
    "             frames); the channel windows of LV16 and LW16 frames start at channel 1\n"
    "\n"
    "Options:\n"
    "  --connect ADDR  connect to the frame at ADDR once the window is open ('*' first for a frame\n"
    "                  in recovery mode, '#' for mode 2, as in the device list)\n"
    "  --help          print this and exit\n"
    "  --version       print the version and exit\n"
    "\n"
    "Environment:\n"
    "  VELMAR_INTERFACES      interfaces that discovery broadcasts on (comma-separated; default all)\n"
    "  VELMAR_ECHO_PORT       a frame's UDP port (default 10002)\n"
    "  VELMAR_DISCOVERY_PORT  the console's UDP port for discovery answers (default 10004)\n"
    "  VELMAR_TCP_PORT        a frame's TCP port in application mode (default 10003)\n"
    "  VELMAR_TELNET_PORT     a frame's TCP port in recovery mode, mode 2 or with telnet (default 23)\n"
    "\n"
    "Frames added by address are kept in ~/.config/Velmar/Velmar.ini. See also velmar-cli(1) and\n"
    "velmar-sim(1).\n";

ConsoleArguments ParseConsoleArguments(std::span<const std::string_view> arguments) {
    ConsoleArguments parsed;
    std::vector<std::string_view> words;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            parsed.help = true;
        } else if (argument == "--version") {
            parsed.version = true;
        } else if (argument == "--connect") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                parsed.error = "--connect needs the frame's address";
                return parsed;
            }
            parsed.connect = arguments[++i];
        } else {
            words.push_back(argument);
        }
    }
    parsed.options = OptionsFromArguments(words);
    return parsed;
}

}  // namespace velmar
