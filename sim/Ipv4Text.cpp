#include "sim/Ipv4Text.h"

#include <charconv>

namespace velmar::sim {

bool IsIpv4Text(std::string_view text) {
    for (int octet = 0; octet < 4; ++octet) {
        if (octet > 0) {
            if (text.empty() || text.front() != '.')
                return false;
            text.remove_prefix(1);
        }
        // At most three digits, so "0001" is refused like any other address a frame would not print.
        std::size_t digits = 0;
        while (digits < text.size() && digits < 4 && text[digits] >= '0' && text[digits] <= '9')
            ++digits;
        int value = 0;
        if (digits == 0 || digits > 3 ||
            std::from_chars(text.data(), text.data() + digits, value).ec != std::errc{} || value > 255) {
            return false;
        }
        text.remove_prefix(digits);
    }
    return text.empty();
}

bool IsHostAddressText(std::string_view text) {
    return IsIpv4Text(text) && text != "0.0.0.0" && text != "255.255.255.255";
}

}  // namespace velmar::sim
