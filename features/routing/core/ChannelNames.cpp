#include "features/routing/core/ChannelNames.h"

#include <cctype>

#include "device/ChannelMap.h"

namespace velmar {
namespace {

std::string Padded(std::int32_t number) {
    return (number >= 0 && number < 10 ? "0" : "") + std::to_string(number);
}

// The interface part of a name: "AES", "CARD3", "SFP1"; empty for a channel of no interface.
std::string Prefix(const ChannelLocation& where) {
    switch (where.interface) {
        case Interface::Card:
            return "CARD" + std::to_string(where.card);
        case Interface::Aes:
            return "AES";
        case Interface::Phd1:
            return "PHD1";
        case Interface::Phd2:
            return "PHD2";
        case Interface::Madi:
            return "MADI";
        case Interface::Sfp1:
            return "SFP1";
        case Interface::Sfp2:
            return "SFP2";
        case Interface::Ip:
            return "IP";
        case Interface::None:
            break;
    }
    return "CHN";
}

bool SameInterface(const ChannelLocation& a, const ChannelLocation& b) {
    return a.interface == b.interface && a.card == b.card && a.interface != Interface::None;
}

// Lower case without blanks, and numbers without leading zeros: "MADI 05" → "madi5".
std::string FindKey(std::string_view text) {
    std::string key;
    bool inNumber = false;
    for (const char c : text) {
        if (c == ' ' || c == '\t')
            continue;
        const bool digit = std::isdigit(static_cast<unsigned char>(c)) != 0;
        if (digit && c == '0' && !inNumber)
            continue;
        inNumber = digit;
        key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return key;
}

}  // namespace

std::string ChannelText(std::int32_t channel) {
    const ChannelLocation where = LocateChannel(channel);
    return Prefix(where) + " " + Padded(where.index);
}

std::string PairText(std::int32_t left) {
    const ChannelLocation first = LocateChannel(left);
    const ChannelLocation second = LocateChannel(left + 1);
    return ChannelText(left) + "+" +
           (SameInterface(first, second) ? Padded(second.index) : ChannelText(left + 1));
}

std::string SourceText(std::int32_t input) {
    return input == 0 ? std::string("nothing") : ChannelText(input);
}

std::string ChannelListText(std::span<const std::int32_t> channels, std::size_t most) {
    std::string text;
    std::string previousPrefix;
    for (std::size_t i = 0; i < channels.size() && i < most; ++i) {
        const ChannelLocation where = LocateChannel(channels[i]);
        const std::string prefix = Prefix(where);
        if (i > 0)
            text += ", ";
        text += prefix == previousPrefix && where.interface != Interface::None ? Padded(where.index)
                                                                               : ChannelText(channels[i]);
        previousPrefix = prefix;
    }
    if (channels.size() > most)
        text += " and " + std::to_string(channels.size() - most) + " more";
    return text;
}

bool ChannelMatches(std::int32_t channel, std::string_view query) {
    const std::string key = FindKey(query);
    if (key.empty())
        return false;
    if (key == std::to_string(channel))
        return true;
    return FindKey(ChannelText(channel)).starts_with(key);
}

}  // namespace velmar
