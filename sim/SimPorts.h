#pragma once

#include <cstdint>
#include <string>

namespace velmar::sim {

// The four ports of the protocol; each can be moved by its environment variable so that
// several racks and tests run side by side without root.
struct SimPorts {
    std::uint16_t echo = 10002;       // VELMAR_ECHO_PORT: echo, discovery query, settings message
    std::uint16_t discovery = 10004;  // VELMAR_DISCOVERY_PORT: where discovery answers go
    std::uint16_t tcp = 10003;        // VELMAR_TCP_PORT: application mode
    std::uint16_t telnet = 23;        // VELMAR_TELNET_PORT: recovery mode, mode 2, telnet option

    // Reads the environment; returns an error text for a variable that is not a port number.
    static std::string FromEnvironment(SimPorts& ports);
};

}  // namespace velmar::sim
