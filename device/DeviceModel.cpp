#include "device/DeviceModel.h"

#include <array>

#include "protocol/Ipv4Address.h"
#include "protocol/TextEncoding.h"

namespace velmar {

namespace {

// Reads one unsigned decimal at `pos`; false when there is no digit there.
bool ReadNumber(std::string_view text, std::size_t& pos, std::int64_t& value) {
    if (pos >= text.size() || text[pos] < '0' || text[pos] > '9')
        return false;
    value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        // Saturate rather than overflow on absurd texts; real versions have small parts.
        if (value < 100000000)
            value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    return true;
}

}  // namespace

std::int32_t VersionNumber(std::string_view text) {
    // Like "%u.%u.%u.%u": missing trailing parts count as 0, a text without a leading number is 0.
    std::array<std::int64_t, 4> parts{};
    std::size_t pos = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (!ReadNumber(text, pos, parts[i])) {
            if (i == 0)
                return 0;
            break;
        }
        if (pos >= text.size() || text[pos] != '.')
            break;
        ++pos;
    }
    const std::int64_t number = ((parts[0] * 100 + parts[1]) * 100 + parts[2]) * 100 + parts[3];
    return number > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(number);
}

std::int32_t MainSoftwareVersion(const DeviceState& state) {
    return VersionNumber(state.config.swVer[1].versions[0].View());
}

bool IsNewFirmware(const DeviceState& state) {
    return MainSoftwareVersion(state) > kNewFirmwareVersion;
}

std::int32_t ChannelCount(const DeviceState& state, ModelClass model) {
    return model == ModelClass::Full && IsNewFirmware(state) ? 1536 : 1024;
}

FrameCapabilities CapabilitiesOf(const DeviceState& state, ModelClass model) {
    constexpr std::size_t kSfpPosition = 3;
    constexpr std::size_t kDantePosition = 18;
    const auto fitted = [&state](std::size_t position) {
        return state.config.hwConf[position - 1].boardType != 0;
    };
    FrameCapabilities capabilities;
    capabilities.model = model;
    capabilities.matrix = model != ModelClass::NoMatrix;
    capabilities.cards = model == ModelClass::Full;
    capabilities.optionalModule = fitted(kSfpPosition);
    capabilities.dante = fitted(kDantePosition);
    capabilities.channels = ChannelCount(state, model);
    return capabilities;
}

ModelClass ModelClassFromType(std::string_view type) {
    if (type == "K5B" || type == "LW16")
        return ModelClass::NoCards;
    if (type == "K5E")
        return ModelClass::NoMatrix;
    return ModelClass::Full;
}

ModelClass ModelClassFromListRow(std::string_view type) {
    if (type == "K5A" || type == "LV16")
        return ModelClass::Full;
    if (type == "K5B" || type == "LW16")
        return ModelClass::NoCards;
    if (type == "K5E")
        return ModelClass::NoMatrix;
    return ModelClass::NoCards;
}

CardType CardTypeFromBoard(const BoardConfig& board) {
    if (board.boardType == 0)
        return CardType::None;
    struct Code {
        std::string_view prefix;
        CardType type;
    };
    static constexpr std::array<Code, 5> kCodes{{{"K5A021", CardType::Sdi},
                                                 {"K5A013", CardType::Ad},
                                                 {"K5A023", CardType::Da},
                                                 {"K5A024", CardType::Aes},
                                                 {"K5A025", CardType::MadiHotlink}}};
    const std::string_view code = board.boardCode.View();
    for (const Code& entry : kCodes) {
        if (code.substr(0, 6) == entry.prefix)
            return entry.type;
    }
    return CardType::None;
}

CardType CardKind(const DeviceState& state, std::int32_t card) {
    if (card < 1 || card > static_cast<std::int32_t>(kCardSlots))
        return CardType::None;
    return CardTypeFromBoard(state.config.hwConf[static_cast<std::size_t>(card + 7)]);
}

std::int32_t ToolChannelBase(const ConnectionState& connection) {
    return connection.capabilities.model == ModelClass::NoCards && !connection.options.zel ? 512 : 0;
}

std::string_view SyncSourceName(std::int32_t source) {
    static constexpr std::array<std::string_view, 18> kNames{
        "Internal", "Word",  "AES11", "Video", "AES 1", "AES 2", "AES 3", "AES 4", "AES 5",
        "AES 6",    "AES 7", "AES 8", "PHD 1", "PHD 2", "Madi",  "SFP 1", "SFP 2", "IP"};
    if (source < 1 || source > 18)
        return "Error";
    return kNames[static_cast<std::size_t>(source - 1)];
}

std::string_view SampleRateName(std::int32_t rate) {
    static constexpr std::array<std::string_view, 10> kNames{"44.1 kHz",  "48 kHz",  "88.2 kHz", "96 kHz",
                                                             "176.4 kHz", "192 kHz", "DXD",      "384 kHz",
                                                             "DSD 64",    "DSD 128"};
    if (rate < 1 || rate > 10)
        return "Error";
    return kNames[static_cast<std::size_t>(rate - 1)];
}

std::string_view UnitStatusText(std::uint32_t fittedMask, std::size_t unit, std::int32_t status) {
    if ((fittedMask & (1u << (unit - 1))) == 0)
        return {};
    return status == 0 ? "OK" : "Faulty";
}

std::string FrameLabel(const ConnectionState& connection) {
    if (connection.connectedIp == 0)
        return "the frame";
    const std::string address = Ipv4Text(connection.connectedIp);
    if (connection.deviceNameText.Empty())
        return address;
    return DecodeFrameText(connection.deviceNameText.View()) + " (" + address + ")";
}

std::string AboutFrame(std::string_view text, const ConnectionState& connection) {
    return std::string(text) + "\n\n" + FrameLabel(connection);
}

}  // namespace velmar
