#include "features/firmware/core/NetworkChoice.h"

#include <algorithm>
#include <array>

#include "protocol/Ipv4Address.h"

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

std::optional<std::string> NetworkChoiceProblem(const NetworkChoice& choice) {
    if (choice.automatic)
        return std::nullopt;
    for (const Field& field : kFields) {
        const std::string& text = choice.*field.text;
        const auto address = ParseIpv4(text);
        if (!address)
            return std::string(field.name) + " \"" + text +
                   "\" is not an address of four numbers 0 to 255 without leading zeros.";
        if (*address == kAllOnes || (*address == kNone && !field.mayBeNone))
            return std::string(field.name) + " " + Ipv4Text(*address) + " cannot be used.";
    }
    return std::nullopt;
}

NetworkChoice NormalisedChoice(const NetworkChoice& choice) {
    NetworkChoice result{choice.automatic, "0.0.0.0", "0.0.0.0", "0.0.0.0"};
    if (choice.automatic)
        return result;
    for (const Field& field : kFields)
        result.*field.text = Ipv4Text(ParseIpv4(choice.*field.text).value_or(kNone));
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
