#include "features/settings/core/SettingsFile.h"

#include <array>
#include <charconv>
#include <climits>
#include <cstdint>
#include <memory>
#include <span>

#include "device/files/AtomicFileSaver.h"
#include "device/files/FileReader.h"
#include "features/settings/core/AddressRules.h"
#include "features/settings/core/SettingRanges.h"
#include "protocol/Ipv4Address.h"
#include "protocol/TextEncoding.h"
#include "protocol/TextLines.h"
#include "protocol/WireText.h"

namespace velmar {

namespace {

enum class Kind : std::uint8_t {
    Int,
    Byte,     // a sync priority, kept in one byte
    Text,     // free text in UTF-8, sent in the frame's 8-bit set and checked as its line can carry it
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
    Setting range;  // the values a number may take (not looked at for texts)
    Over over;
    bool network;  // part of the frame's own network identity
    FieldRef (*field)(ConfigBlock&);
    std::string_view what;  // a text's name in a refusal
};

#define VELMAR_ROW(comment, key, kind, range, over, network, expr, what) \
    FileRow {                                                            \
        comment, key, Kind::kind, Setting::range, Over::over, network,   \
            [](ConfigBlock& c) { return Ref(expr); }, what               \
    }
#define VELMAR_INT(comment, key, range, expr) VELMAR_ROW(comment, key, Int, range, Refuse, false, expr, "")
#define VELMAR_PRIO(key, index) VELMAR_ROW("", key, Byte, SyncPriority, Refuse, false, c.syncPrio[index], "")

// The writer's order; the reader goes by key.
const std::array kRows{
    VELMAR_INT("--- ID ---", "ID", DeviceId, c.deviceId),
    VELMAR_ROW("", "Name", Text, Flag, Refuse, false, c.deviceName, "A device name"),
    VELMAR_ROW("--- LAN ---", "IP", Address, Flag, Refuse, true, c.lan.ip, "An IP address"),
    VELMAR_ROW("", "Subnet", Address, Flag, Refuse, true, c.lan.subnet, "A subnet mask"),
    VELMAR_ROW("", "Gateway", Address, Flag, Refuse, true, c.lan.gateway, "A gateway address"),
    VELMAR_ROW("", "MAC", Shown, Flag, Refuse, false, c.lan.mac, ""),
    VELMAR_ROW("", "DHCP", Int, Flag, Refuse, true, c.lan.dhcp, ""),
    VELMAR_INT("--- System delay ---", "SystemDelay", SystemDelay, c.systemDelay),
    VELMAR_INT("--- Alive time ---", "AliveTime", AliveTime, c.aliveTime),
    VELMAR_INT("--- General sample rate ---", "SampleRate", SampleRate, c.sampleRate),
    VELMAR_INT("", "SampleRateAdaptSrc", AdaptionSource, c.sampleRateAdaptSrc),
    VELMAR_INT("", "WordClkOutMode", WordClockOutput, c.wordClkOutMode),
    VELMAR_ROW("--- Sync priority ---", "SyncWordPrio", Byte, SyncPriority, Refuse, false, c.syncPrio[0], ""),
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
    VELMAR_INT("", "SyncTermEnable", Flag, c.syncTermEnable),
    VELMAR_INT("--- Madi coax ---", "MadiInMode", MadiInput, c.madiIn[0].mode),
    VELMAR_INT("", "MadiOutChnSt", ChannelStatus, c.madiOut[0].chnSt),
    VELMAR_INT("", "MadiOutLegFr", FrameRate, c.madiOut[0].legFr),
    VELMAR_INT("", "MadiOutMode", ChannelCount, c.madiOut[0].mode),
    VELMAR_INT("", "MadiOutDsdMode", DsdMode, c.madiOut[0].dsdMode),
    VELMAR_INT("--- PHD ---", "PortCfg", PhdPortConfig, c.phd.portCfg),
    VELMAR_INT("", "EmuMode1", PhdEmulation, c.phd.emuMode1),
    VELMAR_INT("", "EmuMode2", PhdEmulation, c.phd.emuMode2),
    VELMAR_ROW("--- Dante module ---", "DanteName", Text, Flag, Refuse, false, c.danteName,
               "A Dante device name"),
    VELMAR_ROW("", "DanteIP", Address, Flag, Refuse, true, c.danteLan.ip, "An IP address"),
    VELMAR_ROW("", "DanteSubnet", Address, Flag, Refuse, true, c.danteLan.subnet, "A subnet mask"),
    VELMAR_ROW("", "DanteGW", Address, Flag, Refuse, true, c.danteLan.gateway, "A gateway address"),
    VELMAR_ROW("", "DanteDNS", Address, Flag, Refuse, true, c.danteLan.dns, "A DNS server address"),
    VELMAR_ROW("", "DanteMAC", Shown, Flag, Refuse, false, c.danteLan.mac, ""),
    VELMAR_ROW("", "DanteDHCP", Int, Flag, Refuse, true, c.danteLan.dhcp, ""),
    VELMAR_INT("", "DanteSRate", Flag, c.danteSRate),
    VELMAR_INT("", "DanteSwMode", DanteRedundancy, c.danteSwMode),
    VELMAR_ROW("", "DanteSecIP", Address, Flag, Refuse, true, c.danteSecLan.ip, "An IP address"),
    VELMAR_ROW("", "DanteSecSubnet", Address, Flag, Refuse, true, c.danteSecLan.subnet, "A subnet mask"),
    VELMAR_ROW("", "DanteSecGW", Address, Flag, Refuse, true, c.danteSecLan.gateway, "A gateway address"),
    VELMAR_ROW("", "DanteSecDNS", Address, Flag, Refuse, true, c.danteSecLan.dns, "A DNS server address"),
    VELMAR_ROW("", "DanteSecDHCP", Int, Flag, Refuse, true, c.danteSecLan.dhcp, ""),
    VELMAR_INT("--- Optional module ---", "OptMod1Mode", SfpInterface, c.optMode[0].mode),
    VELMAR_INT("", "MadiMod1InMode", MadiInput, c.madiIn[1].mode),
    VELMAR_INT("", "MadiMod1OutChnSt", ChannelStatus, c.madiOut[1].chnSt),
    VELMAR_INT("", "MadiMod1OutLegFr", FrameRate, c.madiOut[1].legFr),
    VELMAR_INT("", "MadiMod1OutMode", ChannelCount, c.madiOut[1].mode),
    VELMAR_INT("", "MadiMod1OutDsdMode", DsdMode, c.madiOut[1].dsdMode),
    VELMAR_INT("", "OptMod2Mode", SfpInterface, c.optMode[1].mode),
    VELMAR_INT("", "MadiMod2InMode", MadiInput, c.madiIn[2].mode),
    VELMAR_INT("", "MadiMod2OutChnSt", ChannelStatus, c.madiOut[2].chnSt),
    VELMAR_INT("", "MadiMod2OutLegFr", FrameRate, c.madiOut[2].legFr),
    VELMAR_INT("", "MadiMod2OutMode", ChannelCount, c.madiOut[2].mode),
    VELMAR_INT("", "MadiMod2OutDsdMode", DsdMode, c.madiOut[2].dsdMode),
    VELMAR_ROW("--- AES ---", "AesChnStMode", Int, ChannelStatus, Zero, false, c.aesChnStMode, ""),
    VELMAR_ROW("--- Optional module ---", "RedundancyEnable", Int, SfpRedundancy, Zero, false,
               c.redundancyEnable, ""),
    VELMAR_ROW("", "RedundancyMode", Int, SfpRedundancyMode, Zero, false, c.redundancyMode, ""),
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

// A row's field in a copy that is only read.
FieldRef View(const FileRow& row, const ConfigBlock& config) {
    return row.field(const_cast<ConfigBlock&>(config));  // the views are only read here
}

// Copies a row's field; true when the value differed.
bool CopyField(const FileRow& row, ConfigBlock& to, const ConfigBlock& from) {
    const FieldRef target = row.field(to);
    const FieldRef source = View(row, from);
    bool differed = false;
    if (target.number != nullptr) {
        differed = *target.number != *source.number;
        *target.number = *source.number;
    } else if (target.byte != nullptr) {
        differed = *target.byte != *source.byte;
        *target.byte = *source.byte;
    } else {
        differed = !std::equal(target.text.begin(), target.text.end(), source.text.begin());
        std::copy(source.text.begin(), source.text.end(), target.text.begin());
    }
    return differed;
}

// The Dante module's rows all carry its name in their key.
bool IsDanteRow(const FileRow& row) {
    return row.key.starts_with("Dante");
}

// A whole number as the format writes it, with an optional sign.
std::optional<std::int64_t> Number(std::string_view digits) {
    if (digits.size() > 1 && digits.front() == '+' && digits[1] != '-')
        digits.remove_prefix(1);
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size())
        return std::nullopt;
    return number;
}

std::string RangeText(const SettingRange& range) {
    const auto span = static_cast<std::size_t>(range.max - range.min) + 1;
    if (range.choices.empty() || range.choices.size() == span)
        return "(" + std::to_string(range.min) + " to " + std::to_string(range.max) + ")";
    std::string text = "(one of";
    for (const SettingChoice& choice : range.choices)
        text += (&choice == range.choices.data() ? " " : ", ") + std::to_string(choice.value);
    return text + ")";
}

// Stores one value into the scratch copy; the reason when it cannot be taken.
SettingsFileProblem Store(const FileRow& row, std::string_view value, ConfigBlock& scratch) {
    const FieldRef field = row.field(scratch);
    switch (row.kind) {
        case Kind::Shown:
            return std::nullopt;
        case Kind::Text:
        case Kind::Address: {
            // The file is UTF-8; the frame takes the same text in its 8-bit set, or nothing.
            const FrameTextEncoding encoded = EncodeFrameText(value);
            if (!encoded.Ok())
                return std::string(row.what) + " cannot be sent: " + encoded.error + ".";
            if (auto problem = WireTextProblem(encoded.bytes, field.text.size(), row.what))
                return problem;
            if (row.kind == Kind::Address && !encoded.bytes.empty() && !ParseIpv4(encoded.bytes))
                return "\"" + std::string(value) + "\" is not an address of the form 192.168.0.10.";
            std::fill(field.text.begin(), field.text.end(), '\0');
            std::copy(encoded.bytes.begin(), encoded.bytes.end(), field.text.begin());
            return std::nullopt;
        }
        case Kind::Int:
        case Kind::Byte:
            break;
    }
    const std::string_view digits = Trimmed(value);
    std::optional<std::int64_t> number = Number(digits);
    if (!number)
        return "\"" + std::string(digits) + "\" is not a number.";
    const SettingRange& range = RangeOf(row.range);
    if (*number > range.max && row.over == Over::Zero)
        number = 0;
    const std::int64_t held = field.number != nullptr ? *field.number : *field.byte;
    // A value outside the editor's lists is taken only where the frame already holds it: then
    // nothing is sent for it, and a file saved from that frame loads back.
    const bool allowed = *number >= INT32_MIN && *number <= INT32_MAX &&
                         (range.Allows(static_cast<std::int32_t>(*number)) || *number == held);
    if (!allowed)
        return std::to_string(*number) + " is out of range " + RangeText(range) + ".";
    if (field.number != nullptr)
        *field.number = static_cast<std::int32_t>(*number);
    else
        *field.byte = static_cast<std::uint8_t>(*number);
    return std::nullopt;
}

}  // namespace

std::string SettingsFileText(const ConfigBlock& config) {
    std::string text;
    text.reserve(2048);
    text.append(kHeader).append(kLineEnd);
    for (const FileRow& row : kRows) {
        if (!row.comment.empty())
            text.append(row.comment).append(kLineEnd);
        const FieldRef field = View(row, config);
        text.append(row.key).append("=");
        if (field.number != nullptr)
            text.append(std::to_string(*field.number));
        else if (field.byte != nullptr)
            text.append(std::to_string(*field.byte));
        else
            text.append(DecodeFrameText(TextOf(field)));
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

SettingsFileProblem ReadSettingsText(std::string_view text, ConfigBlock& config, SettingsFileNotes* notes) {
    auto scratch = std::make_unique<ConfigBlock>(config);
    std::array<bool, kRows.size()> seen{};
    bool danteTextGiven = false;
    std::size_t valueLines = 0;
    TextLines lines(text);
    while (const auto next = lines.Next()) {
        const std::size_t lineNumber = next->number;
        const std::string_view line = next->text;
        if (next->HasControlBesides("\t"))
            return LinePrefix(lineNumber) + "this is not a settings file (it holds control characters).";
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
        const std::string_view value = line.substr(equals + 1);
        if (IsDanteRow(*row) && row->kind != Kind::Int && !value.empty())
            danteTextGiven = true;
        if (auto problem = Store(*row, value, *scratch))
            return LinePrefix(lineNumber) + std::string(key) + ": " + *problem;
    }
    if (!lines.NotText().empty())
        return "This is not a settings file: " + lines.NotText() + ".";
    if (valueLines < kSettingsFileMinimumLines)
        return "The file holds " + std::to_string(valueLines) + " settings; a settings file has at least " +
               std::to_string(kSettingsFileMinimumLines) + ".";
    // A frame without a Dante module writes an empty Dante section (not even a MAC): its zeros are
    // no settings, and taken as such they would wipe the name and addresses of a module here.
    if (!danteTextGiven) {
        bool kept = false;
        for (const FileRow& row : kRows) {
            if (IsDanteRow(row))
                kept = CopyField(row, *scratch, config) || kept;
        }
        if (kept && notes != nullptr)
            notes->push_back(
                "The file holds no Dante settings (its frame has no Dante module); the Dante "
                "settings are left as they are.");
    }
    config = *scratch;
    return std::nullopt;
}

SettingsFileProblem LoadSettingsFile(const std::string& path, ConfigBlock& config, SettingsFileNotes* notes) {
    const FileRead read = FileReader("settings file", kSettingsFileLimit).Read(path);
    if (!read.bytes)
        return read.problem;
    return ReadSettingsText(*read.bytes, config, notes);
}

std::vector<std::string_view> KeepNetworkIdentity(ConfigBlock& loaded, const ConfigBlock& frame) {
    std::vector<std::string_view> kept;
    for (const FileRow& row : kRows) {
        if (row.network && CopyField(row, loaded, frame))
            kept.push_back(row.key);
    }
    return kept;
}

}  // namespace velmar
