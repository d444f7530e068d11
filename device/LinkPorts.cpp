#include "device/LinkPorts.h"

#include <cstdlib>

namespace velmar {

namespace {

std::uint16_t PortFromEnvironment(const char* name, std::uint16_t fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0')
        return fallback;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < 1 || value > 65535)
        return fallback;
    return static_cast<std::uint16_t>(value);
}

}  // namespace

LinkPorts LinkPorts::FromEnvironment() {
    LinkPorts ports;
    ports.echo = PortFromEnvironment("VELMAR_ECHO_PORT", ports.echo);
    ports.tcp = PortFromEnvironment("VELMAR_TCP_PORT", ports.tcp);
    ports.telnet = PortFromEnvironment("VELMAR_TELNET_PORT", ports.telnet);
    return ports;
}

}  // namespace velmar
