#include "tools/core/NetworkChoice.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace velmar {

namespace {

constexpr std::uint32_t kNone = 0;
constexpr std::uint32_t kAllOnes = 0xFFFFFFFFu;
constexpr std::size_t kMaxSerial = 16;
// Would end the quoted field or begin another message on the frame.
constexpr std::string_view kNotInSerial = ",':&?%!";

struct Field {
    std::string_view name;
    std::string NetworkChoice::*text;
    bool mayBeNone;
};

constexpr std::array<Field, 3> kFields{{
    {"IP address", &NetworkChoice::address, false},
    {"Subnet mask", &NetworkChoice::mask, false},
    {"Default gateway", &NetworkChoice::gateway, true},
}};

}  // namespace

std::optional<std::uint32_t> ParseDottedAddress(std::string_view text) {
    std::uint32_t address = 0;
    for (int octet = 0; octet < 4; ++octet) {
        if (octet > 0) {
            if (text.empty() || text.front() != '.')
                return std::nullopt;
            text.remove_prefix(1);
        }
        unsigned value = 0;
        const auto [end, error] =
            std::from_chars(text.data(), text.data() + std::min<std::size_t>(text.size(), 3), value);
        if (error != std::errc{} || value > 255)
            return std::nullopt;
        text.remove_prefix(static_cast<std::size_t>(end - text.data()));
        address = (address << 8) | value;
    }
    if (!text.empty())
        return std::nullopt;
    return address;
}

std::string DottedAddress(std::uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
           std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

std::optional<std::string> NetworkChoiceProblem(const NetworkChoice& choice) {
    if (choice.automatic)
        return std::nullopt;
    for (const Field& field : kFields) {
        const std::string& text = choice.*field.text;
        const auto address = ParseDottedAddress(text);
        if (!address)
            return std::string(field.name) + " \"" + text + "\" is not an address of four numbers 0 to 255.";
        if (*address == kAllOnes || (*address == kNone && !field.mayBeNone))
            return std::string(field.name) + " " + DottedAddress(*address) + " cannot be used.";
    }
    return std::nullopt;
}

NetworkChoice NormalisedChoice(const NetworkChoice& choice) {
    NetworkChoice result{choice.automatic, "0.0.0.0", "0.0.0.0", "0.0.0.0"};
    if (choice.automatic)
        return result;
    for (const Field& field : kFields)
        result.*field.text = DottedAddress(ParseDottedAddress(choice.*field.text).value_or(kNone));
    return result;
}

NetworkChoice ChoiceOf(const LanSettings& lan) {
    return {lan.dhcp != 0, std::string(lan.ip.View()), std::string(lan.subnet.View()),
            std::string(lan.gateway.View())};
}

void StoreChoice(const NetworkChoice& choice, LanSettings& lan) {
    lan.dhcp = choice.automatic ? 1 : 0;
    lan.ip.Assign(choice.address);
    lan.subnet.Assign(choice.mask);
    lan.gateway.Assign(choice.gateway);
}

std::optional<std::string> SerialProblem(std::string_view serial) {
    const bool sendable = std::all_of(serial.begin(), serial.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x20 && byte < 0x7F && kNotInSerial.find(c) == std::string_view::npos;
    });
    if (serial.empty() || serial.size() > kMaxSerial || !sendable) {
        return "The serial number \"" + std::string(serial) +
               "\" cannot be sent: the settings message needs 1 to 16 printable characters without , ' : & ? "
               "% !";
    }
    return std::nullopt;
}

SettingsMessage BuildSettingsMessage(std::string_view serial, const NetworkChoice& choice) {
    if (auto problem = SerialProblem(serial))
        return {{}, std::move(*problem)};
    if (auto problem = NetworkChoiceProblem(choice))
        return {{}, std::move(*problem)};
    const NetworkChoice sent = NormalisedChoice(choice);
    std::string datagram = "%eip,'";
    datagram.append(serial);
    datagram += "'," + std::string(sent.automatic ? "1" : "0") + ",'" + sent.address + "','" + sent.mask +
                "','" + sent.gateway + "',1\r";
    return {std::move(datagram), {}};
}

}  // namespace velmar
