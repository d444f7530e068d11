#include "settings/core/AddressRules.h"

#include <charconv>

namespace velmar {

std::optional<std::uint32_t> ParseAddress(std::string_view text) {
    std::uint32_t address = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (text.empty() || text.front() != '.')
                return std::nullopt;
            text.remove_prefix(1);
        }
        unsigned value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        const auto length = static_cast<std::size_t>(end - text.data());
        if (error != std::errc{} || length == 0 || length > 3 || value > 255)
            return std::nullopt;
        address = (address << 8) | value;
        text.remove_prefix(length);
    }
    if (!text.empty())
        return std::nullopt;
    return address;
}

namespace {

bool Unusable(std::optional<std::uint32_t> address) {
    return !address || *address == 0 || *address == 0xFFFFFFFFu;
}

}  // namespace

std::optional<std::string> FixedAddressProblem(std::string_view ip, std::string_view mask,
                                               std::string_view gateway, std::string_view where) {
    const std::string tail = " cannot be used for a fixed address of " + std::string(where) + ".";
    if (Unusable(ParseAddress(ip)))
        return "The IP address \"" + std::string(ip) + "\"" + tail;
    if (Unusable(ParseAddress(mask)))
        return "The subnet mask \"" + std::string(mask) + "\"" + tail;
    const auto gatewayAddress = ParseAddress(gateway);
    if (!gateway.empty() && (!gatewayAddress || *gatewayAddress == 0xFFFFFFFFu))
        return "The default gateway \"" + std::string(gateway) + "\"" + tail;
    return std::nullopt;
}

std::optional<std::string> NetworkSettingsProblem(const ConfigBlock& config, bool dante) {
    if (config.lan.dhcp == 0) {
        if (auto problem = FixedAddressProblem(config.lan.ip.View(), config.lan.subnet.View(),
                                               config.lan.gateway.View(), "the frame"))
            return problem;
    }
    if (!dante)
        return std::nullopt;
    if (config.danteLan.dhcp == 0) {
        if (auto problem = FixedAddressProblem(config.danteLan.ip.View(), config.danteLan.subnet.View(),
                                               config.danteLan.gateway.View(), "the Dante primary interface"))
            return problem;
    }
    // The secondary interface is in use only in redundant mode.
    if (config.danteSwMode == 1 && config.danteSecLan.dhcp == 0) {
        return FixedAddressProblem(config.danteSecLan.ip.View(), config.danteSecLan.subnet.View(),
                                   config.danteSecLan.gateway.View(), "the Dante secondary interface");
    }
    return std::nullopt;
}

}  // namespace velmar
