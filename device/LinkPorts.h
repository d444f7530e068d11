#pragma once

#include <cstdint>

namespace velmar {

// The frame's ports. Defaults are the product's; tests and side-by-side runs move them with
// VELMAR_ECHO_PORT, VELMAR_TCP_PORT and VELMAR_TELNET_PORT.
struct LinkPorts {
    std::uint16_t echo = 10002;
    std::uint16_t tcp = 10003;
    std::uint16_t telnet = 23;

    static LinkPorts FromEnvironment();
};

}  // namespace velmar
