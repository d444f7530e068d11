#include "sim/RackConfig.h"

#include <arpa/inet.h>

#include <charconv>
#include <set>

namespace velmar::sim {
namespace {

constexpr std::size_t kMaxNameLength = 16;  // text17 on the wire
constexpr std::size_t kMaxDanteNameLength = 31;

FrameDescription K5AStudio() {
    FrameDescription description;
    description.model = FrameModel::K5A;
    description.name = "Studio A";
    description.id = 1;
    description.serial = "K5A0011703042";
    description.version = "2.1.0.3";
    description.cards = {CardKind::Sdi,  CardKind::Ad, CardKind::Da,   CardKind::Aes,
                         CardKind::Madi, CardKind::Ad, CardKind::None, CardKind::None};
    description.sfp = true;
    description.danteName = "STUDIO-A";
    return description;
}

FrameDescription Lw16() {
    FrameDescription description;
    description.model = FrameModel::LW16;
    description.name = "Wall box";
    description.id = 2;
    description.serial = "LW160021804011";
    description.version = "2.0.1.0";
    description.danteName = "WALLBOX";
    return description;
}

FrameDescription K5E() {
    FrameDescription description;
    description.model = FrameModel::K5E;
    description.name = "Edge";
    description.id = 3;
    description.serial = "K5E0031902007";
    description.version = "1.4.0.2";
    return description;
}

FrameDescription Recovering() {
    FrameDescription description;
    description.model = FrameModel::K5A;
    description.mode = FrameMode::Recovery;
    description.name = "Spare";
    description.id = 4;
    description.serial = "K5A0041705113";
    description.version = "1.9.0.0";
    description.cards[0] = CardKind::Ad;
    return description;
}

bool ParseInt(std::string_view text, std::int32_t& value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc{} && result.ptr == text.data() + text.size();
}

// A value that goes into a quoted text on the wire may not hold the characters that end a
// text, split an argument or start a line.
bool WireSafe(std::string_view text) {
    for (const char c : text) {
        if (c == ',' || c == '\'' || c == ':' || c == '&' || c == '?' || c == '%' || c == '!' || c == '\r' ||
            c == '\n' || c == '#' || static_cast<unsigned char>(c) < 0x20) {
            return false;
        }
    }
    return true;
}

std::string ParseCards(std::string_view text, std::array<CardKind, kCardSlots>& cards) {
    cards.fill(CardKind::None);
    std::size_t slot = 0;
    while (!text.empty()) {
        if (slot == kCardSlots)
            return "more than 8 card slots";
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
        bool known = false;
        for (const CardKind kind :
             {CardKind::None, CardKind::Sdi, CardKind::Ad, CardKind::Da, CardKind::Aes, CardKind::Madi}) {
            if (item == CardName(kind) || (kind == CardKind::None && item == "none")) {
                cards[slot] = kind;
                known = true;
            }
        }
        if (!known)
            return "unknown card kind '" + std::string(item) + "' (sdi, ad, da, aes, madi or -)";
        ++slot;
    }
    return {};
}

std::string ApplyWord(std::string_view key, std::string_view value, FrameDescription& description) {
    if (key == "address") {
        description.address = value;
    } else if (key == "model") {
        for (const FrameModel model :
             {FrameModel::K5A, FrameModel::K5B, FrameModel::K5E, FrameModel::LV16, FrameModel::LW16}) {
            if (value == ModelName(model)) {
                description.model = model;
                return {};
            }
        }
        return "unknown model '" + std::string(value) + "' (K5A, K5B, K5E, LV16 or LW16)";
    } else if (key == "mode") {
        if (value == "application" || value == "app") {
            description.mode = FrameMode::Application;
        } else if (value == "recovery" || value == "*") {
            description.mode = FrameMode::Recovery;
        } else if (value == "mode2" || value == "#") {
            description.mode = FrameMode::Mode2;
        } else {
            return "unknown mode '" + std::string(value) + "' (application, recovery or mode2)";
        }
    } else if (key == "name") {
        if (value.size() > kMaxNameLength || !WireSafe(value))
            return "name must be at most 16 plain characters";
        description.name = value;
    } else if (key == "id") {
        if (!ParseInt(value, description.id) || description.id < 0 || description.id > 99999)
            return "id must be 0..99999";
    } else if (key == "serial") {
        if (value.empty() || value.size() > kMaxNameLength || !WireSafe(value)) {
            return "serial must be 1 to 16 plain characters";
        }
        description.serial = value;
    } else if (key == "version") {
        if (VersionNumber(value) == 0 || value.size() > kMaxNameLength)
            return "version must read like 2.1.0.3";
        description.version = value;
    } else if (key == "cards") {
        return ParseCards(value, description.cards);
    } else if (key == "sfp") {
        if (value != "yes" && value != "no")
            return "sfp must be yes or no";
        description.sfp = value == "yes";
    } else if (key == "dante") {
        if (value == "-" || value == "no") {
            description.danteName.clear();
        } else if (value.empty() || value.size() > kMaxDanteNameLength || !WireSafe(value) ||
                   value.find(' ') != std::string_view::npos) {
            return "dante name must be 1 to 31 plain characters without blanks";
        } else {
            description.danteName = value;
        }
    } else {
        return "unknown key '" + std::string(key) + "'";
    }
    return {};
}

std::string AddressText(std::uint32_t hostOrder) {
    in_addr address{};
    address.s_addr = htonl(hostOrder);
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

}  // namespace

std::vector<FrameDescription> RackConfig::DefaultRack() {
    return {K5AStudio(), Lw16(), K5E(), Recovering()};
}

std::vector<FrameDescription> RackConfig::GeneratedRack(int count) {
    std::vector<FrameDescription> frames = DefaultRack();
    if (count < static_cast<int>(frames.size()))
        frames.resize(static_cast<std::size_t>(count < 0 ? 0 : count));
    for (int n = static_cast<int>(frames.size()) + 1; n <= count; ++n) {
        FrameDescription description = K5AStudio();
        description.model = n % 3 == 0 ? FrameModel::LV16 : FrameModel::K5A;
        description.name = "Frame " + std::to_string(n);
        description.id = n;
        std::string number = std::to_string(n);
        description.serial =
            std::string(ModelName(description.model)) + std::string(10 - number.size(), '0') + number;
        description.danteName = "FRAME-" + number;
        frames.push_back(description);
    }
    return frames;
}

std::string RackConfig::ApplyWords(std::string_view words, FrameDescription& description) {
    std::size_t pos = 0;
    while (pos < words.size()) {
        if (words[pos] == ' ' || words[pos] == '\t') {
            ++pos;
            continue;
        }
        const std::size_t equals = words.find('=', pos);
        const std::size_t blank = words.find_first_of(" \t", pos);
        if (equals == std::string_view::npos || equals > blank) {
            return "expected key=value at '" + std::string(words.substr(pos, blank - pos)) + "'";
        }
        const std::string_view key = words.substr(pos, equals - pos);
        std::string_view value;
        pos = equals + 1;
        if (pos < words.size() && words[pos] == '\'') {
            const std::size_t close = words.find('\'', pos + 1);
            if (close == std::string_view::npos)
                return "unterminated quote in value of " + std::string(key);
            value = words.substr(pos + 1, close - pos - 1);
            pos = close + 1;
        } else {
            const std::size_t end = std::min(words.find_first_of(" \t", pos), words.size());
            value = words.substr(pos, end - pos);
            pos = end;
        }
        if (std::string error = ApplyWord(key, value, description); !error.empty())
            return error;
    }
    return {};
}

std::string RackConfig::ParseFile(std::string_view text, std::vector<FrameDescription>& frames) {
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view{} : text.substr(newline + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string_view::npos || line[start] == '#')
            continue;
        line.remove_prefix(start);
        if (line.substr(0, 5) != "frame" || (line.size() > 5 && line[5] != ' ' && line[5] != '\t')) {
            return "line " + std::to_string(lineNumber) + ": expected 'frame key=value ...'";
        }
        FrameDescription description;
        if (std::string error = ApplyWords(line.substr(5), description); !error.empty()) {
            return "line " + std::to_string(lineNumber) + ": " + error;
        }
        frames.push_back(description);
    }
    return {};
}

std::string RackConfig::AssignAddresses(std::vector<FrameDescription>& frames) {
    std::set<std::uint32_t> used;
    for (const FrameDescription& description : frames) {
        if (description.address.empty())
            continue;
        in_addr address{};
        if (inet_pton(AF_INET, description.address.c_str(), &address) != 1)
            return "bad address " + description.address;
        const std::uint32_t host = ntohl(address.s_addr);
        // Frames live on loopback only, and 127.0.0.1 belongs to the console.
        if ((host >> 24) != 127 || host == 0x7F000001u || (host & 0xFFu) == 0 || (host & 0xFFu) == 255) {
            return "frame address " + description.address + " is not a loopback address from 127.0.0.2 on";
        }
        if (!used.insert(host).second)
            return "two frames on " + description.address;
    }
    std::uint32_t next = 0x7F000002u;
    for (FrameDescription& description : frames) {
        if (!description.address.empty())
            continue;
        while (used.count(next) != 0 || (next & 0xFFu) == 0 || (next & 0xFFu) == 255)
            ++next;
        used.insert(next);
        description.address = AddressText(next);
    }
    return {};
}

}  // namespace velmar::sim
