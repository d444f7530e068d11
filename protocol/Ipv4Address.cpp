#include "protocol/Ipv4Address.h"

namespace velmar {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

}  // namespace

Ipv4Reading ReadIpv4(std::string_view text) {
    if (text.empty())
        return {std::nullopt, "No address was entered."};
    for (const char c : text) {
        if (!IsDigit(c) && c != '.')
            return {std::nullopt, "An address holds only digits and dots."};
    }
    // Each part is judged before the count, so "300.1.2" is told about its 300 first.
    std::uint32_t address = 0;
    int parts = 0;
    bool emptyPart = false;
    std::string_view rest = text;
    while (true) {
        const std::size_t dot = rest.find('.');
        const std::string_view part = rest.substr(0, dot);
        if (part.empty()) {
            emptyPart = true;
        } else {
            std::uint32_t value = 0;
            for (const char c : part.substr(0, 4))
                value = value * 10 + static_cast<std::uint32_t>(c - '0');
            if (part.size() > 3 || value > 255)
                return {std::nullopt, Quoted(part) + " is not a number from 0 to 255."};
            if (part.size() > 1 && part.front() == '0')
                return {std::nullopt, Quoted(part) + " begins with a zero; write it without."};
            address = (address << 8) | value;
        }
        ++parts;
        if (dot == std::string_view::npos)
            break;
        rest.remove_prefix(dot + 1);
    }
    if (parts != 4 || emptyPart)
        return {std::nullopt, "An address is four numbers joined by dots, like 192.168.0.10."};
    return {address, {}};
}

std::optional<std::uint32_t> ParseIpv4(std::string_view text) {
    return ReadIpv4(text).address;
}

std::string Ipv4Text(std::uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
           std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

}  // namespace velmar
