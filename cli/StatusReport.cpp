#include "cli/StatusReport.h"

#include <algorithm>

#include <array>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "device/DeviceModel.h"
#include "protocol/TextEncoding.h"
#include "routing/core/ChannelNames.h"

namespace velmar {

namespace {

constexpr std::array<std::string_view, 6> kCardNames{"none", "SDI", "AD", "DA", "AES", "MADI/Hotlink"};

std::string_view CardName(CardType type) {
    return kCardNames[static_cast<std::size_t>(type)];
}

std::string_view ModeName(DeviceMode mode) {
    switch (mode) {
        case DeviceMode::Recovery:
            return "recovery";
        case DeviceMode::Mode2:
            return "mode 2";
        case DeviceMode::Application:
            break;
    }
    return "application";
}

// Our own texts and the device list's columns are UTF-8 already; frame texts are 8-bit and go
// through the one encoding rule, so JSON stays UTF-8 and a terminal never sees a control byte.
std::string Json(std::string_view text) {
    return JsonQuoted(text);
}

template <std::size_t N>
std::string Json(const TextField<N>& field) {
    return FrameTextForJson(field.View());
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

void PrintStatus(std::ostream& out, const Session& session) {
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
    out << "Channels:    " << session.Channels() << "\n";
    // Recovery firmware and class-2 frames are never polled for clock state; the recovery
    // firmware is not asked for power and fans either.
    if (c.deviceMode == DeviceMode::Application && c.capabilities.matrix) {
        out << "Sync source: " << SyncSourceName(s.live.syncSource)
            << (s.live.syncState != 0 ? " (not locked)" : "") << "\n";
        out << "Sample rate: " << SampleRateName(s.live.actualRate) << "\n";
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

void PrintStatusJson(std::ostream& out, const Session& session) {
    const DeviceState& s = session.State();
    const ConnectionState& c = session.Connection();
    const ConfigBlock& config = s.config;
    out << "{\"address\":" << Json(c.targetIpText) << ",\"port\":" << c.linkPort
        << ",\"mode\":" << Json(ModeName(c.deviceMode))
        << ",\"modelClass\":" << static_cast<int>(c.capabilities.model)
        << ",\"name\":" << Json(config.deviceName) << ",\"id\":" << config.deviceId
        << ",\"type\":" << Json(config.devInfo.type) << ",\"model\":" << config.devInfo.model
        << ",\"serial\":" << Json(config.devInfo.serial) << ",\"network\":{\"dhcp\":" << config.lan.dhcp
        << ",\"ip\":" << Json(config.lan.ip) << ",\"subnet\":" << Json(config.lan.subnet)
        << ",\"gateway\":" << Json(config.lan.gateway) << ",\"mac\":" << Json(config.lan.mac) << "}"
        << ",\"mainSoftwareVersion\":" << MainSoftwareVersion(s) << ",\"software\":[";
    bool first = true;
    for (const SoftwareVersions& entry : config.swVer) {
        if (entry.position == 0)
            continue;
        out << (first ? "" : ",") << "{\"position\":" << entry.position << ",\"items\":[";
        first = false;
        bool firstItem = true;
        for (std::size_t k = 0; k < entry.names.size(); ++k) {
            if (entry.names[k].Empty())
                continue;
            out << (firstItem ? "" : ",") << "{\"name\":" << Json(entry.names[k])
                << ",\"version\":" << Json(entry.versions[k]) << "}";
            firstItem = false;
        }
        out << "]}";
    }
    out << "],\"channels\":" << session.Channels()
        << ",\"syncSource\":" << Json(SyncSourceName(s.live.syncSource))
        << ",\"syncState\":" << s.live.syncState
        << ",\"sampleRate\":" << Json(SampleRateName(s.live.actualRate)) << ",\"psu\":[";
    for (std::size_t n = 1; n <= 2; ++n) {
        out << (n > 1 ? "," : "") << Json(Unit(config.psuConf, n, s.live.psuStatus[n - 1]));
    }
    out << "],\"fans\":[";
    for (std::size_t n = 1; n <= 3; ++n) {
        out << (n > 1 ? "," : "") << Json(Unit(config.fanConf, n, s.live.fanStatus[n - 1]));
    }
    out << "],\"boards\":[";
    first = true;
    for (const BoardConfig& board : config.hwConf) {
        if (board.boardType == 0)
            continue;
        out << (first ? "" : ",") << "{\"position\":" << board.position << ",\"type\":" << board.boardType
            << ",\"code\":" << Json(board.boardCode) << ",\"info\":" << Json(board.boardInfo) << "}";
        first = false;
    }
    out << "],\"cards\":[";
    first = true;
    for (std::size_t n = 0; n < kCardSlots; ++n) {
        const CardRecord& card = config.cards[n];
        if (card.kind == CardType::None)
            continue;
        out << (first ? "" : ",") << "{\"card\":" << n + 1 << ",\"kind\":" << Json(CardName(card.kind))
            << ",\"mode\":" << card.mode << "}";
        first = false;
    }
    out << "],\"dante\":{\"name\":" << Json(config.danteName) << ",\"ip\":" << Json(config.danteLan.ip)
        << "}}\n";
}

void PrintRoutes(std::ostream& out, const Session& session) {
    const std::int32_t channels = session.Channels();
    for (std::int32_t output = 1; output <= channels; ++output) {
        const std::int32_t input = session.State().live.crosspoints[static_cast<std::size_t>(output - 1)];
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
    out << "{\"channels\":" << channels << ",\"routes\":[";
    bool first = true;
    for (std::int32_t output = 1; output <= channels; ++output) {
        const std::int32_t input = session.State().live.crosspoints[static_cast<std::size_t>(output - 1)];
        if (input <= 0)
            continue;
        out << (first ? "" : ",") << "{\"output\":" << output
            << ",\"outputName\":" << Json(ChannelText(output)) << ",\"input\":" << input
            << ",\"inputName\":" << Json(ChannelText(input)) << "}";
        first = false;
    }
    out << "]}\n";
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
    out << "[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const DeviceRow& row = rows[i];
        out << (i == 0 ? "" : ",") << "{\"address\":" << Json(row.Column(DeviceColumn::Address))
            << ",\"id\":" << Json(row.Column(DeviceColumn::Id))
            << ",\"name\":" << Json(row.Column(DeviceColumn::Name))
            << ",\"type\":" << Json(row.Column(DeviceColumn::Type))
            << ",\"serial\":" << Json(row.Column(DeviceColumn::Serial)) << "}";
    }
    out << "]\n";
}

}  // namespace velmar
