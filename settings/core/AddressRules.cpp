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
