#include "features/settings/core/AddressRules.h"

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

namespace {

template <typename Lan>
bool SameAddresses(const Lan& a, const Lan& b) {
    return a.dhcp == b.dhcp && a.ip == b.ip && a.subnet == b.subnet && a.gateway == b.gateway;
}

}  // namespace

std::optional<std::string> NetworkSettingsProblem(const ConfigBlock& opened, const ConfigBlock& edited,
                                                  bool dante) {
    // What the frame already holds is not sent again, so only a changed choice can lose it.
    if (edited.lan.dhcp == 0 && !SameAddresses(opened.lan, edited.lan)) {
        if (auto problem = FixedAddressProblem(edited.lan.ip.View(), edited.lan.subnet.View(),
                                               edited.lan.gateway.View(), "the frame"))
            return problem;
    }
    if (!dante)
        return std::nullopt;
    if (edited.danteLan.dhcp == 0 && !SameAddresses(opened.danteLan, edited.danteLan)) {
        if (auto problem = FixedAddressProblem(edited.danteLan.ip.View(), edited.danteLan.subnet.View(),
                                               edited.danteLan.gateway.View(), "the Dante primary interface"))
            return problem;
    }
    // The secondary interface is in use only in redundant mode; switching to it puts its
    // addresses to use, changed or not.
    const bool secondaryChanged =
        !SameAddresses(opened.danteSecLan, edited.danteSecLan) || opened.danteSwMode != edited.danteSwMode;
    if (edited.danteSwMode == 1 && edited.danteSecLan.dhcp == 0 && secondaryChanged) {
        return FixedAddressProblem(edited.danteSecLan.ip.View(), edited.danteSecLan.subnet.View(),
                                   edited.danteSecLan.gateway.View(), "the Dante secondary interface");
    }
    return std::nullopt;
}

}  // namespace velmar
