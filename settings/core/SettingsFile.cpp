#include "settings/core/SettingsFile.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <memory>
#include <span>

#include "device/files/AtomicFileSaver.h"
#include "device/files/FileReader.h"
#include "protocol/WireText.h"
#include "settings/core/AddressRules.h"

namespace velmar {

namespace {

enum class Kind : std::uint8_t {
    Int,
    Byte,     // a sync priority, kept in one byte
    Text,     // free text, checked as the frame's line can carry it
    Address,  // dotted decimal or empty
    Shown,    // written for the reader's eyes, never read back (MAC texts)
};

// What the format did with a value above its range before keys were read: it stored 0.
enum class Over : std::uint8_t { Refuse, Zero };

// A view of the field a row reads and writes.
struct FieldRef {
    std::int32_t* number = nullptr;
    std::uint8_t* byte = nullptr;
    std::span<char> text;
};

FieldRef Ref(std::int32_t& field) {
    return {&field, nullptr, {}};
}
FieldRef Ref(std::uint8_t& field) {
    return {nullptr, &field, {}};
}
template <std::size_t N>
FieldRef Ref(TextField<N>& field) {
    return {nullptr, nullptr, std::span<char>(field.bytes)};
}

struct FileRow {
    std::string_view comment;  // a section comment written before the row, if any
    std::string_view key;
    Kind kind;
    std::int32_t min;
    std::int32_t max;
    Over over;
    bool network;  // part of the frame's own network identity
    FieldRef (*field)(ConfigBlock&);
    std::string_view what;  // a text's name in a refusal
};

#define VELMAR_ROW(comment, key, kind, min, max, over, network, expr, what)                                \
    FileRow {                                                                                              \
        comment, key, Kind::kind, min, max, Over::over, network, [](ConfigBlock& c) { return Ref(expr); }, \
            what                                                                                           \
    }
#define VELMAR_INT(comment, key, min, max, expr) \
    VELMAR_ROW(comment, key, Int, min, max, Refuse, false, expr, "")
#define VELMAR_PRIO(key, index) VELMAR_ROW("", key, Byte, 0, 31, Refuse, false, c.syncPrio[index], "")

// The writer's order; the reader goes by key.
const std::array kRows{
    VELMAR_INT("--- ID ---", "ID", 0, 99, c.deviceId),
    VELMAR_ROW("", "Name", Text, 0, 0, Refuse, false, c.deviceName, "A device name"),
    VELMAR_ROW("--- LAN ---", "IP", Address, 0, 0, Refuse, true, c.lan.ip, "An IP address"),
    VELMAR_ROW("", "Subnet", Address, 0, 0, Refuse, true, c.lan.subnet, "A subnet mask"),
    VELMAR_ROW("", "Gateway", Address, 0, 0, Refuse, true, c.lan.gateway, "A gateway address"),
    VELMAR_ROW("", "MAC", Shown, 0, 0, Refuse, false, c.lan.mac, ""),
    VELMAR_ROW("", "DHCP", Int, 0, 1, Refuse, true, c.lan.dhcp, ""),
    VELMAR_INT("--- System delay ---", "SystemDelay", 0, 64, c.systemDelay),
    VELMAR_INT("--- Alive time ---", "AliveTime", 0, 300, c.aliveTime),
    VELMAR_INT("--- General sample rate ---", "SampleRate", 0, 10, c.sampleRate),
    VELMAR_INT("", "SampleRateAdaptSrc", 0, 18, c.sampleRateAdaptSrc),
    VELMAR_INT("", "WordClkOutMode", 0, 1, c.wordClkOutMode),
    VELMAR_ROW("--- Sync priority ---", "SyncWordPrio", Byte, 0, 31, Refuse, false, c.syncPrio[0], ""),
    VELMAR_PRIO("SyncAES11Prio", 1),
    VELMAR_PRIO("SyncVideoPrio", 2),
    VELMAR_PRIO("SyncAES1Prio", 3),
    VELMAR_PRIO("SyncAES2Prio", 4),
    VELMAR_PRIO("SyncAES3Prio", 5),
    VELMAR_PRIO("SyncAES4Prio", 6),
    VELMAR_PRIO("SyncAES5Prio", 7),
    VELMAR_PRIO("SyncAES6Prio", 8),
    VELMAR_PRIO("SyncAES7Prio", 9),
    VELMAR_PRIO("SyncAES8Prio", 10),
    VELMAR_PRIO("SyncMadiPrio", 13),
    VELMAR_PRIO("SyncSFP1Prio", 14),
    VELMAR_PRIO("SyncSFP2Prio", 15),
    VELMAR_PRIO("SyncIPPrio", 16),
    VELMAR_INT("", "SyncTermEnable", 0, 1, c.syncTermEnable),
    VELMAR_INT("--- Madi coax ---", "MadiInMode", 0, 1, c.madiIn[0].mode),
    VELMAR_INT("", "MadiOutChnSt", 0, 1, c.madiOut[0].chnSt),
    VELMAR_INT("", "MadiOutLegFr", 0, 1, c.madiOut[0].legFr),
    VELMAR_INT("", "MadiOutMode", 0, 1, c.madiOut[0].mode),
    VELMAR_INT("", "MadiOutDsdMode", 0, 1, c.madiOut[0].dsdMode),
    VELMAR_INT("--- PHD ---", "PortCfg", 0, 1, c.phd.portCfg),
    VELMAR_INT("", "EmuMode1", 0, 1, c.phd.emuMode1),
    VELMAR_INT("", "EmuMode2", 0, 1, c.phd.emuMode2),
    VELMAR_ROW("--- Dante module ---", "DanteName", Text, 0, 0, Refuse, false, c.danteName,
               "A Dante device name"),
    VELMAR_ROW("", "DanteIP", Address, 0, 0, Refuse, true, c.danteLan.ip, "An IP address"),
    VELMAR_ROW("", "DanteSubnet", Address, 0, 0, Refuse, true, c.danteLan.subnet, "A subnet mask"),
    VELMAR_ROW("", "DanteGW", Address, 0, 0, Refuse, true, c.danteLan.gateway, "A gateway address"),
    VELMAR_ROW("", "DanteDNS", Address, 0, 0, Refuse, true, c.danteLan.dns, "A DNS server address"),
    VELMAR_ROW("", "DanteMAC", Shown, 0, 0, Refuse, false, c.danteLan.mac, ""),
    VELMAR_ROW("", "DanteDHCP", Int, 0, 1, Refuse, true, c.danteLan.dhcp, ""),
    VELMAR_INT("", "DanteSRate", 0, 1, c.danteSRate),
    VELMAR_INT("", "DanteSwMode", 0, 1, c.danteSwMode),
    VELMAR_ROW("", "DanteSecIP", Address, 0, 0, Refuse, true, c.danteSecLan.ip, "An IP address"),
    VELMAR_ROW("", "DanteSecSubnet", Address, 0, 0, Refuse, true, c.danteSecLan.subnet, "A subnet mask"),
    VELMAR_ROW("", "DanteSecGW", Address, 0, 0, Refuse, true, c.danteSecLan.gateway, "A gateway address"),
    VELMAR_ROW("", "DanteSecDNS", Address, 0, 0, Refuse, true, c.danteSecLan.dns, "A DNS server address"),
    VELMAR_ROW("", "DanteSecDHCP", Int, 0, 1, Refuse, true, c.danteSecLan.dhcp, ""),
    VELMAR_INT("--- Optional module ---", "OptMod1Mode", 0, 2, c.optMode[0].mode),
    VELMAR_INT("", "MadiMod1InMode", 0, 1, c.madiIn[1].mode),
    VELMAR_INT("", "MadiMod1OutChnSt", 0, 1, c.madiOut[1].chnSt),
    VELMAR_INT("", "MadiMod1OutLegFr", 0, 1, c.madiOut[1].legFr),
    VELMAR_INT("", "MadiMod1OutMode", 0, 1, c.madiOut[1].mode),
    VELMAR_INT("", "MadiMod1OutDsdMode", 0, 1, c.madiOut[1].dsdMode),
    VELMAR_INT("", "OptMod2Mode", 0, 2, c.optMode[1].mode),
    VELMAR_INT("", "MadiMod2InMode", 0, 1, c.madiIn[2].mode),
    VELMAR_INT("", "MadiMod2OutChnSt", 0, 1, c.madiOut[2].chnSt),
    VELMAR_INT("", "MadiMod2OutLegFr", 0, 1, c.madiOut[2].legFr),
    VELMAR_INT("", "MadiMod2OutMode", 0, 1, c.madiOut[2].mode),
    VELMAR_INT("", "MadiMod2OutDsdMode", 0, 1, c.madiOut[2].dsdMode),
    VELMAR_ROW("--- AES ---", "AesChnStMode", Int, 0, 1, Zero, false, c.aesChnStMode, ""),
    VELMAR_ROW("--- Optional module ---", "RedundancyEnable", Int, 0, 1, Zero, false, c.redundancyEnable, ""),
    VELMAR_ROW("", "RedundancyMode", Int, 0, 2, Zero, false, c.redundancyMode, ""),
};

#undef VELMAR_PRIO
#undef VELMAR_INT
#undef VELMAR_ROW

constexpr std::string_view kHeader = "[Device settings]";
constexpr std::string_view kLineEnd = "\r\n";

std::string_view TextOf(const FieldRef& field) {
    std::size_t n = 0;
    while (n < field.text.size() && field.text[n] != '\0')
        ++n;
    return {field.text.data(), n};
}

std::string LinePrefix(std::size_t line) {
    return "Line " + std::to_string(line) + ": ";
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

const FileRow* RowOf(std::string_view key) {
    for (const FileRow& row : kRows) {
        if (row.key == key)
            return &row;
    }
    return nullptr;
}

// Stores one value into the scratch copy; the reason when it cannot be taken.
SettingsFileProblem Store(const FileRow& row, std::string_view value, ConfigBlock& scratch) {
    const FieldRef field = row.field(scratch);
    switch (row.kind) {
        case Kind::Shown:
            return std::nullopt;
        case Kind::Text:
        case Kind::Address: {
            // Cut to the field, as the frame would: a longer text never overruns it.
            const std::string_view cut = value.substr(0, std::min(value.size(), field.text.size() - 1));
            if (auto problem = WireTextProblem(cut, field.text.size(), row.what))
                return problem;
            if (row.kind == Kind::Address && !cut.empty() && !ParseAddress(cut))
                return "\"" + std::string(cut) + "\" is not an address of the form 192.168.0.10.";
            std::fill(field.text.begin(), field.text.end(), '\0');
            std::copy(cut.begin(), cut.end(), field.text.begin());
            return std::nullopt;
        }
        case Kind::Int:
        case Kind::Byte:
            break;
    }
    const std::string_view digits = Trimmed(value);
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size())
        return "\"" + std::string(digits) + "\" is not a number.";
    if (number > row.max && row.over == Over::Zero)
        number = 0;
    if (number < row.min || number > row.max)
        return std::to_string(number) + " is out of range (" + std::to_string(row.min) + " to " +
               std::to_string(row.max) + ").";
    if (field.number != nullptr)
        *field.number = static_cast<std::int32_t>(number);
    else
        *field.byte = static_cast<std::uint8_t>(number);
    return std::nullopt;
}

}  // namespace

std::string SettingsFileText(const ConfigBlock& config) {
    // The rows hand out writable views; the writer only reads them.
    auto copy = std::make_unique<ConfigBlock>(config);
    std::string text;
    text.reserve(2048);
    text.append(kHeader).append(kLineEnd);
    for (const FileRow& row : kRows) {
        if (!row.comment.empty())
            text.append(row.comment).append(kLineEnd);
        const FieldRef field = row.field(*copy);
        text.append(row.key).append("=");
        if (field.number != nullptr)
            text.append(std::to_string(*field.number));
        else if (field.byte != nullptr)
            text.append(std::to_string(*field.byte));
        else
            text.append(TextOf(field));
        text.append(kLineEnd);
    }
    return text;
}

SettingsFileProblem SaveSettingsFile(const std::string& path, const ConfigBlock& config) {
    std::string problem = AtomicFileSaver("settings file").Save(path, SettingsFileText(config));
    if (problem.empty())
        return std::nullopt;
    return problem;
}

SettingsFileProblem ReadSettingsText(std::string_view text, ConfigBlock& config) {
    auto scratch = std::make_unique<ConfigBlock>(config);
    std::array<bool, kRows.size()> seen{};
    std::size_t valueLines = 0;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        for (const char c : line) {
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
                return LinePrefix(lineNumber) + "this is not a settings file (it holds control characters).";
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        ++valueLines;
        const std::string_view key = line.substr(0, equals);
        const FileRow* row = RowOf(key);
        if (row == nullptr)
            return LinePrefix(lineNumber) + "\"" + std::string(key.substr(0, 40)) + "\" is not a setting.";
        const auto index = static_cast<std::size_t>(row - kRows.data());
        if (seen[index])
            return LinePrefix(lineNumber) + "\"" + std::string(key) + "\" appears a second time.";
        seen[index] = true;
        if (auto problem = Store(*row, line.substr(equals + 1), *scratch))
            return LinePrefix(lineNumber) + std::string(key) + ": " + *problem;
    }
    if (valueLines < kSettingsFileMinimumLines)
        return "The file holds " + std::to_string(valueLines) + " settings; a settings file has at least " +
               std::to_string(kSettingsFileMinimumLines) + ".";
    config = *scratch;
    return std::nullopt;
}

SettingsFileProblem LoadSettingsFile(const std::string& path, ConfigBlock& config) {
    const FileRead read = FileReader("settings file", kSettingsFileLimit).Read(path);
    if (!read.bytes)
        return read.problem;
    return ReadSettingsText(*read.bytes, config);
}

std::vector<std::string_view> KeepNetworkIdentity(ConfigBlock& loaded, const ConfigBlock& frame) {
    auto own = std::make_unique<ConfigBlock>(frame);
    std::vector<std::string_view> kept;
    for (const FileRow& row : kRows) {
        if (!row.network)
            continue;
        const FieldRef to = row.field(loaded);
        const FieldRef from = row.field(*own);
        if (to.number != nullptr) {
            if (*to.number != *from.number)
                kept.push_back(row.key);
            *to.number = *from.number;
        } else {
            if (!std::equal(to.text.begin(), to.text.end(), from.text.begin()))
                kept.push_back(row.key);
            std::copy(from.text.begin(), from.text.end(), to.text.begin());
        }
    }
    return kept;
}

}  // namespace velmar
