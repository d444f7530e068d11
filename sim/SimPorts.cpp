#include "sim/SimPorts.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

namespace velmar::sim {
namespace {

std::string ReadPort(const char* name, std::uint16_t& port) {
    const char* text = std::getenv(name);
    if (!text || !*text)
        return {};
    unsigned value = 0;
    const char* end = text + std::strlen(text);
    const auto result = std::from_chars(text, end, value);
    if (result.ec != std::errc{} || result.ptr != end || value == 0 || value > 65535) {
        return std::string(name) + " is not a port number: " + text;
    }
    port = static_cast<std::uint16_t>(value);
    return {};
}

}  // namespace

std::string SimPorts::FromEnvironment(SimPorts& ports) {
    for (const auto& [name, port] : {std::pair<const char*, std::uint16_t*>{"VELMAR_ECHO_PORT", &ports.echo},
                                     {"VELMAR_DISCOVERY_PORT", &ports.discovery},
                                     {"VELMAR_TCP_PORT", &ports.tcp},
                                     {"VELMAR_TELNET_PORT", &ports.telnet}}) {
        if (std::string error = ReadPort(name, *port); !error.empty())
            return error;
    }
    return {};
}

}  // namespace velmar::sim
