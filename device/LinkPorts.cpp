#include "device/LinkPorts.h"

#include <cstdlib>
#include <string_view>

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

bool ParseIpv4(const char* text, std::uint32_t& address) {
    const std::string_view view = text == nullptr ? std::string_view{} : std::string_view{text};
    if (view.empty() || view.size() > 15)
        return false;
    std::uint32_t result = 0;
    std::size_t pos = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (pos >= view.size() || view[pos] != '.')
                return false;
            ++pos;
        }
        const std::size_t start = pos;
        std::uint32_t value = 0;
        while (pos < view.size() && view[pos] >= '0' && view[pos] <= '9' && pos - start < 3) {
            value = value * 10 + static_cast<std::uint32_t>(view[pos] - '0');
            ++pos;
        }
        if (pos == start || value > 255)
            return false;
        result = (result << 8) | value;
    }
    if (pos != view.size())
        return false;
    address = result;
    return true;
}

}  // namespace velmar
