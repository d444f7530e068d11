#include "cli/CliRegistry.h"

#include <array>

#include "cli/CliFeatureList.h"

namespace velmar {

namespace {

constexpr std::string_view kUsageHead =
    "usage: velmar-cli [options] COMMAND ...\n"
    "\n"
    "commands:\n";

constexpr std::string_view kUsageTail =
    "\n"
    "ADDR is a dotted IPv4 address; a leading '*' means the frame runs its recovery firmware and\n"
    "a leading '#' mode 2, as in the console's device list (both connect on the Telnet port).\n"
    "\n"
    "options:\n"
    "  --json              machine-readable output (discover, status, routes, inputs, labels,\n"
    "                      gains, detectors, cards, ppm, flows, autoroute, watch, history)\n"
    "  --save FILE         routes: also write the crosspoints to a snapshot file (*.xpt)\n"
    "  --dry-run           load-routes, flash, restart, recovery, application, factory-reset,\n"
    "                      netset, settings apply, labels --load, detector, card and the commands\n"
    "                      that change ppm, flows, unicast clocking or automatic routing: print\n"
    "                      what would be sent and send nothing\n"
    "  --restart           flash: restart the frame after the last image\n"
    "  --dhcp, --ip A, --mask M, --gateway G\n"
    "                      netset: obtain the address automatically, or the fixed settings\n"
    "  --trace             print every line sent and received, time-stamped, on stderr\n"
    "  --events            print the console's event log (connects, lost links and why, refusals) on stderr\n"
    "  --recovery          the frame runs its recovery firmware (same as a '*' prefix)\n"
    "  --mode2             the frame runs in mode 2 (same as a '#' prefix)\n"
    "  --telnet            connect an application frame on the Telnet port\n"
    "  --type TYPE         the frame's type as a device list shows it (K5A, K5B, K5E, LV16, LW16)\n"
    "  --timeout MS        give up after MS milliseconds (default 8000)\n"
    "  --help, --version\n"
    "\n"
    "exit codes: 0 ok, 1 failure, 2 usage, 3 the frame does not respond\n"
    "ports: VELMAR_ECHO_PORT, VELMAR_TCP_PORT, VELMAR_TELNET_PORT\n";

}  // namespace

std::span<const CliFeature> CliFeatures() {
    static const std::array features{
#define VELMAR_FEATURE(name) name##CliFeature(),
#include "features/FeatureList.inc"
#undef VELMAR_FEATURE
    };
    return features;
}

const CliCommand* FindCliCommand(std::string_view word) {
    for (const CliFeature& feature : CliFeatures()) {
        for (const CliCommand& command : feature.commands) {
            if (command.word == word)
                return &command;
        }
    }
    return nullptr;
}

bool StartsTwoWordCommand(std::string_view first) {
    for (const CliFeature& feature : CliFeatures()) {
        for (const CliCommand& command : feature.commands) {
            if (command.word.size() > first.size() && command.word.starts_with(first) &&
                command.word[first.size()] == ' ')
                return true;
        }
    }
    return false;
}

const std::string& CliUsage() {
    static const std::string usage = [] {
        std::string text(kUsageHead);
        for (const CliFeature& feature : CliFeatures()) {
            for (const CliCommand& command : feature.commands)
                text += command.usage;
            if (!feature.note.empty())
                text.append("\n").append(feature.note).append("\n");
        }
        return text += kUsageTail;
    }();
    return usage;
}

}  // namespace velmar
