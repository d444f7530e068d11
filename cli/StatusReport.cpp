#include "cli/StatusReport.h"

#include <algorithm>

#include <array>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "device/DeviceModeName.h"
#include "device/DeviceModel.h"
#include "features/routing/core/ChannelNames.h"
#include "features/routing/core/RoutingUnit.h"
#include "protocol/TextEncoding.h"

namespace velmar {

namespace {

constexpr std::array<std::string_view, 6> kCardNames{"none", "SDI", "AD", "DA", "AES", "MADI/Hotlink"};

std::string_view CardName(CardType type) {
    return kCardNames[static_cast<std::size_t>(type)];
}

using Json = nlohmann::ordered_json;

// Frame texts are 8-bit and go through the one encoding rule, so JSON stays UTF-8.
template <std::size_t N>
std::string Utf8(const TextField<N>& field) {
    return DecodeFrameText(field.View());
}

void Write(std::ostream& out, const Json& json) {
    // Replacing what is not UTF-8 cannot happen with decoded texts; it keeps a fault from
    // turning into an exception halfway through the output.
    const std::string text = json.dump(-1, ' ', false, Json::error_handler_t::replace);
    // The library escapes only what JSON demands; DEL and the C1 controls (U+0080..U+009F, which
    // some terminals obey) are escaped too, so a JSON text shown raw is as safe as our other output.
    static constexpr char kHex[] = "0123456789abcdef";
    std::string safe;
    safe.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        unsigned control = 0x100;
        if (byte == 0x7F) {
            control = byte;
        } else if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80) {
            control = static_cast<unsigned char>(text[++i]);
        }
        if (control == 0x100) {
            safe += text[i];
        } else {
            safe += "\\u00";
            safe += kHex[control >> 4];
            safe += kHex[control & 0xF];
        }
    }
    out << safe << "\n";
}

// The frame refused the reading of `code` (with these leading keys): its value is unknown.
bool Refused(std::span<const RequestHandle> read, CommandCode code,
             std::initializer_list<std::int32_t> keys = {}) {
    return std::any_of(read.begin(), read.end(), [&](const RequestHandle& r) {
        return r->outcome == Outcome::Refused && r->request.Is(code, keys);
    });
}

struct Unknowns {
    bool software;
    bool syncSource;
    bool sampleRate;
};

Unknowns UnknownsOf(std::span<const RequestHandle> read) {
    return {Refused(read, CommandCode::gswver, {2}), Refused(read, CommandCode::gsyncstat),
            Refused(read, CommandCode::gactrate)};
}

template <std::size_t N>
std::string Shown(const TextField<N>& field) {
    return FrameTextForTerminal(field.View());
}

