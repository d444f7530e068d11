#include "settings/core/AddressRules.h"

#include "protocol/Ipv4Address.h"

namespace velmar {

namespace {

bool Unusable(std::optional<std::uint32_t> address) {
    return !address || *address == 0 || *address == 0xFFFFFFFFu;
}

}  // namespace

std::optional<std::string> FixedAddressProblem(std::string_view ip, std::string_view mask,
                                               std::string_view gateway, std::string_view where) {
    const std::string tail = " cannot be used for a fixed address of " + std::string(where) + ".";
    if (Unusable(ParseIpv4(ip)))
        return "The IP address \"" + std::string(ip) + "\"" + tail;
    if (Unusable(ParseIpv4(mask)))
        return "The subnet mask \"" + std::string(mask) + "\"" + tail;
    const auto gatewayAddress = ParseIpv4(gateway);
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