// Characters, not bytes, for lining up columns of UTF-8 text.
std::size_t Width(std::string_view utf8) {
    return static_cast<std::size_t>(std::count_if(
        utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// The power and fan fields as the status panel shows them; "not fitted" where it shows nothing.
std::string Unit(std::uint32_t mask, std::size_t unit, std::int32_t status) {
    const std::string_view text = UnitStatusText(mask, unit, status);
    return text.empty() ? "not fitted" : std::string(text);
}

}  // namespace

void PrintStatus(std::ostream& out, const Session& session, std::span<const RequestHandle> read) {
    const Unknowns unknown = UnknownsOf(read);
    const DeviceState& s = session.State();
    const ConnectionState& c = session.Connection();
    const ConfigBlock& config = s.config;
    out << "Frame " << Shown(c.targetIpText) << " (port " << c.linkPort << ", " << ModeName(c.deviceMode)
        << " mode)\n";
    out << "Name:        " << Shown(config.deviceName) << " (ID " << config.deviceId << ")\n";
    out << "Type:        " << Shown(config.devInfo.type) << ", model " << config.devInfo.model << ", S/N "
        << Shown(config.devInfo.serial) << "\n";
    out << "Network:     " << Shown(config.lan.ip) << " mask " << Shown(config.lan.subnet) << " gateway "
        << Shown(config.lan.gateway) << (config.lan.dhcp != 0 ? " (DHCP)" : "") << ", MAC "
        << Shown(config.lan.mac) << "\n";
    if (unknown.software)
        out << "Software:    unknown\n";
    else
        out << "Software:    main " << MainSoftwareVersion(s) << "\n";
    for (const SoftwareVersions& entry : config.swVer) {
        if (entry.position == 0 || entry.names[0].Empty())
            continue;
        out << "  position " << entry.position << ":";
        for (std::size_t k = 0; k < entry.names.size(); ++k) {
            if (!entry.names[k].Empty())
                out << " " << Shown(entry.names[k]) << " " << Shown(entry.versions[k]) << ";";
        }
        out << "\n";
    }
    // The channel count follows from the main software version.
    out << "Channels:    " << (unknown.software ? std::string("unknown") : std::to_string(session.Channels()))
        << "\n";
    // Recovery firmware and class-2 frames are never polled for clock state; the recovery
    // firmware is not asked for power and fans either.
    if (c.deviceMode == DeviceMode::Application && c.capabilities.matrix) {
        if (unknown.syncSource)
            out << "Sync source: unknown\n";
        else
            out << "Sync source: " << SyncSourceName(s.live.syncSource)
                << (s.live.syncState != 0 ? " (not locked)" : "") << "\n";
        out << "Sample rate: " << (unknown.sampleRate ? "unknown" : SampleRateName(s.live.actualRate))
            << "\n";
    }
    if (c.deviceMode != DeviceMode::Recovery) {
        for (std::size_t n = 1; n <= 2; ++n) {
            out << "PSU " << n << ":       " << Unit(config.psuConf, n, s.live.psuStatus[n - 1]) << "\n";
        }
        for (std::size_t n = 1; n <= 3; ++n) {
            out << "FAN " << n << ":       " << Unit(config.fanConf, n, s.live.fanStatus[n - 1]) << "\n";
        }
    }
    out << "Boards:\n";
    for (const BoardConfig& board : config.hwConf) {
        if (board.boardType == 0)
            continue;
        out << "  position " << board.position << ": type " << board.boardType << ", "
            << Shown(board.boardCode) << " " << Shown(board.boardInfo) << "\n";
    }
    out << "Cards:\n";
    for (std::size_t n = 0; n < kCardSlots; ++n) {
        const CardRecord& card = config.cards[n];
        if (card.kind == CardType::None)
            continue;
        out << "  card " << n + 1 << ": " << CardName(card.kind) << " (mode " << card.mode << ")\n";
    }
    if (!config.danteName.Empty() || !config.danteLan.ip.Empty()) {
        out << "Dante:       " << Shown(config.danteName) << " " << Shown(config.danteLan.ip) << "\n";
    }
}

void PrintStatusJson(std::ostream& out, const Session& session, std::span<const RequestHandle> read) {
    const Unknowns unknown = UnknownsOf(read);
    const DeviceState& s = session.State();
    const ConnectionState& c = session.Connection();
    const ConfigBlock& config = s.config;
    Json json;
    json["address"] = Utf8(c.targetIpText);
    json["port"] = c.linkPort;
    json["mode"] = ModeName(c.deviceMode);
    json["modelClass"] = static_cast<int>(c.capabilities.model);
    json["name"] = Utf8(config.deviceName);
    json["id"] = config.deviceId;
    json["type"] = Utf8(config.devInfo.type);
    json["model"] = config.devInfo.model;
    json["serial"] = Utf8(config.devInfo.serial);
    json["network"] = {{"dhcp", config.lan.dhcp},
                       {"ip", Utf8(config.lan.ip)},
                       {"subnet", Utf8(config.lan.subnet)},
                       {"gateway", Utf8(config.lan.gateway)},
                       {"mac", Utf8(config.lan.mac)}};
    json["mainSoftwareVersion"] = unknown.software ? Json() : Json(MainSoftwareVersion(s));
    Json software = Json::array();
    for (const SoftwareVersions& entry : config.swVer) {
        if (entry.position == 0)
            continue;
        Json items = Json::array();
        for (std::size_t k = 0; k < entry.names.size(); ++k) {
            if (!entry.names[k].Empty())
                items.push_back({{"name", Utf8(entry.names[k])}, {"version", Utf8(entry.versions[k])}});
        }
        software.push_back({{"position", entry.position}, {"items", std::move(items)}});
    }
    json["software"] = std::move(software);
    json["channels"] = unknown.software ? Json() : Json(session.Channels());
    json["syncSource"] = unknown.syncSource ? Json() : Json(SyncSourceName(s.live.syncSource));
    json["syncState"] = unknown.syncSource ? Json() : Json(s.live.syncState);
    json["sampleRate"] = unknown.sampleRate ? Json() : Json(SampleRateName(s.live.actualRate));
    Json& psu = json["psu"] = Json::array();
    for (std::size_t n = 1; n <= 2; ++n)
        psu.push_back(Unit(config.psuConf, n, s.live.psuStatus[n - 1]));
    Json& fans = json["fans"] = Json::array();
    for (std::size_t n = 1; n <= 3; ++n)
        fans.push_back(Unit(config.fanConf, n, s.live.fanStatus[n - 1]));
    Json& boards = json["boards"] = Json::array();
    for (const BoardConfig& board : config.hwConf) {
        if (board.boardType != 0) {
            boards.push_back({{"position", board.position},
                              {"type", board.boardType},
                              {"code", Utf8(board.boardCode)},
                              {"info", Utf8(board.boardInfo)}});
        }
    }
    Json& cards = json["cards"] = Json::array();
    for (std::size_t n = 0; n < kCardSlots; ++n) {
        const CardRecord& card = config.cards[n];
        if (card.kind != CardType::None)
            cards.push_back({{"card", n + 1}, {"kind", CardName(card.kind)}, {"mode", card.mode}});
    }
    json["dante"] = {{"name", Utf8(config.danteName)}, {"ip", Utf8(config.danteLan.ip)}};
    Write(out, json);
}

void PrintRoutes(std::ostream& out, const Session& session) {
    const std::int32_t channels = session.Channels();
    for (std::int32_t output = 1; output <= channels; ++output) {
        const std::int32_t input =
            session.Feature<RoutingUnit>().Crosspoints()[static_cast<std::size_t>(output - 1)];
        if (input <= 0)
            continue;
        char line[96];
        std::snprintf(line, sizeof line, "%4d %-12s <- %4d %s\n", output, ChannelText(output).c_str(), input,
                      ChannelText(input).c_str());
        out << line;
    }
}

void PrintRoutesJson(std::ostream& out, const Session& session) {
    const std::int32_t channels = session.Channels();
    Json json;
    json["channels"] = channels;
    Json& routes = json["routes"] = Json::array();
    for (std::int32_t output = 1; output <= channels; ++output) {
        const std::int32_t input =
            session.Feature<RoutingUnit>().Crosspoints()[static_cast<std::size_t>(output - 1)];
        if (input > 0) {
            routes.push_back({{"output", output},
                              {"outputName", ChannelText(output)},
                              {"input", input},
                              {"inputName", ChannelText(input)}});
        }
    }
    Write(out, json);
}

void PrintDevices(std::ostream& out, std::span<const DeviceRow> rows) {
    static constexpr std::array<std::string_view, kDeviceColumnCount> kHeaders{"IP address", "ID", "Name",
                                                                               "Type", "S/N"};
    std::vector<std::array<std::string, kDeviceColumnCount>> cells(1);
    for (std::size_t c = 0; c < kDeviceColumnCount; ++c)
        cells[0][c] = kHeaders[c];
    for (const DeviceRow& row : rows) {
        auto& line = cells.emplace_back();
        for (std::size_t c = 0; c < kDeviceColumnCount; ++c)
            line[c] = TerminalSafe(row.columns[c]);
    }
    std::array<std::size_t, kDeviceColumnCount> widths{};
    for (const auto& line : cells) {
        for (std::size_t c = 0; c < kDeviceColumnCount; ++c)
            widths[c] = std::max(widths[c], Width(line[c]));
    }
    for (const auto& line : cells) {
        for (std::size_t c = 0; c < kDeviceColumnCount; ++c) {
            out << line[c];
            if (c + 1 < kDeviceColumnCount)
                out << std::string(widths[c] - Width(line[c]) + 2, ' ');
        }
        out << "\n";
    }
}

void PrintDevicesJson(std::ostream& out, std::span<const DeviceRow> rows) {
    Json json = Json::array();
    for (const DeviceRow& row : rows) {
        json.push_back({{"address", row.Column(DeviceColumn::Address)},
                        {"id", row.Column(DeviceColumn::Id)},
                        {"name", row.Column(DeviceColumn::Name)},
                        {"type", row.Column(DeviceColumn::Type)},
                        {"serial", row.Column(DeviceColumn::Serial)}});
    }
    Write(out, json);
}

}  // namespace velmar
